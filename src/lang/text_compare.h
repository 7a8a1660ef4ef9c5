#pragma once
// Letter-case folding for section and key names. Names are plain ASCII words;
// other bytes (and so the trail bytes of double-byte characters) compare as
// they are, which keeps the hash and the comparison in step.
#include <cstddef>

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// True when the zero-terminated `name` equals text[0, length) ignoring case.
inline bool EqualsNoCase(const char* name, const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == '\0' || AsciiUpper(name[i]) != AsciiUpper(text[i])) return false;
  }
  return name[length] == '\0';
}

// True when the zero-terminated `name` begins with text[0, length), ignoring case.
inline bool StartsWithNoCase(const char* name, const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == '\0' || AsciiUpper(name[i]) != AsciiUpper(text[i])) return false;
  }
  return true;
}

// Both zero-terminated.
inline bool EqualsNoCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
  return *a == *b;
}
