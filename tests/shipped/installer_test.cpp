// The installer as a user runs it: KarvexSetup.exe from dist/ (a 32-bit
// program, as is the program it installs) into the prefix's program folder,
// silently and through its pages, and its uninstaller. The tests are a
// 64-bit process, like the Explorer of a 64-bit system, so that they can load
// the extension that the installed program registers.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/com.h"
#include "shipped/handoff_run.h"
#include "shipped/menu_driver.h"
#include "support/process_helpers.h"
#include "support/registry.h"
#include "support/scratch_folder.h"
#include "support/screenshot.h"
#include "support/window_search.h"

namespace {

using kxtest::Exists;
using kxtest::ReadBytes;

constexpr char kClassKey[] = "CLSID\\{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Karvex";
constexpr char kAppKey[] = "Software\\Morvane\\Karvex";
// A 32-bit installer writes its own keys into the 32-bit view; the program
// registers the extension of the system in the 64-bit one.
constexpr REGSAM kInstallerView = KEY_WOW64_32KEY;
constexpr REGSAM kSystemView = KEY_WOW64_64KEY;
constexpr DWORD kRunMs = 120000;

std::string ProgramFiles32() {
  char path[MAX_PATH] = "";
  GetEnvironmentVariableA("ProgramFiles(x86)", path, sizeof path);
  return path;
}

std::string InstallDir() { return ProgramFiles32() + "\\Karvex"; }

std::string SetupExe() { return kxtest::DistPath("KarvexSetup.exe"); }

std::string Shortcut() {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::string(path) + "\\Karvex.lnk";
}

// What the installer must carry: every file of dist/ but itself.
std::vector<std::string> ShippedFiles() {
  std::vector<std::string> names = {"KXer.exe", "KXMExt.dll", "KXMExt64.dll", "KXHelp.chm"};
  for (const std::string& name : kxtest::Listing(kxtest::DistPath("Lang"), "*.ini"))
    names.push_back("Lang\\" + name);
  return names;
}

DWORD RegDword(HKEY root, const char* path, const char* name, REGSAM view) {
  DWORD value = 0, size = sizeof value, type = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return 0xFFFFFFFF;
  LONG error = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return error == ERROR_SUCCESS && type == REG_DWORD ? value : 0xFFFFFFFF;
}

void DeleteRegValue(HKEY root, const char* path, const char* name, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

// The four parts of the program's version, from its version block.
std::vector<unsigned> ProgramVersion() {
  const std::string exe = kxtest::DistPath("KXer.exe");
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (data.empty() ||
      !GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
    return {};
  return {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
          HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)};
}

std::string ShortcutTarget(const std::string& link) {
  kx::ComPtr<IShellLinkA> shell;
  kx::ComPtr<IPersistFile> file;
  char target[MAX_PATH] = "";
  std::wstring wide(link.begin(), link.end());
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 shell.PutVoid())) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.PutVoid())) &&
      SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
    shell->GetPath(target, sizeof target, nullptr, 0);
  }
  return target;
}

bool SameText(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Runs the uninstaller silently as a user would. It hands the work to a copy
// of itself in the temporary folder and ends at once; the copy removes the
// entry in "Apps & features" as its last step.
bool UninstallSilently(const std::string& arguments = "") {
  const std::string uninstaller = InstallDir() + "\\Uninstall.exe";
  if (!Exists(uninstaller)) return false;
  if (!kxtest::RunToEnd("\"" + uninstaller + "\" /S " + arguments, kRunMs)) return false;
  return kxtest::WaitFor(
      [&] {
        return !Exists(uninstaller) &&
               !kxtest::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, kInstallerView);
      },
      kRunMs);
}

// The user's settings of the prefix, put back as they were after a test that
// lets the uninstaller remove them.
class SavedUserSettings {
 public:
  SavedUserSettings() : existed_(kxtest::KeyExists(HKEY_CURRENT_USER, kAppKey)) {
    if (existed_) Copy(kAppKey, kBackupKey);
  }
  ~SavedUserSettings() {
    kxtest::DeleteRegTree(HKEY_CURRENT_USER, kAppKey);
    if (existed_) {
      Copy(kBackupKey, kAppKey);
      kxtest::DeleteRegTree(HKEY_CURRENT_USER, kBackupKey);
    }
  }
  SavedUserSettings(const SavedUserSettings&) = delete;
  SavedUserSettings& operator=(const SavedUserSettings&) = delete;

