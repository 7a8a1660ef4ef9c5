#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shellext/drop_list.h"

namespace {

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> Ansi(const std::vector<std::string>& paths, bool close = true) {
  std::vector<uint8_t> bytes(kDropHeaderSize, 0);
  Put32(bytes, 0, kDropHeaderSize);
  for (const std::string& path : paths) {
    bytes.insert(bytes.end(), path.begin(), path.end());
    bytes.push_back(0);
  }
  if (close) bytes.push_back(0);
  return bytes;
}

std::vector<uint8_t> Wide(const std::vector<std::u16string>& paths) {
  std::vector<uint8_t> bytes(kDropHeaderSize, 0);
  Put32(bytes, 0, kDropHeaderSize);
  Put32(bytes, 16, 1);
  auto put = [&](char16_t c) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  };
  for (const std::u16string& path : paths) {
    for (char16_t c : path) put(c);
    put(0);
  }
  put(0);
  return bytes;
}

// Stands in for a code page that holds ASCII only.
bool AsciiOnly(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (units >= outSize) return false;
  for (size_t i = 0; i < units; ++i) {
    if (text[i] > 0x7F) return false;
    out[i] = static_cast<char>(text[i]);
  }
  out[units] = '\0';
  return true;
}

// Stands in for a double-byte code page: every character takes two bytes.
bool TwoBytesEach(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (2 * units >= outSize) return false;
  for (size_t i = 0; i < units; ++i) out[2 * i] = out[2 * i + 1] = static_cast<char>(text[i]);
  out[2 * units] = '\0';
  return true;
}

void Collect(const char* path, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(path);
}

std::vector<std::string> Read(const std::vector<uint8_t>& drop,
                              DropWideToAnsi convert = &AsciiOnly) {
  std::vector<std::string> paths;
  const size_t handed = ReadDropPaths(drop.data(), drop.size(), convert, &Collect, &paths);
  EXPECT_EQ(handed, paths.size());
  return paths;
}

using Paths = std::vector<std::string>;

TEST(DropList, PathsArriveInListOrder) {
  const auto drop = Ansi({"C:\\a.txt", "C:\\dir", "\\\\server\\share\\f"});
  EXPECT_EQ(CountDropPaths(drop.data(), drop.size()), 3u);
  EXPECT_EQ(Read(drop), (Paths{"C:\\a.txt", "C:\\dir", "\\\\server\\share\\f"}));
  EXPECT_EQ(Read(Wide({u"C:\\a.txt", u"D:\\x"})), (Paths{"C:\\a.txt", "D:\\x"}));
}

TEST(DropList, PathsThatWouldChangeArePassedOverNotShortened) {
  const std::string fits = "C:\\" + std::string(256, 'a');     // 259 bytes
  const std::string tooLong = "C:\\" + std::string(257, 'b');  // 260 bytes
  const std::string muchTooLong = "C:\\" + std::string(297, 'c');
  // Counted, so that the block has room, but not handed on.
  const auto drop = Ansi({tooLong, fits, muchTooLong, "C:\\x?.txt", "C:\\*", "C:\\ok"});
  EXPECT_EQ(CountDropPaths(drop.data(), drop.size()), 6u);
  EXPECT_EQ(Read(drop), (Paths{fits, "C:\\ok"}));

  // A wide path without an exact form in the code page, and one that the
  // code page makes longer than a path may be.
  const std::u16string foreign = u"C:\\r\u00e9sum\u00e9.txt";
  EXPECT_EQ(Read(Wide({foreign, u"C:\\plain"})), Paths{"C:\\plain"});
  const std::u16string widening = u"C:\\" + std::u16string(150, u'w');
  EXPECT_EQ(Read(Wide({widening, u"C:\\b"}), &TwoBytesEach), Paths{"CC::\\\\bb"});
  EXPECT_EQ(Read(Wide({u"C:\\a"}), nullptr), Paths{});
}

TEST(DropList, DamagedListsAreReadWithinTheirSize) {
  EXPECT_EQ(CountDropPaths(nullptr, 100), 0u);
  auto drop = Ansi({"C:\\a"});
  EXPECT_EQ(CountDropPaths(drop.data(), kDropHeaderSize - 1), 0u);
  // The list's offset points into the header or past the end.
  Put32(drop, 0, 4);
  EXPECT_EQ(CountDropPaths(drop.data(), drop.size()), 0u);
  Put32(drop, 0, static_cast<uint32_t>(drop.size()));
  EXPECT_EQ(CountDropPaths(drop.data(), drop.size()), 0u);
  Put32(drop, 0, 0xFFFFFFF0u);
  EXPECT_EQ(CountDropPaths(drop.data(), drop.size()), 0u);

  // Without the closing empty string the complete paths still count; a path
  // cut off by the end of the memory does not.
  auto open = Ansi({"C:\\a", "C:\\b"}, false);
  EXPECT_EQ(Read(open), (Paths{"C:\\a", "C:\\b"}));
  open.pop_back();
  EXPECT_EQ(CountDropPaths(open.data(), open.size()), 1u);
  EXPECT_EQ(Read(open), Paths{"C:\\a"});

  // A wide list whose last code unit is cut in half.
  auto wide = Wide({u"C:\\a", u"C:\\bb"});
  wide.resize(wide.size() - 5);
  EXPECT_EQ(Read(wide), Paths{"C:\\a"});
  // An empty list.
  EXPECT_EQ(CountDropPaths(Ansi({}).data(), Ansi({}).size()), 0u);
}

}  // namespace
