// Switching the context menu on and off the way the main program does it,
// under Wine, where the process runs with administrator rights: regsvr32 is
// started for real on a copy of the extension in a scratch program folder,
// and the class key is looked at in the 64-bit registry view.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cmenu/context_menu.h"
#include "shellext/ext_test_support.h"

namespace {

using kxtest::kClassKey;
using kxtest::KeyExists;
using kxtest::RegString;

ContextMenuState State(int enabled, const char* caption) {
  ContextMenuState state{};
  state.enabled = enabled;
  std::strcpy(state.caption, caption);
  return state;
}

// The view the main program reaches first, and the view a 64-bit Explorer
// reads.
constexpr REGSAM kView = KEY_WOW64_64KEY;

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IsUserAdmin());
    kxtest::DeleteRegTree(HKEY_CLASSES_ROOT, kClassKey, kView);
  }
  void TearDown() override { kxtest::DeleteRegTree(HKEY_CLASSES_ROOT, kClassKey, kView); }

  // A program folder holding the extension that matches the system.
  std::string ProgramIn(const kxtest::ScratchFolder& folder, bool withExtension = true) {
    const char* name = IsSystem64() ? "KXMExt64.dll" : "KXMExt.dll";
    if (withExtension) {
      EXPECT_TRUE(CopyFileA(kxtest::DistPath(name).c_str(), (folder / name).c_str(), FALSE));
    }
    return folder / "KXer.exe";
  }
};

TEST_F(Registration, SwitchingOnRegistersAndStoresPathAndCaption) {
  kxtest::ScratchFolder folder("prog dir");
  const std::string program = ProgramIn(folder);
  ContextMenuState state = State(1, "Shred Now");
  ASSERT_TRUE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));

  const std::string dll = folder / (IsSystem64() ? "KXMExt64.dll" : "KXMExt.dll");
  EXPECT_EQ(
      RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", nullptr, kView),
      dll);
  // The program folder holds a blank: ExePath is stored in quotes.
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath", kView), "\"" + program + "\"");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption", kView), "Shred Now");

  ContextMenuState read = State(0, "");
  EXPECT_TRUE(ReadContextMenuState(read));
  EXPECT_EQ(read.enabled, 1);
  EXPECT_STREQ(read.caption, "Shred Now");

  state.enabled = 0;
  ASSERT_TRUE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey, kView));
  EXPECT_FALSE(ReadContextMenuState(read));
  EXPECT_EQ(read.enabled, 0);
  EXPECT_STREQ(read.caption, "Delete By Karvex");
}

TEST_F(Registration, ProgramPathWithoutBlankIsStoredAsItIs) {
  kxtest::ScratchFolder folder("plain");
  const std::string program = ProgramIn(folder);
  const std::string longest(127, 'k');
  ContextMenuState state = State(1, longest.c_str());
  ASSERT_TRUE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath", kView), program);
  ContextMenuState read{};
  ASSERT_TRUE(ReadContextMenuState(read));
  EXPECT_EQ(std::string(read.caption), longest);  // stored whole at the limit
  state.enabled = 0;
  EXPECT_TRUE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));
}

TEST_F(Registration, CaptionIsStoredWithoutDoubleQuotes) {
  kxtest::ScratchFolder folder("quotes");
  const std::string program = ProgramIn(folder);
  ContextMenuState state = State(1, "Say \"bye\"");
  ASSERT_TRUE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption", kView), "Say bye");
  state.enabled = 0;
  EXPECT_TRUE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));
}

TEST_F(Registration, SwitchingOnWithoutTheExtensionStillStoresTheKey) {
  kxtest::ScratchFolder folder("noext");
  const std::string program = ProgramIn(folder, false);
  EXPECT_FALSE(RunRegistrarAt(false, program.c_str()));
  ContextMenuState state = State(1, "Shred Now");
  EXPECT_TRUE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath", kView), program);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption", kView), "Shred Now");
  ContextMenuState read{};
  EXPECT_TRUE(ReadContextMenuState(read));
  EXPECT_EQ(read.enabled, 1);
  // Switching off needs regsvr32 to succeed, and reports that it did not.
  state.enabled = 0;
  EXPECT_FALSE(ApplyContextMenuStateAt(state, program.c_str(), nullptr));
}

TEST_F(Registration, RegistrarReportsRegsvr32sAnswer) {
  kxtest::ScratchFolder folder("registrar");
  const std::string program = ProgramIn(folder);
  EXPECT_TRUE(RunRegistrarAt(false, program.c_str()));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey, kView));
  EXPECT_TRUE(RunRegistrarAt(true, program.c_str()));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey, kView));
}

