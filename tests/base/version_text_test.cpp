#include "base/version_text.h"

#include <gtest/gtest.h>

TEST(VersionText, NeverOlderThan602) {
  EXPECT_EQ(VersionText(0x70103), "7.1.3");
  EXPECT_EQ(VersionText(0x60002), "6.0.2");
  EXPECT_EQ(VersionText(0x60001), "6.0.2");
  EXPECT_EQ(VersionText(0), "6.0.2");
  EXPECT_EQ(VersionText(0xFFFFFFFF), "65535.255.255");
}
