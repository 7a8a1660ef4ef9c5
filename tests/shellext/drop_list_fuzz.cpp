// Feeds arbitrary bytes to the file-list reader as if another component had
// handed them over as CF_HDROP data.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shellext/drop_list.h"

namespace {

bool Convert(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (units >= outSize) return false;
  for (size_t i = 0; i < units; ++i) out[i] = static_cast<char>(text[i] ? text[i] : 1);
  out[units] = '\0';
  return true;
}

void Check(const char* path, void* context) {
  const size_t length = std::strlen(path);
  if (length == 0 || length > 259) __builtin_trap();
  ++*static_cast<size_t*>(context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past the end is caught.
  std::vector<uint8_t> copy(data, data + size);
  const size_t count = CountDropPaths(copy.data(), copy.size());
  size_t seen = 0;
  const size_t handed = ReadDropPaths(copy.data(), copy.size(), &Convert, &Check, &seen);
  if (handed != seen || handed > count) __builtin_trap();
  return 0;
}
