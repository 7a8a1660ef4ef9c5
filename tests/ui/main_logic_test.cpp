#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ui/main_logic.h"

using namespace mainwin;

TEST(StatusBar, DescriptionKeysOfTheTaskPanel) {
  EXPECT_STREQ(CommandDescriptionKey(32771), "DelFileInfo");
  EXPECT_STREQ(CommandDescriptionKey(32784), "LanguageInfo");
  EXPECT_STREQ(CommandDescriptionKey(32774), "OptionsInfo");
  EXPECT_EQ(CommandDescriptionKey(32787), nullptr);  // web: no description
  EXPECT_EQ(CommandDescriptionKey(0), nullptr);
  EXPECT_EQ(CommandDescriptionKey(0xFFFF), nullptr);
}

// The tip box draws its text 5 pixels inside its edges and its 16-pixel icon
// at (5, 5): whatever the font and the number of lines, the box holds both
// with that margin below them, and is no taller than that.
TEST(TipBox, HoldsItsTextAndIconAndNoMore) {
  constexpr int kMargin = 5, kIcon = 16;
  for (int text = 0; text <= 300; ++text) {
    const int box = TipBoxHeight(text);
    EXPECT_GE(box, text + 2 * kMargin) << text;
    EXPECT_GE(box, kIcon + 2 * kMargin) << text;
    EXPECT_LE(box, std::max(text, kIcon) + 2 * kMargin) << text;
  }
}

TEST(PanelLayout, PanelsEndAtTheStatusBar) {
  PanelLayout layout = ComputePanelLayout({0, 0, 700, 500}, {0, 0, 200, 10}, {0, 478, 700, 500});
  EXPECT_EQ(layout.taskPanelHeight, 478);
  EXPECT_EQ(layout.rightArea.left, 200);
  EXPECT_EQ(layout.rightArea.right, 700);
  EXPECT_EQ(layout.rightArea.top, 0);
  EXPECT_EQ(layout.rightArea.bottom, 478);
}

TEST(SavedPosition, DamagedRectanglesAreMadeSafe) {
  const Rect screen{0, 0, 1024, 768};
  Rect r{};
  const int32_t good[4] = {100, 50, 700, 450};
  ASSERT_TRUE(SanitizeWindowRect(good, 500, 300, screen, r));
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.bottom, 450);

  const int32_t empty[4] = {0, 0, 0, 0};
  EXPECT_FALSE(SanitizeWindowRect(empty, 500, 300, screen, r));
  const int32_t inverted[4] = {700, 50, 100, 450};
  EXPECT_FALSE(SanitizeWindowRect(inverted, 500, 300, screen, r));

  const int32_t offScreen[4] = {5000, -4000, 5600, -3600};
  ASSERT_TRUE(SanitizeWindowRect(offScreen, 500, 300, screen, r));
  EXPECT_EQ(r.right, 1024);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.Width(), 600);

  const int32_t tiny[4] = {10, 10, 20, 20};
  ASSERT_TRUE(SanitizeWindowRect(tiny, 500, 300, screen, r));
  EXPECT_EQ(r.Width(), 500);
  EXPECT_EQ(r.Height(), 300);

  const int32_t huge[4] = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  ASSERT_TRUE(SanitizeWindowRect(huge, 500, 300, screen, r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.Width(), 1024);
  EXPECT_EQ(r.Height(), 768);
}
