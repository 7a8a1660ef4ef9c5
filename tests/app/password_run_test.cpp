// The password across real starts of KXer.exe: set in the panel, asked by the
// next start, removed again. The tests work on the program's own settings
// value and put it back as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/config_record.h"
#include "base/handoff_block.h"
#include "base/md5.h"
#include "base/menu_ext_names.h"
#include "support/process_helpers.h"
#include "support/registry.h"
#include "support/scratch_folder.h"
#include "support/screenshot.h"
#include "support/window_search.h"

namespace {

using kxtest::DistPath;
using kxtest::StartProcess;
using kxtest::WaitFor;
using kxtest::WaitForWindow;
using kxtest::WindowsWithCaption;

constexpr char kAppKey[] = "Software\\Morvane\\Karvex";
constexpr char kPrompt[] = "Need Password - Karvex";
constexpr WPARAM kPasswordCommand = 32783;
constexpr int kPassEdit = 1040, kRemoveBox = 1039, kNewField = 1040, kConfirmField = 1041;

bool ReadConfig(std::vector<unsigned char>& bytes) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kAppKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  bytes.assign(1024, 0);
  DWORD size = static_cast<DWORD>(bytes.size());
  const bool ok =
      RegQueryValueExA(key, "Config", nullptr, nullptr, bytes.data(), &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  bytes.resize(ok ? size : 0);
  return ok;
}

void WriteConfig(const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kAppKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, "Config", 0, REG_BINARY, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

void StorePassword(const char* password) {
  ConfigRecord record;
  ResetConfig(record);
  if (password && *password) Md5(password, std::strlen(password), record.passwordDigest);
  WriteConfig(&record, sizeof record);
}

ConfigRecord StoredRecord() {
  std::vector<unsigned char> bytes;
  ConfigRecord record{};
  if (ReadConfig(bytes) && bytes.size() == sizeof record)
    std::memcpy(&record, bytes.data(), sizeof record);
  return record;
}

// The settings value as a test found it is kept in the registry, not in the
// test's memory alone: a test ended by force on its time-out cannot put it
// back, and the password it left would stop every later start of the program
// at the prompt. The next test's set-up puts it back, and so does the case
// that CTest runs after the last password test (PasswordRunEnd).
constexpr char kKeptKey[] = "Software\\KarvexTests\\password-run";

void PutBackKeptSettings() {
  HKEY kept = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeptKey, 0, KEY_READ, &kept) == ERROR_SUCCESS) {
    std::vector<unsigned char> bytes(1024);
    DWORD size = static_cast<DWORD>(bytes.size());
    const bool hadConfig =
        RegQueryValueExA(kept, "Config", nullptr, nullptr, bytes.data(), &size) == ERROR_SUCCESS;
    RegCloseKey(kept);
    if (hadConfig) {
      WriteConfig(bytes.data(), size);
    } else {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, kAppKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Config");
        RegCloseKey(key);
      }
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kKeptKey);
  }
  // Nothing but these tests stores a password in the prefix: one found here
  // was left by a run from before the settings were kept.
  ConfigRecord record = StoredRecord();
  if (HasPassword(record)) {
    std::memset(record.passwordDigest, 0, sizeof record.passwordDigest);
    WriteConfig(&record, sizeof record);
  }
}

void KeepSettings() {
  PutBackKeptSettings();
  HKEY kept = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKeptKey, 0, nullptr, 0, KEY_WRITE, nullptr, &kept,
                            nullptr),
            ERROR_SUCCESS);
  std::vector<unsigned char> bytes;
  const LONG keptResult = ReadConfig(bytes)
                              ? RegSetValueExA(kept, "Config", 0, REG_BINARY, bytes.data(),
                                               static_cast<DWORD>(bytes.size()))
                              : ERROR_SUCCESS;
  RegCloseKey(kept);
  ASSERT_EQ(keptResult, ERROR_SUCCESS);
}

