#include "base/handoff_block.h"

#include <cstring>

#include "base/product.h"
#include "base/string_list.h"

namespace {

constexpr size_t kSlotSize = kHandOffMaxPath + 2;  // 261: path, NUL, and the
                                                   // byte that tells it was longer
constexpr size_t kMaxAnsiPath = 260;

bool IsLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// A "." or ".." component makes a path name something else than it shows:
// C:\dir\.. reads as ".." in the confirmation and is the whole drive.
bool HasDotComponent(const char* path) {
  for (const char* start = path;; ++start) {
    const char* end = std::strchr(start, '\\');
    size_t length = end != nullptr ? static_cast<size_t>(end - start) : std::strlen(start);
    if ((length == 1 && start[0] == '.') || (length == 2 && start[0] == '.' && start[1] == '.')) {
      return true;
    }
    if (end == nullptr) return false;
    start = end;
  }
}

// C:\... or \\server\...: the only forms that do not depend on the current
// folder or drive of the program that receives them.
bool IsFullPath(const char* path) {
  bool rooted = (IsLetter(path[0]) && path[1] == ':' && path[2] == '\\') ||
                (path[0] == '\\' && path[1] == '\\' && path[2] != '\0' && path[2] != '\\');
  return rooted && !HasDotComponent(path);
}

}  // namespace

size_t HandOffCapacity(size_t count) {
  constexpr size_t kFixed = 16 + kHandOffTrailerSize;
  if (count > (SIZE_MAX - kFixed) / kSlotSize) return 0;
  return count * kSlotSize + kFixed;
}

bool BeginHandOff(HandOffWriter& writer, uint8_t* buffer, size_t capacity, int32_t cursorX,
                  int32_t cursorY) {
  writer = HandOffWriter{};
  if (buffer == nullptr || capacity < kHandOffHeaderSize + 1 + kHandOffTrailerSize) return false;
  std::memset(buffer, 0, capacity);
  HandOffHeader header{kHandOffKindPaths, 1, 0, cursorX, cursorY};
  std::memcpy(buffer, &header, sizeof header);
  writer.block = buffer;
  writer.capacity = capacity;
  writer.used = kHandOffHeaderSize;
  return true;
}

bool AddHandOffPath(HandOffWriter& writer, const char* path) {
  if (writer.block == nullptr) return false;
  size_t length = path != nullptr ? strnlen(path, kHandOffMaxPath + 1) : 0;
  // Room for this path, its NUL, the final empty string and the trailer.
  if (length == 0 || length > kHandOffMaxPath ||
      writer.capacity - writer.used < length + 2 + kHandOffTrailerSize) {
    PassOverHandOffItems(writer, 1);
    return false;
  }
  std::memcpy(writer.block + writer.used, path, length);
  writer.block[writer.used + length] = 0;
  writer.used += length + 1;
  ++writer.paths;
  return true;
}

void PassOverHandOffItems(HandOffWriter& writer, size_t count) {
  writer.passedOver = count > SIZE_MAX - writer.passedOver ? SIZE_MAX : writer.passedOver + count;
}

size_t FinishHandOff(const HandOffWriter& writer) {
  if (writer.block == nullptr || (writer.paths == 0 && writer.passedOver == 0)) return 0;
  size_t size = writer.used;
  writer.block[size++] = 0;
  if (writer.passedOver == 0) return size;
  // Room was kept for it by BeginHandOff and AddHandOffPath.
  const uint32_t count = writer.passedOver < kHandOffMaxPassedOver
                             ? static_cast<uint32_t>(writer.passedOver)
                             : kHandOffMaxPassedOver;
  std::memcpy(writer.block + size, kHandOffTrailerMark, sizeof kHandOffTrailerMark);
  for (int i = 0; i < 4; ++i) writer.block[size + 4 + i] = static_cast<uint8_t>(count >> (8 * i));
  return size + kHandOffTrailerSize;
}

bool ReadHandOffHeader(const void* view, size_t viewSize, HandOffHeader& header) {
  if (view == nullptr || viewSize < kHandOffHeaderSize) return false;
  std::memcpy(&header, view, sizeof header);
  return true;
}

