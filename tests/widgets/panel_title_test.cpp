#include <gtest/gtest.h>

#include <string>

#include "widgets/panel_title.h"

namespace {

unsigned char AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }
// A code page in which 0x81..0x9F start a double-byte character.
bool TestLead(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

std::string Capitalised(const char* text, LeadByteTest lead = nullptr) {
  std::string s = text;
  CapitaliseWords(s.data(), lead, AsciiUpper);
  return s;
}

}  // namespace

TEST(PanelTitle, EveryWordAfterABlankIsCapitalised) {
  EXPECT_EQ(Capitalised("Change language"), "Change Language");
  EXPECT_EQ(Capitalised("setup context menu"), "setup Context Menu");
  EXPECT_EQ(Capitalised("About Karvex"), "About Karvex");
  EXPECT_EQ(Capitalised("a  b\tc"), "a  B\tc");
  EXPECT_EQ(Capitalised(""), "");
  CapitaliseWords(nullptr, nullptr, AsciiUpper);
  // The trail byte 0x61 of a double-byte character after a blank is no letter.
  EXPECT_EQ(Capitalised("x \x81\x61 y", TestLead), "x \x81\x61 Y");
  // A lead byte at the very end is left alone, not read past.
  EXPECT_EQ(Capitalised("x \x81", TestLead), "x \x81");
}