TEST_F(Registration, DamagedCaptionValuesAreReadSafely) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_WRITE | kView, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  ContextMenuState read{};
  // No terminator, longer than a caption may be, and not a string at all.
  const std::string unterminated(200, 'u');
  RegSetValueExA(key, "CMenuCaption", 0, REG_BINARY,
                 reinterpret_cast<const BYTE*>(unterminated.data()),
                 static_cast<DWORD>(unterminated.size()));
  EXPECT_TRUE(ReadContextMenuState(read));
  EXPECT_EQ(std::string(read.caption), std::string(127, 'u'));

  const std::string huge(5000, 'h');
  RegSetValueExA(key, "CMenuCaption", 0, REG_SZ, reinterpret_cast<const BYTE*>(huge.c_str()),
                 static_cast<DWORD>(huge.size() + 1));
  EXPECT_TRUE(ReadContextMenuState(read));
  EXPECT_STREQ(read.caption, "Delete By Karvex");

  const DWORD number = 7;
  RegSetValueExA(key, "CMenuCaption", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
  EXPECT_TRUE(ReadContextMenuState(read));
  EXPECT_STREQ(read.caption, "\x07");
  RegCloseKey(key);
}

TEST_F(Registration, TheProgramRegistersTheExtensionBesideItself) {
  // ApplyContextMenuState itself, for this test program: the extension is
  // put beside it for the test.
  char self[MAX_PATH + 1];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
  std::string folder = self;
  folder.resize(folder.rfind('\\'));
  const char* name = IsSystem64() ? "KXMExt64.dll" : "KXMExt.dll";
  const std::string dll = folder + "\\" + name;
  ASSERT_TRUE(CopyFileA(kxtest::DistPath(name).c_str(), dll.c_str(), FALSE));

  ContextMenuState state = State(1, "Shred Here");
  EXPECT_TRUE(ApplyContextMenuState(state));
  const std::string exePath = std::strchr(self, ' ') ? "\"" + std::string(self) + "\"" : self;
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath", kView), exePath);
  EXPECT_EQ(
      RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", nullptr, kView),
      dll);
  state.enabled = 0;
  EXPECT_TRUE(ApplyContextMenuState(state));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey, kView));
  DeleteFileA(dll.c_str());
}

TEST_F(Registration, Regsvr32IsTheSystemsOwnOfTheSystemsWidth) {
  char path[MAX_PATH + 1];
  ASSERT_TRUE(RegistrarProgramPath(path));
  char system[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(system, sizeof system), 0u);
  EXPECT_EQ(_strnicmp(path, system, std::strlen(system)), 0) << path;
  const std::string text = path;
  ASSERT_GE(text.size(), 13u);
  EXPECT_EQ(lstrcmpiA(text.c_str() + text.size() - 13, "\\regsvr32.exe"), 0) << path;
  // Its executable header names the machine the extension is built for.
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS32 nt{};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, &dos, sizeof dos, &read, nullptr) && read == sizeof dos);
  SetFilePointer(file, dos.e_lfanew, nullptr, FILE_BEGIN);
  ASSERT_TRUE(ReadFile(file, &nt, sizeof nt, &read, nullptr) && read == sizeof nt);
  CloseHandle(file);
  EXPECT_EQ(nt.FileHeader.Machine,
            IsSystem64() ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
}

TEST_F(Registration, ARegistrarPlantedInTheCurrentFolderIsNotStarted) {
  // A regsvr32.exe in the current folder that, if started, would leave a mark.
  kxtest::ScratchFolder folder("planted");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(
      CopyFileA(kxtest::DistPath("KXer.exe").c_str(), (folder / "regsvr32.exe").c_str(), FALSE));
  SetCurrentDirectoryA(folder.Path().c_str());
  kxtest::ScratchFolder program("prog dir");
  ContextMenuState state = State(1, "Planted");
  EXPECT_TRUE(ApplyContextMenuStateAt(state, ProgramIn(program).c_str(), nullptr));
  SetCurrentDirectoryA(previous);
  // The system's regsvr32 ran: the extension's server key exists.
  EXPECT_EQ(
      RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", nullptr, kView),
      program / (IsSystem64() ? "KXMExt64.dll" : "KXMExt.dll"));
  // Switched off again while the extension is there to unregister itself:
  // the tests after this one register copies of their own.
  state.enabled = 0;
  EXPECT_TRUE(ApplyContextMenuStateAt(state, ProgramIn(program, false).c_str(), nullptr));
}

}  // namespace
