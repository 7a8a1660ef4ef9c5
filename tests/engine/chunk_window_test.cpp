// What verification keeps between a write and its read-back, and what counts
// as read back.
#include "engine/chunk_window.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(ChunkWindow, RandomDataHeldForComparingIsNeverWrittenOver) {
  ChunkWindow verifying;
  ASSERT_TRUE(verifying.Prepare(true, true));
  ASSERT_NE(verifying.ReadBuffer(), nullptr);
  std::set<const uint8_t*> held;
  for (unsigned i = 0; i < kVerifyWindowChunks; ++i) {
    uint8_t* next = verifying.NextRandomBuffer();
    EXPECT_EQ(held.count(next), 0u) << "chunk " << i << " would overwrite a held one";
    EXPECT_NE(next, verifying.ReadBuffer());
    held.insert(next);
    verifying.Add(i * 100, 100, next);
  }
  EXPECT_TRUE(verifying.Full());
  EXPECT_EQ(verifying.At(2).offset, 200u);
  verifying.Clear();
  EXPECT_EQ(held.count(verifying.NextRandomBuffer()), 1u) << "reused once compared";

  ChunkWindow plain;  // random without verifying: one buffer, no read buffer
  ASSERT_TRUE(plain.Prepare(true, false));
  EXPECT_NE(plain.NextRandomBuffer(), nullptr);
  EXPECT_EQ(plain.ReadBuffer(), nullptr);
  ChunkWindow constant;
  ASSERT_TRUE(constant.Prepare(false, true));
  EXPECT_EQ(constant.NextRandomBuffer(), nullptr);
  EXPECT_NE(constant.ReadBuffer(), nullptr);
}

TEST(ChunkWindow, OnlyThePartInsideTheFileMustReadBackAndAllOfIt) {
  const std::string written(512, 'w');
  std::string read = written;
  auto check = [&](uint32_t got, uint64_t offset, uint64_t end) {
    return ChunkReadBack(reinterpret_cast<const uint8_t*>(written.data()),
                         reinterpret_cast<const uint8_t*>(read.data()), 512, got, offset, end);
  };
  EXPECT_TRUE(check(512, 1024, 4096));
  EXPECT_FALSE(check(511, 1024, 4096)) << "short inside the file";
  read[100] = 'x';
  EXPECT_FALSE(check(512, 1024, 4096)) << "one byte differs";
  // A tail written in a whole sector and cut back to 300 bytes.
  EXPECT_FALSE(check(300, 1024, 1324)) << "the differing byte lies inside";
  read[100] = 'w';
  read[400] = 'x';
  EXPECT_TRUE(check(300, 1024, 1324)) << "past the end it was cut away";
  EXPECT_FALSE(check(299, 1024, 1324));
  EXPECT_TRUE(check(0, 2048, 1324)) << "nothing of the file there";
}

}  // namespace
