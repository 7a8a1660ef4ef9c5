#pragma once
// Lists of NUL-terminated strings, as the shell's drop list and the hand-off
// block lay them out: one after another, of one-byte or of two-byte (little-
// endian) units, ending at an empty string.
#include <cstddef>
#include <cstdint>

// Calls visit(offset, length) for each string from offset first on, length in
// units, until the empty string or the end of the memory. A string that the
// end of the memory cuts off is not visited, and nothing is read past size.
template <typename Visit>
void ForEachListedString(const uint8_t* bytes, size_t size, size_t first, bool wide, Visit visit) {
  const size_t unit = wide ? 2 : 1;
  if (bytes == nullptr || first > size) return;
  size_t at = first;
  while (size - at >= unit) {
    size_t length = 0;
    bool terminated = false;
    for (size_t pos = at; size - pos >= unit; pos += unit, ++length) {
      if (bytes[pos] == 0 && (unit == 1 || bytes[pos + 1] == 0)) {
        terminated = true;
        break;
      }
    }
    if (!terminated || length == 0) return;
    visit(at, length);
    at += (length + 1) * unit;
  }
}
