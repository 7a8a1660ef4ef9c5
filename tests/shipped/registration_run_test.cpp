// Registration runs of the real program, as an elevated copy or a user at a
// command prompt starts them: KXer.exe /REGCM:"caption" and /UNREGCM, from a
// program folder whose name holds a blank.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/menu_ext_names.h"
#include "support/process_helpers.h"
#include "support/registry.h"

namespace {

using kxtest::DistPath;

// The 32-bit program registers the extension of the system, in the system's
// own registry view.
constexpr REGSAM kView = KEY_WOW64_64KEY;

std::string ReadValue(HKEY root, const std::string& key, const char* value) {
  return kxtest::RegString(root, key, value, kView);
}

bool KeyExists(HKEY root, const std::string& key) { return kxtest::KeyExists(root, key, kView); }

bool RunProgram(const std::string& exe, const std::string& arguments, DWORD* exitCode = nullptr) {
  return kxtest::RunToEnd("\"" + exe + "\" " + arguments, 60000, exitCode);
}

class ProgramFolderWithBlank : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "kx program " + std::to_string(GetTickCount());
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    for (const char* file : {"KXer.exe", "KXMExt.dll", "KXMExt64.dll"})
      ASSERT_TRUE(CopyFileA(DistPath(file).c_str(), (folder_ + "\\" + file).c_str(), FALSE))
          << file;
  }
  void TearDown() override {
    RunProgram(Exe(), "/UNREGCM");
    for (const char* file : {"KXer.exe", "KXMExt.dll", "KXMExt64.dll"})
      DeleteFileA((folder_ + "\\" + file).c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  std::string Exe() const { return folder_ + "\\KXer.exe"; }

  std::string folder_;
};

TEST_F(ProgramFolderWithBlank, RegisterWithCaptionThenUnregister) {
  DWORD exitCode = 99;
  ASSERT_TRUE(RunProgram(Exe(), "/REGCM:\"Shred Now\"", &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kMenuExtClassKey));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kMenuExtClassKey, kMenuCaptionValue), "Shred Now");
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kMenuExtClassKey, kExePathValue), "\"" + Exe() + "\"")
      << "a path with a blank is stored quoted";
  // A quoted ExePath never names a file: the extension falls back to the
  // program beside itself, which is the one registered here.
  const std::string server = std::string(kMenuExtClassKey) + "\\InprocServer32";
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, server.c_str(), nullptr), folder_ + "\\KXMExt64.dll");
  for (const char* kind : {"*", "Directory"}) {
    const std::string handler =
        std::string(kind) + "\\shellex\\ContextMenuHandlers\\" + kMenuExtIndependentProgId;
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, handler.c_str(), nullptr), kMenuExtClsidText) << kind;
  }

  exitCode = 99;
  ASSERT_TRUE(RunProgram(Exe(), "/unregcm", &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kMenuExtClassKey));
}

TEST_F(ProgramFolderWithBlank, FailedRegistrationRunSaysSoByItsExitCode) {
  // Without the extension regsvr32 cannot unregister it: the run fails, and
  // its starter learns it.
  for (const char* file : {"KXMExt.dll", "KXMExt64.dll"})
    DeleteFileA((folder_ + "\\" + file).c_str());
  DWORD exitCode = 0;
  ASSERT_TRUE(RunProgram(Exe(), "/UNREGCM", &exitCode));
  EXPECT_EQ(exitCode, 1u);
}

TEST_F(ProgramFolderWithBlank, RegisterWithoutCaptionUsesTheDefault) {
  ASSERT_TRUE(RunProgram(Exe(), "/REGCM"));
  EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, kMenuExtClassKey, kMenuCaptionValue), "Delete By Karvex");
}

}  // namespace
