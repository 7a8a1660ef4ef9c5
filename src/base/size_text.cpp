#include "base/size_text.h"

#include <cmath>
#include <cstdio>

char* FormatSize(int64_t value, char* buffer, size_t size) {
  if (!buffer) return nullptr;
  if (size > 0) buffer[0] = '\0';
  if (value < 0) return nullptr;

  static const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
  constexpr int kUnitCount = sizeof kUnits / sizeof kUnits[0];
  double v = static_cast<double>(value);
  int unit = 0;
  // The unit steps up from 1000, so that no text needs four digits.
  while (std::trunc(v / 1000) != 0) {
    v /= 1024;
    ++unit;
  }
  if (unit >= kUnitCount) return nullptr;

  const char* format = "%.0f";
  if (v == 0) {
  } else if (v < 10) {
    v = std::trunc(v * 100) / 100;
    format = "%.2f";
  } else if (v < 100) {
    v = std::trunc(v * 10) / 10;
    format = "%.1f";
  } else {
    v = std::trunc(v);
  }
  char number[16];
  std::snprintf(number, sizeof number, format, v);
  int length = std::snprintf(buffer, size, "%s %s", number, kUnits[unit]);
  if (length < 0 || static_cast<size_t>(length) >= size) {
    if (size > 0) buffer[0] = '\0';
    return nullptr;
  }
  return buffer;
}
