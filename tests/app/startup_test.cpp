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
  static bool RunToEnd(const std::string& arguments, DWORD* exitCode = nullptr) {
    return kxtest::RunToEnd("\"" + DistPath("KXer.exe") + "\" " + arguments, 20000, exitCode);
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
  DWORD exitCode = 99;
  EXPECT_TRUE(RunToEnd("/unregcm", &exitCode));
  EXPECT_EQ(exitCode, 0u) << "the registration run did its work";

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

namespace {

// A 32-bit job of a million items needs the address space above 2 GiB that
// 64-bit Windows gives only to programs that say they can use it.
TEST(ShippedProgram, IsLargeAddressAware) {
  const std::string shipped = kxtest::WinePath(KX_SHIPPED_DIR) + "\\KXer.exe";
  HANDLE file = CreateFileA(shipped.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char header[4096] = {};
  DWORD read = 0;
  ReadFile(file, header, sizeof header, &read, nullptr);
  CloseHandle(file);
  ASSERT_GE(read, sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(header);
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LE(static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), read);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(header + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
}

}  // namespace