 private:
  static constexpr char kBackupKey[] = "Software\\Morvane\\KarvexTest-installer";
  static void Copy(const char* from, const char* to) {
    HKEY source = nullptr, target = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, from, 0, KEY_READ, &source) == ERROR_SUCCESS &&
        RegCreateKeyExA(HKEY_CURRENT_USER, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                        nullptr) == ERROR_SUCCESS) {
      RegCopyTreeA(source, nullptr, target);
    }
    if (source) RegCloseKey(source);
    if (target) RegCloseKey(target);
  }
  bool existed_;
};

// The removals that Windows carries out at the next restart. The
// uninstaller's copy of itself asks for one, so a test puts the list back as
// it found it.
class SavedPendingRemovals {
 public:
  SavedPendingRemovals() {
    HKEY key = Open();
    DWORD size = 0;
    if (key && RegQueryValueExA(key, kValue, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      data_.resize(size);
      existed_ =
          RegQueryValueExA(key, kValue, nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
    }
    if (key) RegCloseKey(key);
  }
  ~SavedPendingRemovals() {
    HKEY key = Open();
    if (!key) return;
    if (existed_)
      RegSetValueExA(key, kValue, 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    else
      RegDeleteValueA(key, kValue);
    RegCloseKey(key);
  }
  SavedPendingRemovals(const SavedPendingRemovals&) = delete;
  SavedPendingRemovals& operator=(const SavedPendingRemovals&) = delete;

 private:
  static constexpr char kValue[] = "PendingFileRenameOperations";
  static HKEY Open() {
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                  KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    return key;
  }
  bool existed_ = false;
  DWORD type_ = REG_MULTI_SZ;
  std::vector<BYTE> data_;
};

// Every test starts from a machine without Karvex and leaves it so, whatever
// fails: the other Windows tests of the run share this prefix.
class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(com_.Result()));
    ASSERT_TRUE(Exists(SetupExe())) << SetupExe();
    ASSERT_FALSE(Exists(InstallDir())) << "a Karvex is installed already";
    ASSERT_FALSE(kxtest::KeyExists(HKEY_CLASSES_ROOT, kClassKey, kSystemView))
        << "the extension is registered already";
  }
  void TearDown() override {
    CoFreeUnusedLibraries();
    if (Exists(InstallDir() + "\\Uninstall.exe")) UninstallSilently();
    if (kxtest::KeyExists(HKEY_CLASSES_ROOT, kClassKey, kSystemView))
      kxtest::RunToEnd("regsvr32.exe /s /u \"" + InstallDir() + "\\KXMExt64.dll\"", kRunMs);
    kxtest::DeleteRegTree(HKEY_CLASSES_ROOT, kClassKey, kSystemView);
    kxtest::DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey, kInstallerView);
    DeleteRegValue(HKEY_LOCAL_MACHINE, kAppKey, "InternalVersion", kInstallerView);
    DeleteFileA(Shortcut().c_str());
    kxtest::RemoveTree(InstallDir());
    // The uninstaller's copy of itself is left for a restart that never
    // comes under Wine.
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    for (const std::string& name : kxtest::Listing(temp, "~nsu*.tmp")) {
      const std::string folder = temp + name;
      kxtest::WaitFor(
          [&] {
            DeleteFileA((folder + "\\Un.exe").c_str());
            return RemoveDirectoryA(folder.c_str()) || !Exists(folder);
          },
          10000);
    }
  }

  bool InstallSilently(const std::string& arguments = "") {
    DWORD code = 1;
    return kxtest::RunToEnd("\"" + SetupExe() + "\" /S " + arguments, kRunMs, &code) && code == 0;
  }

  void ExpectShippedFilesInstalled() {
    for (const std::string& name : ShippedFiles()) {
      const std::string shipped = ReadBytes(kxtest::DistPath(name.c_str()));
      ASSERT_NE(shipped, "<missing>") << name;
      EXPECT_TRUE(ReadBytes(InstallDir() + "\\" + name) == shipped) << name << " differs";
    }
  }

  kx::ComScope com_;
  SavedPendingRemovals pendingRemovals_;
};

