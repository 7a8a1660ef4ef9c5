// Filled by the start-up code.
