#pragma once
// Random fill: every chunk written gets new data from the system's
// cryptographic generator. A constant pattern can be compressed or
// deduplicated by a storage controller and never reach the old cells;
// random data cannot be.
#include <cstdint>

// Fills size bytes; false, with the reason in the thread's last error, when
// the generator fails (the buffer then holds nothing usable).
using RandomSource = bool (*)(uint8_t* buffer, uint32_t size);

// The system's preferred generator (BCryptGenRandom).
bool SystemRandom(uint8_t* buffer, uint32_t size);