TEST_F(Installer, SilentInstallPutsTheProgramInPlaceAndSwitchesOnTheMenu) {
  ASSERT_TRUE(InstallSilently());
  ExpectShippedFilesInstalled();
  EXPECT_TRUE(Exists(InstallDir() + "\\Uninstall.exe"));

  const std::vector<unsigned> v = ProgramVersion();
  ASSERT_EQ(v.size(), 4u);
  const std::string version = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
                              std::to_string(v[2]) + "." + std::to_string(v[3]);
  auto entry = [](const char* name) {
    return kxtest::RegString(HKEY_LOCAL_MACHINE, kUninstallKey, name, kInstallerView);
  };
  EXPECT_EQ(entry("DisplayName"), "Karvex");
  EXPECT_EQ(entry("DisplayVersion"), version);
  EXPECT_EQ(entry("Publisher"), "Morvane");
  EXPECT_TRUE(SameText(entry("DisplayIcon"), InstallDir() + "\\KXer.exe,0"))
      << entry("DisplayIcon");
  EXPECT_TRUE(SameText(entry("UninstallString"), "\"" + InstallDir() + "\\Uninstall.exe\""))
      << entry("UninstallString");
  const DWORD size = RegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", kInstallerView);
  EXPECT_GT(size, 100u) << "size in KB";
  EXPECT_LT(size, 100000u) << "size in KB";
  // The program shows the version that the installer records for it.
  EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kAppKey, "InternalVersion", kInstallerView),
            (v[0] << 16) + (v[1] << 8) + v[2]);

  EXPECT_TRUE(SameText(ShortcutTarget(Shortcut()), InstallDir() + "\\KXer.exe"))
      << ShortcutTarget(Shortcut());

  // Registered by the installed program: the system's extension from the
  // program folder, with the default caption.
  EXPECT_TRUE(
      SameText(kxtest::RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32",
                                 nullptr, kSystemView),
               InstallDir() + "\\KXMExt64.dll"));
  EXPECT_EQ(kxtest::RegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption", kSystemView),
            "Delete By Karvex");
}

// What Explorer does with the installed extension, with a real file: the
// installed program confirms and destroys it and nothing beside it.
TEST_F(Installer, InstalledExtensionHandsAFileToTheInstalledProgram) {
  ASSERT_TRUE(InstallSilently());
  kxtest::ScratchFolder scratch("setup-e2e");
  const std::string file = scratch / "secret.txt";
  const std::string keep = scratch / "keep.txt";
  ASSERT_TRUE(kxtest::WriteBytes(file, "secret"));
  ASSERT_TRUE(kxtest::WriteBytes(keep, "keep"));
  {
    kx::ComPtr<IShellExtInit> init;
    ASSERT_EQ(CoCreateInstance(kxtest::kMenuExtClsid, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IShellExtInit, init.PutVoid()),
              S_OK);
    const kxtest::MenuPick pick = kxtest::PickTheCommand(init.Get(), {file});
    EXPECT_EQ(pick.itemText, "Delete By Karvex");
    ASSERT_EQ(pick.invoked, S_OK);
  }
  const kxtest::HandOffRun run = kxtest::AgreeToHandOffRun(GetCurrentProcessId());
  ASSERT_TRUE(run.confirmed);
  EXPECT_TRUE(run.ended);
  EXPECT_TRUE(SameText(run.image, InstallDir() + "\\KXer.exe")) << run.image;
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadBytes(keep), "keep");
}

