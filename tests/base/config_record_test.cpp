#include "base/config_record.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ConfigRecord, DefaultsAreFillByteFeEvery200msWithoutPassword) {
  ConfigRecord record;
  std::memset(&record, 0x5A, sizeof record);
  ResetConfig(record);
  EXPECT_EQ(record.updatePeriodMs, 200);
  EXPECT_EQ(record.skipErrors, 0);
  EXPECT_EQ(record.fillLength, 1);
  EXPECT_EQ(record.fillPattern[0], 0xFE);
  for (int i = 1; i < 128; ++i) EXPECT_EQ(record.fillPattern[i], 0) << i;
  EXPECT_FALSE(HasPassword(record));
  record.passwordDigest[15] = 1;
  EXPECT_TRUE(HasPassword(record));
}
