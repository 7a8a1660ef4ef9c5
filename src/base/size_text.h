#pragma once
// Byte counts as short texts: "0 bytes", "5.00 bytes", "0.97 KB", "10.0 GB".
#include <cstddef>
#include <cstdint>

// Writes the size text into buffer (size bytes) and answers buffer, or null
// when the value cannot be shown (negative, 1000 TB or more) or the buffer is
// too small; then buffer holds an empty text (when size > 0). The number is
// cut, never rounded, to three significant digits; units step up from 1000
// but divide by 1024, so 1000 bytes are 0.97 KB.
char* FormatSize(int64_t value, char* buffer, size_t size);