TEST_F(Installer, InstallOverAnOlderVersionReplacesItsFilesAndKeepsTheCaption) {
  ASSERT_TRUE(InstallSilently());
  // What an older version left: other files, and a caption the user chose.
  for (const char* name : {"KXer.exe", "KXHelp.chm", "KXMExt.dll", "Lang\\German.ini"})
    ASSERT_TRUE(kxtest::WriteBytes(InstallDir() + "\\" + name, "older version")) << name;
  kxtest::SetRegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption", "Shred Now", kSystemView);
  kxtest::SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "6.0.1.0",
                       kInstallerView);

  ASSERT_TRUE(InstallSilently());
  ExpectShippedFilesInstalled();
  EXPECT_EQ(kxtest::RegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption", kSystemView),
            "Shred Now");
  EXPECT_NE(kxtest::RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", kInstallerView),
            "6.0.1.0");
}

TEST_F(Installer, WithoutTheMenuOptionNothingIsRegistered) {
  ASSERT_TRUE(InstallSilently("/NOMENU"));
  EXPECT_TRUE(Exists(InstallDir() + "\\KXer.exe"));
  EXPECT_FALSE(kxtest::KeyExists(HKEY_CLASSES_ROOT, kClassKey, kSystemView));
}

TEST_F(Installer, SilentUninstallRemovesWhatTheInstallMadeAndNothingElse) {
  // Beside the program folder: a folder of someone else, and the user's
  // settings, both to be left alone.
  const std::string sentinel = ProgramFiles32() + "\\Karvex Sentinel";
  kxtest::RemoveTree(sentinel);
  ASSERT_TRUE(CreateDirectoryA(sentinel.c_str(), nullptr));
  struct RemoveSentinel {
    std::string path;
    ~RemoveSentinel() { kxtest::RemoveTree(path); }
  } removeSentinel{sentinel};
  ASSERT_TRUE(kxtest::WriteBytes(sentinel + "\\keep.txt", "keep"));
  SavedUserSettings savedSettings;
  kxtest::SetRegString(HKEY_CURRENT_USER, kAppKey, "InstallerTestMark", "keep");

  ASSERT_TRUE(InstallSilently());
  ASSERT_TRUE(kxtest::KeyExists(HKEY_CLASSES_ROOT, kClassKey, kSystemView));
  ASSERT_TRUE(UninstallSilently());

  for (const std::string& name : ShippedFiles())
    EXPECT_FALSE(Exists(InstallDir() + "\\" + name)) << name;
  EXPECT_FALSE(Exists(InstallDir())) << "the program folder goes when it is empty";
  EXPECT_FALSE(Exists(Shortcut()));
  EXPECT_FALSE(kxtest::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, kInstallerView));
  EXPECT_FALSE(kxtest::KeyExists(HKEY_CLASSES_ROOT, kClassKey, kSystemView));
  EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kAppKey, "InternalVersion", kInstallerView), 0xFFFFFFFFu);
  EXPECT_EQ(ReadBytes(sentinel + "\\keep.txt"), "keep");
  EXPECT_EQ(kxtest::RegString(HKEY_CURRENT_USER, kAppKey, "InstallerTestMark"), "keep");

  // Asked to, it removes the settings too.
  ASSERT_TRUE(InstallSilently("/NOMENU"));
  ASSERT_TRUE(UninstallSilently("/REMOVESETTINGS"));
  EXPECT_FALSE(kxtest::KeyExists(HKEY_CURRENT_USER, kAppKey));
  EXPECT_EQ(ReadBytes(sentinel + "\\keep.txt"), "keep");
}

// A file the user put into the program folder is not the installer's to
// remove, and keeps the folder.
TEST_F(Installer, UninstallLeavesFilesItDidNotInstall) {
  ASSERT_TRUE(InstallSilently("/NOMENU"));
  const std::string own = InstallDir() + "\\notes.txt";
  ASSERT_TRUE(kxtest::WriteBytes(own, "mine"));
  ASSERT_TRUE(UninstallSilently());
  EXPECT_FALSE(Exists(InstallDir() + "\\KXer.exe"));
  EXPECT_EQ(ReadBytes(own), "mine");
}

// The pages, driven as a user clicks through them.
struct ChildSearch {
  const char* text;
  bool found;
};

BOOL CALLBACK FindChildText(HWND child, LPARAM lp) {
  auto* search = reinterpret_cast<ChildSearch*>(lp);
  if (IsWindowVisible(child) && kxtest::WindowText(child).find(search->text) != std::string::npos)
    search->found = true;
  return !search->found;
}

