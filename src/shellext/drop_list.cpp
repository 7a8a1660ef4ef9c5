#include "shellext/drop_list.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/string_list.h"

namespace {

constexpr size_t kMaxPath = 259;        // bytes, without the NUL
constexpr size_t kMaxWidePath = 32767;  // the longest path the system knows

struct Layout {
  const uint8_t* bytes;
  size_t size;
  size_t first;  // offset of the first path
  bool wide;
};

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool ReadLayout(const void* drop, size_t size, Layout& layout) {
  if (drop == nullptr || size < kDropHeaderSize) return false;
  layout.bytes = static_cast<const uint8_t*>(drop);
  layout.size = size;
  layout.first = ReadU32(layout.bytes);
  layout.wide = ReadU32(layout.bytes + 16) != 0;
  return layout.first >= kDropHeaderSize && layout.first < size;
}

template <typename Visit>
void ForEachString(const Layout& layout, Visit visit) {
  ForEachListedString(layout.bytes, layout.size, layout.first, layout.wide, visit);
}

bool HoldsWildcard(const char* path) { return std::strpbrk(path, "?*") != nullptr; }

}  // namespace

size_t CountDropPaths(const void* drop, size_t size) {
  Layout layout;
  if (!ReadLayout(drop, size, layout)) return 0;
  size_t count = 0;
  ForEachString(layout, [&](size_t, size_t) { ++count; });
  return count;
}

size_t ReadDropPaths(const void* drop, size_t size, DropWideToAnsi convert, DropPathSink sink,
                     void* context) {
  Layout layout;
  if (sink == nullptr || !ReadLayout(drop, size, layout)) return 0;
  size_t delivered = 0;
  std::vector<char16_t> units;
  ForEachString(layout, [&](size_t at, size_t length) {
    char path[kMaxPath + 1];
    if (layout.wide) {
      // A wide path of any length goes to the converter, which may know a
      // shorter name of the same item; what it answers must fit.
      if (length > kMaxWidePath) return;
      units.resize(length);
      for (size_t i = 0; i < length; ++i) {
        units[i] =
            static_cast<char16_t>(layout.bytes[at + 2 * i] | layout.bytes[at + 2 * i + 1] << 8);
      }
      if (convert == nullptr || !convert(units.data(), length, path, sizeof path)) return;
      path[kMaxPath] = '\0';
      // Multi-byte code pages can make a short wide path too long.
      if (std::strlen(path) > kMaxPath) return;
    } else {
      if (length > kMaxPath) return;
      std::memcpy(path, layout.bytes + at, length);
      path[length] = '\0';
    }
    if (path[0] == '\0' || HoldsWildcard(path)) return;
    sink(path, context);
    ++delivered;
  });
  return delivered;
}
