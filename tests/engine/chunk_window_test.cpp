// What counts as read back: a tail cut back to the file's length is compared
// only as far as the file reaches (the engine's tests see it only where the
// handle is unbuffered).
#include "engine/chunk_window.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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
