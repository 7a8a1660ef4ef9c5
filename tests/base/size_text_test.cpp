#include "base/size_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string Size(int64_t value) {
  char buffer[100];
  std::memset(buffer, 'x', sizeof buffer);
  const char* text = FormatSize(value, buffer, sizeof buffer);
  if (!text) {
    EXPECT_STREQ(buffer, "") << value;
    return "(none)";
  }
  EXPECT_EQ(text, buffer);
  return text;
}

constexpr int64_t kKB = 1024;
constexpr int64_t kTB = kKB * kKB * kKB * kKB;

}  // namespace

TEST(FormatSize, ThreeDigitsCutNeverRounded) {
  EXPECT_EQ(Size(0), "0 bytes");
  EXPECT_EQ(Size(5), "5.00 bytes");
  EXPECT_EQ(Size(50), "50.0 bytes");
  EXPECT_EQ(Size(999), "999 bytes");
  EXPECT_EQ(Size(1000), "0.97 KB");
  EXPECT_EQ(Size(1023), "0.99 KB");
  EXPECT_EQ(Size(1024), "1.00 KB");
  EXPECT_EQ(Size(1536), "1.50 KB");
  EXPECT_EQ(Size(1023999), "999 KB");
  EXPECT_EQ(Size(1048576), "1.00 MB");
  EXPECT_EQ(Size(10 * kKB * kKB * kKB), "10.0 GB");
  EXPECT_EQ(Size(1000 * kTB - 1), "999 TB");
}

TEST(FormatSize, NoTextForWhatCannotBeShown) {
  EXPECT_EQ(Size(1000 * kTB), "(none)");
  EXPECT_EQ(Size(INT64_MAX), "(none)");
  EXPECT_EQ(Size(-1), "(none)");
  EXPECT_EQ(Size(INT64_MIN), "(none)");
  EXPECT_EQ(FormatSize(5, nullptr, 10), nullptr);
}

TEST(FormatSize, BufferMustHoldTheWholeText) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(FormatSize(1000, buffer, 8), buffer);  // "0.97 KB" and its terminator
  EXPECT_STREQ(buffer, "0.97 KB");
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(FormatSize(1000, buffer, 7), nullptr);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[7], 'x');  // nothing written beyond the given size
  EXPECT_EQ(FormatSize(5, buffer, 0), nullptr);
}
