// The kinds of run of KXer.exe, started as real processes: only interactive
// runs take part in the single-instance rule.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/process_helpers.h"
#include "support/window_search.h"

namespace {

using kxtest::DistPath;
using kxtest::StartProcess;
using kxtest::WaitFor;
using kxtest::WaitForWindow;

class RunningInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartProcess("\"" + DistPath("KXer.exe") + "\"", first_));
    window_ = WaitForWindow(first_.dwProcessId, "Karvex", 20000);
    ASSERT_NE(window_, nullptr) << "the interactive run shows its window";
    ShowWindow(window_, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window_) != 0; }, 5000));
  }

  void TearDown() override {
    if (first_.hProcess) {
      PostMessageA(window_, RegisterWindowMessageA("WM_KX_CLOSE"), 0, 0);
      if (WaitForSingleObject(first_.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(first_.hProcess, 1);
      CloseHandle(first_.hProcess);
      CloseHandle(first_.hThread);
    }
  }

  // Runs KXer.exe with the arguments and waits for it to end.
  static bool RunToEnd(const std::string& arguments) {
    return kxtest::RunToEnd("\"" + DistPath("KXer.exe") + "\" " + arguments, 20000);
  }

  PROCESS_INFORMATION first_ = {};
  HWND window_ = nullptr;
};

TEST_F(RunningInstance, SecondInteractiveStartRestoresTheFirstAndEnds) {
  EXPECT_TRUE(RunToEnd("C:\\some\\path.txt")) << "paths on the command line are ignored";
  EXPECT_TRUE(WaitFor([&] { return IsIconic(window_) == 0; }, 5000))
      << "the running window is restored from minimised";
  EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(RunningInstance, HandOffAndRegistrationRunsDoNotTakePart) {
  EXPECT_TRUE(RunToEnd("/unregcm"));

  // A hand-off block with an empty path list: the run takes the block, has
  // nothing to delete and ends silently, without a confirmation.
  const char name[] = "KXFMstartup-test-block";
  const DWORD size = 16;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
  ASSERT_NE(mapping, nullptr);
  auto* block = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size));
  ASSERT_NE(block, nullptr);
  std::memset(block, 0, size);
  block[0] = 2;  // a list of paths
  block[2] = 1;  // pending
  EXPECT_TRUE(RunToEnd(std::string("-TME") + name));
  EXPECT_EQ(block[2], 0) << "the hand-off run took the block";
  UnmapViewOfFile(block);
  CloseHandle(mapping);

  Sleep(500);
  EXPECT_TRUE(IsIconic(window_)) << "neither run brought the interactive instance forward";
}

}  // namespace
