// File-system redirection as the shipped 32-bit program meets it on 64-bit
// Windows: a name under System32 means the real System32 to a 64-bit
// Explorer, and SysWOW64 to a 32-bit host of the extension (whose Sysnative
// is the real System32). Twins of the same names in the other folder must
// come through byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shipped/handoff_run.h"
#include "shipped/menu_driver.h"
#include "support/process_helpers.h"
#include "support/scratch_folder.h"
#include "support/wine_paths.h"

namespace {

using kxtest::Exists;
using kxtest::ReadBytes;

std::string WindowsFolder() {
  char windows[MAX_PATH] = "";
  GetSystemWindowsDirectoryA(windows, sizeof windows);
  return windows;
}

// A file of the same name in the real System32 and in SysWOW64, each with
// contents of its own; both go when the test ends.
class Twins {
 public:
  explicit Twins(const std::string& name)
      : native_(WindowsFolder() + "\\System32\\" + name),
        wow_(WindowsFolder() + "\\SysWOW64\\" + name) {
    made_ =
        kxtest::WriteBytes(native_, "native " + name) && kxtest::WriteBytes(wow_, "wow " + name);
  }
  ~Twins() {
    DeleteFileA(native_.c_str());
    DeleteFileA(wow_.c_str());
  }
  Twins(const Twins&) = delete;
  Twins& operator=(const Twins&) = delete;

  bool Made() const { return made_; }
  // Only the copy in the real System32 is gone; the other is as it was.
  ::testing::AssertionResult OnlyNativeGone(const std::string& name) const {
    return OnlyGone(native_, wow_, "wow " + name);
  }
  ::testing::AssertionResult OnlyWowGone(const std::string& name) const {
    return OnlyGone(wow_, native_, "native " + name);
  }

 private:
  static ::testing::AssertionResult OnlyGone(const std::string& gone, const std::string& kept,
                                             const std::string& keptBytes) {
    if (Exists(gone)) return ::testing::AssertionFailure() << gone << " is still there";
    if (ReadBytes(kept) != keptBytes) return ::testing::AssertionFailure() << kept << " changed";
    return ::testing::AssertionSuccess();
  }

  std::string native_, wow_;
  bool made_ = false;
};

// What a 64-bit Explorer shows: the real System32. The 64-bit extension
// hands it to the 32-bit program, which must not find SysWOW64's twin.
TEST(Redirection, SystemFileChosenInA64BitExplorerIsTheRealOne) {
  kx::ComScope com;
  Twins twins("kx-shipped-64.dat");
  ASSERT_TRUE(twins.Made());
  kx::ComPtr<IShellExtInit> init = kxtest::ExtensionFromFile(kxtest::DistPath("KXMExt64.dll"));
  ASSERT_TRUE(init);
  const kxtest::MenuPick pick =
      kxtest::PickTheCommand(init.Get(), {WindowsFolder() + "\\System32\\kx-shipped-64.dat"});
  EXPECT_EQ(pick.itemText, "Delete By Karvex");
  ASSERT_EQ(pick.invoked, S_OK);
  const kxtest::HandOffRun run = kxtest::AgreeToHandOffRun(GetCurrentProcessId());
  ASSERT_TRUE(run.confirmed);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.image, kxtest::DistPath("KXer.exe"));
  EXPECT_TRUE(twins.OnlyNativeGone("kx-shipped-64.dat"));
}

// What a 32-bit host shows: its System32 is SysWOW64, its Sysnative the real
// System32. One selection of both, through the 32-bit extension.
TEST(Redirection, SystemFilesChosenInA32BitHostAreTheOnesItShowed) {
  Twins shown("kx-shipped-32.dat");
  Twins nativeShown("kx-shipped-32n.dat");
  ASSERT_TRUE(shown.Made() && nativeShown.Made());
  kxtest::ScratchFolder scratch("shipped-host");
  const std::string report = scratch / "report.txt";
  const std::string command = "\"" + kxtest::WinePath(KX_EXT_HOST32) + "\" \"" + report + "\" \"" +
                              kxtest::DistPath("KXMExt.dll") + "\" \"" + WindowsFolder() +
                              "\\System32\\kx-shipped-32.dat\" \"" + WindowsFolder() +
                              "\\Sysnative\\kx-shipped-32n.dat\"";
  PROCESS_INFORMATION host = {};
  ASSERT_TRUE(kxtest::StartProcess(command, host));
  const kxtest::HandOffRun run = kxtest::AgreeToHandOffRun(host.dwProcessId);
  DWORD hostCode = 99;
  EXPECT_EQ(WaitForSingleObject(host.hProcess, 120000), WAIT_OBJECT_0);
  GetExitCodeProcess(host.hProcess, &hostCode);
  CloseHandle(host.hProcess);
  CloseHandle(host.hThread);
  EXPECT_EQ(ReadBytes(report), "item=Delete By Karvex\ninvoked=00000000\n");
  EXPECT_EQ(hostCode, 0u);
  ASSERT_TRUE(run.confirmed);
  EXPECT_TRUE(run.ended);
  EXPECT_TRUE(shown.OnlyWowGone("kx-shipped-32.dat"));
  EXPECT_TRUE(nativeShown.OnlyNativeGone("kx-shipped-32n.dat"));
}

}  // namespace
