// Command lines and language texts are outside input: the path, switch and
// format operations must stay inside their buffers whatever they get.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/path_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  const char* s = text.c_str();

  char value[128];
  SwitchValue(s, "/REGCM:", value, sizeof value);
  SwitchValue(s, "/UNREGCM", value, 1);
  FormatWithArgs(s, "first", "%2 second");
  char out[64];
  FormatWithArgs(out, sizeof out, s, s, nullptr);

  char path[261] = {};
  std::memcpy(path, s, std::min<size_t>(std::strlen(s), 260));
  PathRoot(path);
  PathName(path);
  char copy[261];
  std::memcpy(copy, path, sizeof copy);
  QuoteIfNeeded(copy, sizeof copy);
  std::memcpy(copy, path, sizeof copy);
  PathJoin(copy, sizeof copy, s);
  std::memcpy(copy, path, sizeof copy);
  // Climbing to the root shortens the path at every step and then stops.
  size_t length = std::strlen(copy);
  for (int i = 0; i < 300 && PathParent(copy); ++i) {
    size_t now = std::strlen(copy);
    if (now > length) __builtin_trap();
    if (now == length) break;
    length = now;
  }
  return 0;
}