struct ClassSearch {
  DWORD pid;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindVisibleOfClass(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<ClassSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char name[64] = "";
  GetClassNameA(hwnd, name, sizeof name);
  if (pid == s->pid && IsWindowVisible(hwnd) && lstrcmpiA(name, s->className) == 0) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND VisibleBalloon(DWORD pid) {
  ClassSearch search{pid, "tooltips_class32", nullptr};
  EnumWindows(FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The child panel of the main window that holds all the given controls.
HWND PanelWith(HWND main, std::initializer_list<int> ids) {
  for (HWND child = FindWindowExA(main, nullptr, "#32770", nullptr); child;
       child = FindWindowExA(main, child, "#32770", nullptr)) {
    bool all = true;
    for (int id : ids) all = all && GetDlgItem(child, id) != nullptr;
    if (all) return child;
  }
  return nullptr;
}

void Type(HWND dialog, int id, const char* text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void PressOk(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

class PasswordRun : public ::testing::Test {
 protected:
  void SetUp() override { KeepSettings(); }

  void TearDown() override {
    EndProgram();
    PutBackKeptSettings();
  }

  void Start(const std::string& arguments = "") {
    EndProgram();
    ASSERT_TRUE(StartProcess("\"" + DistPath("KXer.exe") + "\"" + arguments, program_));
  }

  bool Ended(DWORD timeoutMs) {
    return WaitForSingleObject(program_.hProcess, timeoutMs) == WAIT_OBJECT_0;
  }

  void CloseMainWindow(HWND main) {
    PostMessageA(main, RegisterWindowMessageA("WM_KX_CLOSE"), 0, 0);
    EXPECT_TRUE(Ended(20000));
  }

  void EndProgram() {
    if (!program_.hProcess) return;
    if (!Ended(0)) TerminateProcess(program_.hProcess, 1);
    WaitForSingleObject(program_.hProcess, 5000);
    CloseHandle(program_.hProcess);
    CloseHandle(program_.hThread);
    program_ = {};
  }

  HWND Window(const char* caption, int timeoutMs = 20000) {
    return WaitForWindow(program_.dwProcessId, caption, timeoutMs);
  }

  // Waits for the program to end while watching its windows; answers whether
  // one with the caption showed before (and stops waiting when it does).
  bool ShowedBeforeTheEnd(const char* caption, int timeoutMs) {
    bool shown = false;
    WaitFor(
        [&] {
          shown = !WindowsWithCaption(program_.dwProcessId, caption).empty();
          return shown || Ended(0);
        },
        timeoutMs);
    return shown;
  }

  DWORD ExitCode() {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program_.hProcess, &code);
    return code;
  }

  PROCESS_INFORMATION program_ = {};
};

TEST_F(PasswordRun, SetInThePanelAskedAtTheNextStartAndRemovedAgain) {
  StorePassword(nullptr);
  Start();
  HWND main = Window("Karvex");
  ASSERT_NE(main, nullptr) << "no password: the main window opens at once";
  EXPECT_TRUE(WindowsWithCaption(program_.dwProcessId, kPrompt).empty());

  PostMessageA(main, WM_COMMAND, kPasswordCommand, 0);
  HWND panel = PanelWith(main, {kNewField, kConfirmField, kRemoveBox});
  ASSERT_NE(panel, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(panel) != 0; }, 5000));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, kRemoveBox))) << "nothing to remove";
  Type(panel, kNewField, "Secret");
  Type(panel, kConfirmField, "Secret");
  PressOk(panel);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(panel); }, 5000))
      << "OK returns to the welcome panel";
  EXPECT_EQ(kxtest::ItemText(panel, kNewField), "") << "the field is wiped";
  CloseMainWindow(main);

  uint8_t expected[16];
  Md5("Secret", 6, expected);
  EXPECT_EQ(std::memcmp(StoredRecord().passwordDigest, expected, 16), 0)
      << "unsalted MD5 of the password";

  Start();
  HWND prompt = Window(kPrompt);
  ASSERT_NE(prompt, nullptr) << "the next start asks";
  EXPECT_TRUE(WindowsWithCaption(program_.dwProcessId, "Karvex").empty()) << "nothing shown before";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(prompt, IDOK))) << "OK needs text";
  Type(prompt, kPassEdit, "secret");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(prompt, IDOK)));
  PressOk(prompt);
  ASSERT_TRUE(WaitFor([&] { return VisibleBalloon(program_.dwProcessId) != nullptr; }, 5000))
      << "another letter case is a wrong password";
  EXPECT_TRUE(IsWindow(prompt));
  EXPECT_EQ(kxtest::ItemText(prompt, kPassEdit), "");
  RECT shot{};
  GetWindowRect(prompt, &shot);
  RECT balloon{};
  GetWindowRect(VisibleBalloon(program_.dwProcessId), &balloon);
  UnionRect(&shot, &shot, &balloon);
  InflateRect(&shot, 4, 4);
  HWND tip = VisibleBalloon(program_.dwProcessId);
  SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(tip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Sleep(500);
  kxtest::SaveScreenArea(shot, "password-prompt-balloon");

  Type(prompt, kPassEdit, "Secret");
  PressOk(prompt);
  main = Window("Karvex");
  ASSERT_NE(main, nullptr) << "the right password opens the main window";

  PostMessageA(main, WM_COMMAND, kPasswordCommand, 0);
  panel = PanelWith(main, {kNewField, kConfirmField, kRemoveBox});
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(panel) != 0; }, 5000));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(panel, kRemoveBox)));
  SendMessageA(GetDlgItem(panel, kRemoveBox), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel, kNewField)));
  PressOk(panel);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(panel); }, 5000));
  CloseMainWindow(main);
  EXPECT_FALSE(HasPassword(StoredRecord()));

  Start();
  EXPECT_NE(Window("Karvex"), nullptr);
  EXPECT_TRUE(WindowsWithCaption(program_.dwProcessId, kPrompt).empty()) << "removed: no prompt";
}

