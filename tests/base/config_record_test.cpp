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

TEST(ConfigRecord, StoredBytesOfAnyOtherSizeLeaveTheDefaults) {
  ConfigRecord defaults;
  ResetConfig(defaults);
  uint8_t bytes[sizeof(ConfigRecord) + 1];
  std::memset(bytes, 0x33, sizeof bytes);
  for (size_t size : {size_t{0}, size_t{1}, sizeof(ConfigRecord) - 1, sizeof(ConfigRecord) + 1}) {
    ConfigRecord record;
    std::memset(&record, 0x77, sizeof record);
    EXPECT_FALSE(ConfigFromStoredBytes(bytes, size, record)) << size;
    EXPECT_EQ(std::memcmp(&record, &defaults, sizeof record), 0) << size;
  }
  ConfigRecord record;
  EXPECT_FALSE(ConfigFromStoredBytes(nullptr, sizeof record, record));
}

TEST(ConfigRecord, StoredRecordIsTakenWithItsFillLengthKeptInsideThePattern) {
  ConfigRecord stored;
  std::memset(&stored, 0, sizeof stored);
  stored.updatePeriodMs = 750;
  stored.skipErrors = 1;
  stored.fillLength = 128;
  stored.passwordDigest[3] = 9;
  ConfigRecord record;
  ASSERT_TRUE(
      ConfigFromStoredBytes(reinterpret_cast<const uint8_t*>(&stored), sizeof stored, record));
  EXPECT_EQ(record.updatePeriodMs, 750);
  EXPECT_EQ(record.fillLength, 128);
  EXPECT_TRUE(HasPassword(record));
  stored.fillLength = 129;
  ASSERT_TRUE(
      ConfigFromStoredBytes(reinterpret_cast<const uint8_t*>(&stored), sizeof stored, record));
  EXPECT_EQ(record.fillLength, 127);
  stored.fillLength = 255;
  ASSERT_TRUE(
      ConfigFromStoredBytes(reinterpret_cast<const uint8_t*>(&stored), sizeof stored, record));
  EXPECT_EQ(record.fillLength, 127);
}
