#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cmenu/cmenu_panel_logic.h"

namespace {

ContextMenuState State(int enabled, const char* caption) {
  ContextMenuState s{};
  s.enabled = enabled;
  std::strcpy(s.caption, caption);
  return s;
}

bool TestLead(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

}  // namespace

TEST(CMenuPanel, OkOnlyWhenSomethingWouldChange) {
  const ContextMenuState on = State(1, "Delete By Karvex");
  EXPECT_FALSE(CMenuOkEnabled(on, true, "Delete By Karvex"));
  EXPECT_TRUE(CMenuOkEnabled(on, true, "Delete By Karvez"));
  EXPECT_TRUE(CMenuOkEnabled(on, true, "delete By Karvex"));  // letter case counts
  EXPECT_FALSE(CMenuOkEnabled(on, true, ""));
  EXPECT_TRUE(CMenuOkEnabled(on, false, "Delete By Karvex"));  // switching off
  EXPECT_TRUE(CMenuOkEnabled(on, false, ""));

  const ContextMenuState off = State(0, "Delete By Karvex");
  EXPECT_FALSE(CMenuOkEnabled(off, false, "Delete By Karvex"));
  EXPECT_FALSE(CMenuOkEnabled(off, false, "Anything else"));
  EXPECT_TRUE(CMenuOkEnabled(off, true, "Delete By Karvex"));
  EXPECT_FALSE(CMenuOkEnabled(off, true, ""));
  EXPECT_FALSE(CMenuOkEnabled(off, true, nullptr));
}

TEST(CMenuPanel, StateWithoutTerminatorIsReadWithinBounds) {
  ContextMenuState s{};
  s.enabled = 1;
  std::memset(s.caption, 'x', sizeof(s.caption));
  std::string text(128, 'x');
  EXPECT_FALSE(CMenuOkEnabled(s, true, text.c_str()));
  EXPECT_TRUE(CMenuOkEnabled(s, true, text.substr(0, 127).c_str()));
}

TEST(CMenuPanel, CaptionIsCutToTheLimitWithoutSplittingACharacter) {
  char target[128];
  std::string full(127, 'a');
  CopyMenuCaption(target, (full + "bcd").c_str(), nullptr);
  EXPECT_EQ(std::string(target), full);

  std::string dbcs(126, 'a');
  dbcs += "\x81\x40";  // would need bytes 127 and 128
  CopyMenuCaption(target, dbcs.c_str(), TestLead);
  EXPECT_EQ(std::string(target), std::string(126, 'a'));

  CopyMenuCaption(target, nullptr, nullptr);
  EXPECT_STREQ(target, "");
  CopyMenuCaption(target, "Shred Now", TestLead);
  EXPECT_STREQ(target, "Shred Now");
}
