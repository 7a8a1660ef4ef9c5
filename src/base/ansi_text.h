#pragma once
// Paths arrive from the shell in UTF-16 and are used through the ANSI file
// functions, which speak the system's code page.
#include <cstddef>

// Converts units UTF-16 units exactly and terminates out. False, with out
// unusable, when a character has no exact form in the code page (a default
// or look-alike would name some other item), when the text is empty, does
// not fit into outSize - 1 bytes, or holds a NUL.
bool WideToAnsiExact(const char16_t* text, size_t units, char* out, size_t outSize);
