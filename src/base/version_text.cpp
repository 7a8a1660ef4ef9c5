#include "base/version_text.h"

#include <cstdio>

std::string VersionText(uint32_t number) {
  if (number < kMinimumVersion) number = kMinimumVersion;
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u", static_cast<unsigned>(number >> 16),
                static_cast<unsigned>((number >> 8) & 0xFF), static_cast<unsigned>(number & 0xFF));
  return text;
}
