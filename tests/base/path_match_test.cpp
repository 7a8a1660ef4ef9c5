// Whether a path lies inside a listed one, with the system's code page and
// letter case, on real paths as the batch list and the job see them.
#include "base/path_match.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(PathMatch, InsideAndEqualAsTheFileSystemSeesThem) {
  EXPECT_TRUE(SameOrInsideOnDisk("C:\\Data", "C:\\Data\\a.txt"));
  EXPECT_TRUE(SameOrInsideOnDisk("C:\\Data", "c:\\data"));
  EXPECT_TRUE(SameOrInsideOnDisk("C:\\", "C:\\x"));
  EXPECT_TRUE(SameOrInsideOnDisk("D:\\Photos\\", "d:\\photos\\a.jpg"));
  EXPECT_FALSE(SameOrInsideOnDisk("C:\\Data", "C:\\Data2"));
  EXPECT_FALSE(SameOrInsideOnDisk("C:\\Data\\a.txt", "C:\\Data"));
  EXPECT_FALSE(SameOrInsideOnDisk("", "C:\\Data"));
  EXPECT_FALSE(SameOrInsideOnDisk("C:\\Data", ""));
}

TEST(PathMatch, LettersBeyondAsciiAndDoubleByteCharacters) {
  if (GetACP() == 1252) {
    // A backslash after an ordinary byte of 0x80 or above is a separator.
    EXPECT_TRUE(SameOrInsideOnDisk("C:\\Caf\xE9", "C:\\Caf\xE9\\x.txt"));
    EXPECT_TRUE(SameOrInsideOnDisk("C:\\Caf\xE9", "C:\\CAF\xC9\\x.txt"));
    EXPECT_FALSE(SameOrInsideOnDisk("C:\\Strasse", "C:\\Stra\xDF" "e"));
  }
  // In a double-byte code page the same byte after a lead byte is half a
  // character; shown here through the conversion the match relies on.
  const char kanji[] = "\x95\x5C";  // a character whose second byte is 0x5C in code page 932
  wchar_t wide[4] = {};
  if (MultiByteToWideChar(932, 0, kanji, -1, wide, 4) == 2) EXPECT_NE(wide[0], L'\\');
}

}  // namespace
