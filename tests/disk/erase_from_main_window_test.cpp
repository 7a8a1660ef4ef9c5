// The road through the real program: "Erase a disk" in the main window,
// drive K: (the image k.img) chosen, Yes at the question; the image ends up
// overwritten with the saved fill pattern and the eraser closes by itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/settings_store.h"
#include "disk/disk_ids.h"
#include "engine/fill_buffer.h"
#include "support/process_helpers.h"
#include "support/report_window.h"
#include "support/scratch_folder.h"
#include "support/window_search.h"

namespace {

constexpr WPARAM kEraseDiskCommand = 32777;
constexpr size_t kSize = 5 * 0xFE00 + 1024;

// A window of the program with this caption that holds the control.
HWND WaitForWindowWith(DWORD process, const char* caption, int id) {
  HWND found = nullptr;
  kxtest::WaitFor([&] {
    for (HWND w : kxtest::WindowsWithCaption(process, caption)) {
      if (GetDlgItem(w, id)) found = w;
    }
    return found != nullptr;
  });
  return found;
}

TEST(EraseDiskFromMainWindow, TheChosenImageDriveIsOverwrittenEndToEnd) {
  const std::string image = kxtest::WinePath(KX_DISK_DIR) + "\\k.img";
  ASSERT_TRUE(kxtest::WriteBytes(image, std::string(kSize, 'x')));
  ConfigRecord settings;
  LoadConfig(settings);  // the program reads the same settings
  std::vector<uint8_t> block(0xFE00);
  FillPattern(block.data(), block.size(), settings.fillPattern, settings.fillLength);
  std::string expected;
  while (expected.size() < kSize)
    expected.append(reinterpret_cast<const char*>(block.data()), std::min(block.size(), kSize - expected.size()));

  PROCESS_INFORMATION program = {};
  ASSERT_TRUE(kxtest::StartProcess("\"" + kxtest::DistPath("KXer.exe") + "\"", program));
  const DWORD pid = program.dwProcessId;
  HWND main = kxtest::WaitForWindow(pid, "Karvex", 20000);
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_COMMAND, kEraseDiskCommand, 0);

  HWND chooser = kxtest::WaitForWindow(pid, "Choose Disk", 10000);
  ASSERT_NE(chooser, nullptr);
  HWND eraser = WaitForWindowWith(pid, "Erase Disk", IDC_ERASE_PROGRESS);
  ASSERT_NE(eraser, nullptr);
  EXPECT_EQ(GetWindow(eraser, GW_OWNER), main);
  // K: is the first drive the chooser offers in this prefix, and so selected.
  kxtest::Click(chooser, IDOK);
  HWND question = WaitForWindowWith(pid, "Erase Disk", 0xFFFF);
  ASSERT_NE(question, nullptr);
  std::string text = kxtest::ItemText(question, 0xFFFF);
  std::string disk = kxtest::ItemText(eraser, IDC_DISK_TEXT);
  const bool isK = disk.rfind("K:", 0) == 0 && text.find("K:") != std::string::npos;
  EXPECT_TRUE(isK) << disk;
  kxtest::Click(question, isK ? IDYES : IDNO);
  // The erase ends with its report, closed here at once.
  kxtest::ReportCloser reports(pid);
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(eraser); }, 30000));
  EXPECT_EQ(reports.Closed(), isK ? 1 : 0);
  EXPECT_TRUE(kxtest::ReadBytes(image) == expected);

  PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(program.hProcess, 20000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the program did not end";
    TerminateProcess(program.hProcess, 1);
  }
  CloseHandle(program.hProcess);
  CloseHandle(program.hThread);
  kxtest::WriteBytes(image, "");
}

}  // namespace
