#include "base/ansi_text.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(WideToAnsiExact, PlainPathsConvertAndAreTerminated) {
  const char16_t path[] = u"C:\\Temp\\a b.txt";
  char out[64];
  std::memset(out, 'x', sizeof out);
  ASSERT_TRUE(WideToAnsiExact(path, 15, out, sizeof out));
  EXPECT_STREQ(out, "C:\\Temp\\a b.txt");
  // Only the units given count, not the terminator behind them.
  ASSERT_TRUE(WideToAnsiExact(path, 2, out, sizeof out));
  EXPECT_STREQ(out, "C:");
}

TEST(WideToAnsiExact, WhatWouldNameAnotherItemIsRefused) {
  char out[64];
  // Empty, too long for the buffer by one byte (the terminator needs room),
  // and a NUL inside the text: each would yield some other path.
  EXPECT_FALSE(WideToAnsiExact(u"", 0, out, sizeof out));
  EXPECT_TRUE(WideToAnsiExact(u"abc", 3, out, 4));
  EXPECT_FALSE(WideToAnsiExact(u"abcd", 4, out, 4));
  EXPECT_FALSE(WideToAnsiExact(u"ab\0cd", 5, out, sizeof out));
  EXPECT_FALSE(WideToAnsiExact(nullptr, 3, out, sizeof out));
  EXPECT_FALSE(WideToAnsiExact(u"abc", 3, out, 1));
  // A lone surrogate has no form in any code page.
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_FALSE(WideToAnsiExact(lone, 3, out, sizeof out));
  // A character the code page lacks: no best-fit look-alike, no default.
  const char16_t ideograph[] = u"\u4E00.txt";
  if (GetACP() == CP_UTF8 || GetACP() == 936 || GetACP() == 932 || GetACP() == 949 ||
      GetACP() == 950) {
    EXPECT_TRUE(WideToAnsiExact(ideograph, 5, out, sizeof out));
  } else {
    EXPECT_FALSE(WideToAnsiExact(ideograph, 5, out, sizeof out)) << "code page " << GetACP();
    // U+0100 has the best-fit look-alike "A" in code page 1252.
    EXPECT_FALSE(WideToAnsiExact(u"\u0100", 1, out, sizeof out)) << out;
  }
}

}  // namespace

TEST(LongPathOf, NamesReachTheSystemAsTheyAreWritten) {
  // A trailing dot or space is kept; separators are tidied.
  EXPECT_EQ(LongPathOf("C:\\Data\\report."), L"\\\\?\\C:\\Data\\report.");
  EXPECT_EQ(LongPathOf("C:/Data//folder \\"), L"\\\\?\\C:\\Data\\folder ");
  EXPECT_EQ(LongPathOf("c:\\"), L"\\\\?\\c:\\");
  EXPECT_EQ(LongPathOf("C:"), L"\\\\?\\C:\\");
  EXPECT_EQ(LongPathOf("\\\\server\\share\\a."), L"\\\\?\\UNC\\server\\share\\a.");
  EXPECT_EQ(LongPathOf("\\\\?\\C:\\x."), L"\\\\?\\C:\\x.");
  EXPECT_EQ(LongPathOf("\\\\?\\UNC\\server\\share\\x"), L"\\\\?\\UNC\\server\\share\\x");
  // What the system would resolve against something else is refused.
  for (const char* refused : {"", "report.", "C:relative", "\\rooted", "C:\\a\\..\\b",
                              "C:\\a\\.\\b", "\\\\server", "\\\\?\\relative"})
    EXPECT_EQ(LongPathOf(refused), L"") << refused;
}