TEST_F(PasswordRun, ThreeWrongPasswordsEndTheProgram) {
  StorePassword("pw");
  Start();
  HWND prompt = Window(kPrompt);
  ASSERT_NE(prompt, nullptr);
  for (int attempt = 1; attempt <= 3; ++attempt) {
    Type(prompt, kPassEdit, "PW");
    PressOk(prompt);
    if (attempt < 3) {
      ASSERT_TRUE(WaitFor([&] { return kxtest::ItemText(prompt, kPassEdit).empty(); }, 5000));
      EXPECT_FALSE(Ended(200)) << "the prompt stays after wrong try " << attempt;
    }
  }
  EXPECT_FALSE(ShowedBeforeTheEnd("Karvex", 20000)) << "the main window never opens";
  EXPECT_TRUE(Ended(0)) << "the third wrong password ends the program";
}

TEST_F(PasswordRun, HandOffAsksBeforeItsConfirmationAndCancelDestroysNothing) {
  StorePassword("pw");
  kxtest::ScratchFolder folder("kx-password");
  const std::string victim = folder / "handed.txt";
  const std::string content(5000, 'h');
  ASSERT_TRUE(kxtest::WriteBytes(victim, content));

  for (bool rightPassword : {false, true}) {
    std::vector<uint8_t> buffer(HandOffCapacity(1));
    HandOffWriter writer;
    ASSERT_TRUE(BeginHandOff(writer, buffer.data(), buffer.size(), 0, 0));
    ASSERT_TRUE(AddHandOffPath(writer, victim.c_str()));
    const size_t size = FinishHandOff(writer);
    const std::string name = std::string("KXFMpassword-test-") + (rightPassword ? "1" : "0");
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(size), name.c_str());
    ASSERT_NE(mapping, nullptr);
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size);
    std::memcpy(view, buffer.data(), size);

    Start(" -TME" + name);
    HWND prompt = Window(kPrompt);
    ASSERT_NE(prompt, nullptr) << "a hand-off start asks too";
    EXPECT_TRUE(WindowsWithCaption(program_.dwProcessId, "Confirm Delete - Karvex").empty())
        << "before its confirmation";
    if (rightPassword) {
      Type(prompt, kPassEdit, "pw");
      PressOk(prompt);
      HWND confirm = Window("Confirm Delete - Karvex");
      ASSERT_NE(confirm, nullptr) << "the right password leads to the confirmation";
      PostMessageA(confirm, WM_COMMAND, IDCANCEL, 0);
    } else {
      PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    EXPECT_TRUE(Ended(20000));
    EXPECT_EQ(kxtest::ReadBytes(victim), content) << "the handed item stays byte for byte";
    UnmapViewOfFile(view);
    CloseHandle(mapping);
  }
}

TEST_F(PasswordRun, RegistrationRunsDoNotAsk) {
  StorePassword("pw");
  // Removed first, so that each switch is seen to change what it finds.
  for (const char* arguments : {" /UNREGCM", " /REGCM", " /UNREGCM"}) {
    const bool registering = std::strcmp(arguments, " /REGCM") == 0;
    Start(arguments);
    EXPECT_FALSE(ShowedBeforeTheEnd(kPrompt, 60000)) << arguments;
    ASSERT_TRUE(Ended(0)) << arguments << " ends by itself";
    EXPECT_EQ(ExitCode(), 0u) << arguments;
    // The run did its work: the system's extension is registered or removed.
    EXPECT_EQ(kxtest::KeyExists(HKEY_CLASSES_ROOT, kMenuExtClassKey, KEY_WOW64_64KEY), registering)
        << arguments;
  }
}

// Run by CTest after the last of the tests above, however they ended.
TEST(PasswordRunEnd, LeavesTheSettingsAsTheTestsFoundThem) {
  PutBackKeptSettings();
  EXPECT_FALSE(kxtest::KeyExists(HKEY_CURRENT_USER, kKeptKey, 0));
  EXPECT_FALSE(HasPassword(StoredRecord()));
}

}  // namespace
