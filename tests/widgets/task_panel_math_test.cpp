#include <gtest/gtest.h>

#include "widgets/group_scheme.h"
#include "widgets/task_panel_math.h"

using namespace taskpanel;

TEST(TaskPanelMath, HeaderGrowsOnlyForLargeFonts) {
  EXPECT_EQ(HeaderHeight(12), 20);
  EXPECT_EQ(HeaderHeight(13), 21);
  EXPECT_EQ(HeaderHeight(14), 22);
  EXPECT_EQ(HeaderHeight(0), 20);
}

TEST(TaskPanelMath, ToggleEndsExactlyAndMovesOneWay) {
  for (bool expanding : {true, false}) {
    auto h = ToggleHeights(120, 20, expanding, true);
    ASSERT_EQ(h.size(), 6u);
    EXPECT_EQ(h.back(), expanding ? 120 : 21);
    for (size_t i = 1; i < h.size(); ++i) {
      if (expanding) {
        EXPECT_GE(h[i], h[i - 1]);
      } else {
        EXPECT_LE(h[i], h[i - 1]);
      }
    }
  }
  EXPECT_EQ(ToggleHeights(120, 20, false, false), std::vector<int>{21});
  // A body of a few pixels neither overshoots nor divides by zero.
  for (int full : {20, 21, 22, 24}) {
    for (int h : ToggleHeights(full, 20, false, true)) {
      EXPECT_GE(h, std::min(21, full));
      EXPECT_LE(h, std::max(21, full));
    }
  }
  EXPECT_EQ(ToggleHeights(10, 20, true, true).back(), 10);
}

TEST(TaskPanelMath, ArrowPointsUpWhenExpandedAndStaysInHeader) {
  auto up = ArrowRuns(200, 20, true);
  auto down = ArrowRuns(200, 20, false);
  ASSERT_EQ(up.size(), 5u);
  EXPECT_EQ(up.front().length, 1);
  EXPECT_EQ(up.back().length, 9);
  EXPECT_EQ(down.front().length, 9);
  EXPECT_EQ(down.back().length, 1);
  for (const auto& run : up) {
    EXPECT_EQ(run.x + run.length / 2, 200 - 10 - 5);  // centred
    EXPECT_GE(run.y, 8);
    EXPECT_LE(run.y, 12);
  }
  // The caption never runs into the arrow.
  EXPECT_LT(CaptionRight(200, 20, true), up.back().x);
  EXPECT_EQ(CaptionRight(200, 20, false), 195);
}

TEST(TaskPanelMath, ScrollBarOnlyWhenContentIsTaller) {
  const int content = ContentHeight({{100, 10}, {80, 10}, {60, 10}});
  EXPECT_EQ(content, 7 + 240 + 20);

  ScrollState fits = ComputeScroll(content, 400, 30, true);
  EXPECT_FALSE(fits.showBar);
  EXPECT_EQ(fits.position, 0);  // back to the top when the bar goes

  ScrollState tall = ComputeScroll(content, 200, 30, true);
  EXPECT_TRUE(tall.showBar);
  EXPECT_EQ(tall.max, content + 7);
  EXPECT_EQ(tall.page, 200);
  EXPECT_EQ(tall.position, 30);

  // Growing the window while scrolled down pulls the content back.
  ScrollState grown = ComputeScroll(content, 250, 500, true);
  EXPECT_EQ(grown.position, content + 7 - 250 + 1);

  EXPECT_FALSE(ComputeScroll(content, 100, 0, false).showBar);
}

TEST(GroupScheme, SchemesOfTheMainWindow) {
  GroupColours c{};
  ASSERT_TRUE(GroupSchemeColours(5, 0, c));
  EXPECT_EQ(c.headerStart, 0xFCE1CBu);
  EXPECT_EQ(c.border, 0x962D00u);
  EXPECT_EQ(c.captionNormal, c.captionHot);  // no hover effect
  EXPECT_EQ(c.itemNormal, c.captionNormal);

  ASSERT_TRUE(GroupSchemeColours(8, 0, c));
  EXPECT_EQ(c.headerStart, 0x1595EEu);  // swapped sideways
  ASSERT_TRUE(GroupSchemeColours(8, 1, c));
  EXPECT_EQ(c.headerStart, 0x94E6FBu);

  ASSERT_TRUE(GroupSchemeColours(6, 0, c));
  EXPECT_EQ(c.arrowNormal, 0x000000u);
  EXPECT_EQ(c.arrowHot, 0x333333u);

  ASSERT_TRUE(GroupSchemeColours(4, 1, c));
  EXPECT_EQ(c.itemNormal, 0u);
  EXPECT_EQ(c.captionNormal, 0xFFFFFFu);

  ASSERT_TRUE(GroupSchemeColours(0, 0, c));
  EXPECT_NE(c.captionNormal, c.captionHot);

  GroupColours before = c;
  EXPECT_FALSE(GroupSchemeColours(9, 0, c));
  EXPECT_FALSE(GroupSchemeColours(-1, 0, c));
  EXPECT_EQ(c.body, before.body);
}

TEST(GroupScheme, GradientIsLinearPerChannel) {
  EXPECT_EQ(GradientColour(0x000000, 0xFF8040, 0, 5), 0x000000u);
  EXPECT_EQ(GradientColour(0x000000, 0xFF8040, 4, 5), 0xFF8040u);
  EXPECT_EQ(GradientColour(0x000000, 0xFF8040, 2, 5), 0x7F4020u);
  EXPECT_EQ(GradientColour(0xFFFFFF, 0x000000, 1, 3), 0x808080u);  // falling channels
  EXPECT_EQ(GradientColour(0x123456, 0x654321, 0, 1), 0x123456u);
}
