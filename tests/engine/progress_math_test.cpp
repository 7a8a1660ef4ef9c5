// The bar's 16-bit scale and the throttling of the labels.
#include <gtest/gtest.h>

#include "engine/progress_math.h"

namespace {

TEST(ProgressScale, SmallJobsCountInBytesLargeOnesOnASixteenBitScale) {
  BarScale small = ScaleProgress(40000, 12345);
  EXPECT_EQ(small.range, 40000);
  EXPECT_EQ(small.position, 12345);

  const uint64_t gigabyte = 1ull << 30;
  BarScale half = ScaleProgress(gigabyte, gigabyte / 2);
  EXPECT_EQ(half.range, 0xFFFF);
  EXPECT_EQ(half.position, 32767);  // truncated, not rounded
  EXPECT_EQ(ScaleProgress(gigabyte, gigabyte).position, 0xFFFF);
  EXPECT_EQ(ScaleProgress(65535, 65535).range, 65535);
  EXPECT_EQ(ScaleProgress(65536, 0).range, 0xFFFF);
  EXPECT_EQ(ScaleProgress(0, 0).range, 0);
}

TEST(ProgressScale, MoreDoneThanCountedShowsAFullBarNotAWrappedOne) {
  // A file that grew after it was counted: the bar must not jump back.
  BarScale small = ScaleProgress(40000, 70000);
  EXPECT_EQ(small.position, 40000);
  BarScale large = ScaleProgress(100000, 150000);
  EXPECT_EQ(large.position, 0xFFFF);
}

TEST(LabelThrottle, DueWhenNeverSetWrappedOrThePeriodHasPassed) {
  EXPECT_TRUE(LabelsDue(5000, 0, 200));       // never set
  EXPECT_FALSE(LabelsDue(5100, 5000, 200));   // too early
  EXPECT_TRUE(LabelsDue(5200, 5000, 200));    // exactly one period
  EXPECT_TRUE(LabelsDue(100, 0xFFFFFF00u, 200));  // the tick counter wrapped
  EXPECT_TRUE(LabelsDue(5000, 5000, 0));      // period 0: every report
  EXPECT_FALSE(LabelsDue(5000 + 65534, 5000, 65535));
  EXPECT_TRUE(LabelsDue(5000 + 65535, 5000, 65535));
}

}  // namespace