bool ShowsText(HWND window, const char* text) {
  ChildSearch search{text, false};
  EnumChildWindows(window, FindChildText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WaitForText(HWND window, const char* text) {
  return kxtest::WaitFor([&] { return ShowsText(window, text); }, 60000);
}

class InstallerPages : public Installer {
 protected:
  void TearDown() override {
    if (info_.hProcess) {
      if (WaitForSingleObject(info_.hProcess, 5000) != WAIT_OBJECT_0)
        TerminateProcess(info_.hProcess, 1);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
    Installer::TearDown();
  }

  // Starts the installer and picks its language in the first dialog; answers
  // the installer's main window.
  HWND StartIn(const char* language, const std::string& caption) {
    if (!kxtest::StartProcess("\"" + SetupExe() + "\"", info_)) return nullptr;
    HWND chooser = kxtest::WaitForWindow(info_.dwProcessId, "Installer Language", 60000);
    if (!chooser) return nullptr;
    HWND combo = FindWindowExA(chooser, nullptr, "ComboBox", nullptr);
    if (SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(language)) == CB_ERR)
      return nullptr;
    kxtest::Click(chooser, IDOK);
    return kxtest::WaitForWindow(info_.dwProcessId, caption.c_str(), 60000);
  }

  // "Karvex major.minor.build", as the pages name the program.
  static std::string Name() {
    const std::vector<unsigned> v = ProgramVersion();
    if (v.size() != 4) return "?";
    return "Karvex " + std::to_string(v[0]) + "." + std::to_string(v[1]) + "." +
           std::to_string(v[2]);
  }

  DWORD WaitForExit() {
    DWORD code = 1;
    if (WaitForSingleObject(info_.hProcess, kRunMs) == WAIT_OBJECT_0)
      GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

  PROCESS_INFORMATION info_ = {};
};

TEST_F(InstallerPages, EnglishPagesFromWelcomeToFinish) {
  HWND setup = StartIn("English", Name() + " Setup");
  ASSERT_NE(setup, nullptr);
  ASSERT_TRUE(WaitForText(setup, "Welcome to Karvex"));
  kxtest::SaveScreenshot(setup, "installer-welcome");
  kxtest::Click(setup, IDOK);
  ASSERT_TRUE(WaitForText(setup, "Destination Folder"));
  kxtest::Click(setup, IDOK);
  ASSERT_TRUE(WaitForText(setup, "Choose Components"));
  kxtest::SaveScreenshot(setup, "installer-components");
  kxtest::Click(setup, IDOK);
  ASSERT_TRUE(WaitForText(setup, "Completing Karvex"));
  kxtest::SaveScreenshot(setup, "installer-finish");
  kxtest::Click(setup, IDOK);
  EXPECT_EQ(WaitForExit(), 0u);

  ExpectShippedFilesInstalled();
  EXPECT_TRUE(kxtest::KeyExists(HKEY_CLASSES_ROOT, kClassKey, kSystemView))
      << "the menu option is checked unless the user unchecks it";
  // The uninstaller keeps to the language chosen here.
  EXPECT_EQ(
      kxtest::RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallerLanguage", kInstallerView),
      "1033");
}

TEST_F(InstallerPages, GermanWelcomeAndCancelInstallNothing) {
  HWND setup = StartIn("Deutsch", "Installation von " + Name());
  ASSERT_NE(setup, nullptr);
  ASSERT_TRUE(WaitForText(setup, "Willkommen"));
  kxtest::SaveScreenshot(setup, "installer-welcome-de");
  kxtest::Click(setup, IDOK);
  ASSERT_TRUE(WaitForText(setup, "Zielverzeichnis"));
  kxtest::Click(setup, IDOK);
  ASSERT_TRUE(WaitForText(setup, "Komponenten"));
  kxtest::SaveScreenshot(setup, "installer-components-de");
  kxtest::Click(setup, IDCANCEL);
  WaitForExit();
  EXPECT_FALSE(Exists(InstallDir()));
  EXPECT_FALSE(kxtest::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, kInstallerView));
}

}  // namespace