size_t ReadHandOffPaths(const void* view, size_t viewSize, HandOffWideToAnsi convert,
                        HandOffPathSink sink, void* context, size_t* passedOver) {
  if (passedOver != nullptr) *passedOver = 0;
  HandOffHeader header;
  if (!ReadHandOffHeader(view, viewSize, header) || sink == nullptr) return 0;
  const auto* bytes = static_cast<const uint8_t*>(view);
  size_t listed = 0;
  size_t delivered = 0;
  char path[kMaxAnsiPath + 1];

  if (header.wide == 0) {
    ForEachListedString(bytes, viewSize, kHandOffHeaderSize, false,
                        [&](size_t offset, size_t length) {
                          ++listed;
                          if (length > kMaxAnsiPath) return;
                          std::memcpy(path, bytes + offset, length);
                          path[length] = '\0';
                          if (IsFullPath(path)) {
                            sink(path, context);
                            ++delivered;
                          }
                        });
  } else {
    // UTF-16: a path of more than 260 code units cannot become a path of at
    // most 260 bytes, so longer ones are skipped without converting them.
    ForEachListedString(
        bytes, viewSize, kHandOffHeaderSize, true, [&](size_t offset, size_t length) {
          ++listed;
          if (length > kMaxAnsiPath || convert == nullptr) return;
          char16_t units[kMaxAnsiPath];
          for (size_t i = 0; i < length; ++i)
            units[i] =
                static_cast<char16_t>(bytes[offset + 2 * i] | (bytes[offset + 2 * i + 1] << 8));
          if (!convert(units, length, path, sizeof path)) return;
          path[kMaxAnsiPath] = '\0';
          if (path[0] != '\0' && strlen(path) <= kMaxAnsiPath && IsFullPath(path)) {
            sink(path, context);
            ++delivered;
          }
        });
  }
  if (passedOver != nullptr) *passedOver = listed - delivered;
  return delivered;
}

uint32_t ReadHandOffPassedOver(const void* view, size_t viewSize) {
  HandOffHeader header;
  if (!ReadHandOffHeader(view, viewSize, header)) return 0;
  const auto* bytes = static_cast<const uint8_t*>(view);
  const size_t unit = header.wide == 0 ? 1 : 2;
  size_t end = kHandOffHeaderSize;
  ForEachListedString(bytes, viewSize, kHandOffHeaderSize, unit == 2,
                      [&](size_t offset, size_t length) { end = offset + (length + 1) * unit; });
  // The walk stopped at end: at the final empty string, at a path that the
  // view cuts off, or at the end of the view.
  if (viewSize - end < unit || bytes[end] != 0 || (unit == 2 && bytes[end + 1] != 0)) return 0;
  const size_t trailer = end + unit;
  if (viewSize - trailer < kHandOffTrailerSize ||
      std::memcmp(bytes + trailer, kHandOffTrailerMark, sizeof kHandOffTrailerMark) != 0) {
    return 0;
  }
  uint32_t count = 0;
  for (int i = 3; i >= 0; --i) count = count << 8 | bytes[trailer + 4 + i];
  return count < kHandOffMaxPassedOver ? count : kHandOffMaxPassedOver;
}

const char* FindHandOffName(const char* text, char* name, size_t nameSize) {
  if (name != nullptr && nameSize > 0) name[0] = '\0';
  if (text == nullptr) return nullptr;
  constexpr size_t kSwitchLength = sizeof kHandOffSwitch - 1;
  for (const char* p = text; *p != '\0'; ++p) {
    size_t i = 0;
    while (i < kSwitchLength && p[i] != '\0') {
      char c = p[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != kHandOffSwitch[i]) break;
      ++i;
    }
    if (i < kSwitchLength) continue;
    const char* rest = p + kSwitchLength;
    const char* blank = std::strchr(rest, ' ');
    size_t length = (blank == nullptr || blank == rest) ? std::strlen(rest)
                                                        : static_cast<size_t>(blank - rest);
    if (name != nullptr && length < nameSize) {
      std::memcpy(name, rest, length);
      name[length] = '\0';
    }
    return rest;
  }
  return nullptr;
}
