// The writer side of the hand-off, called directly: what it refuses to send,
// and how it waits for the program that should take the block.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "base/handoff_block.h"
#include "shellext/ext_test_support.h"
#include "shellext/handoff_send.h"
#include "support/window_search.h"

namespace {

std::vector<uint8_t> Block(const char* path) {
  std::vector<uint8_t> block(HandOffCapacity(1));
  HandOffWriter writer;
  BeginHandOff(writer, block.data(), block.size(), 0, 0);
  AddHandOffPath(writer, path);
  block.resize(FinishHandOff(writer));
  return block;
}

class SendHandOffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    report_ = scratch_ / "report.txt";
    SetEnvironmentVariableA("KX_RECEIVER_OUT", report_.c_str());
    SetEnvironmentVariableA("KX_RECEIVER_DELAY_MS", nullptr);
    SetEnvironmentVariableA("KX_RECEIVER_KEEP", nullptr);
  }
  bool Report(std::string& text, DWORD timeoutMs) {
    return kxtest::WaitFor([&] { return kxtest::ReadFileText(report_, text); }, timeoutMs);
  }

  kxtest::ScratchFolder scratch_;
  std::string report_;
  const std::string receiver_ = kxtest::WinePath(KX_RECEIVER_PATH);
};

TEST_F(SendHandOffTest, SendsNoMoreThanTheBufferHolds) {
  std::vector<uint8_t> block = Block("C:\\a.txt");
  ASSERT_EQ(block.size(), 22u);
  // A size past the end of the buffer is refused before anything starts.
  EXPECT_EQ(SendHandOff(receiver_.c_str(), block.data(), block.size() + 1, block.size()),
            HandOffResult::kNothingToSend);
  EXPECT_EQ(SendHandOff(receiver_.c_str(), nullptr, block.size(), block.size()),
            HandOffResult::kNothingToSend);
  EXPECT_EQ(SendHandOff(receiver_.c_str(), block.data(), 0, block.size()),
            HandOffResult::kNothingToSend);
  EXPECT_EQ(SendHandOff("", block.data(), block.size(), block.size()),
            HandOffResult::kNothingToSend);
  std::string report;
  EXPECT_FALSE(Report(report, 1000));

  EXPECT_EQ(SendHandOff(receiver_.c_str(), block.data(), block.size(), block.size()),
            HandOffResult::kTaken);
  ASSERT_TRUE(Report(report, 15000));
  EXPECT_NE(report.find("block=020000000000000000000000433a5c612e7478740000\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("path=C:\\a.txt\n"), std::string::npos) << report;
}

TEST_F(SendHandOffTest, AProgramThatCannotStartIsNotWaitedFor) {
  std::vector<uint8_t> block = Block("C:\\a.txt");
  const DWORD start = GetTickCount();
  EXPECT_EQ(SendHandOff((scratch_ / "missing.exe").c_str(), block.data(), block.size(),
                        block.size()),
            HandOffResult::kNotStarted);
  EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(SendHandOffTest, WaitEndsWhenTheProgramNeverTakesTheBlock) {
  SetEnvironmentVariableA("KX_RECEIVER_KEEP", "1");
  std::vector<uint8_t> block = Block("C:\\a.txt");
  const DWORD start = GetTickCount();
  EXPECT_EQ(SendHandOff(receiver_.c_str(), block.data(), block.size(), block.size(), 700),
            HandOffResult::kNotTaken);
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, 600u);
  EXPECT_LT(waited, 5000u);
}

TEST(HandOffMappingName, IsKXFMAndAFreshLowerCaseUuid) {
  char first[261];
  char second[261];
  ASSERT_TRUE(MakeHandOffMappingName(first));
  ASSERT_TRUE(MakeHandOffMappingName(second));
  EXPECT_STRNE(first, second);
  ASSERT_EQ(std::strlen(first), 40u);
  EXPECT_EQ(std::string(first, 4), "KXFM");
  for (int i = 4; i < 40; ++i) {
    const int at = i - 4;
    if (at == 8 || at == 13 || at == 18 || at == 23) {
      EXPECT_EQ(first[i], '-');
    } else {
      EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(first[i])) &&
                  !std::isupper(static_cast<unsigned char>(first[i])))
          << first;
    }
  }
}

}  // namespace
