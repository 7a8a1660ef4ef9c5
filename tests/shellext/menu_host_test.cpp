// Does what Explorer does with the extension, in a process of the
// extension's own width: registers it with regsvr32, creates the class
// through COM, hands it a selection, builds a real popup menu and picks the
// command. The program that receives the hand-off is handoff_receiver.exe,
// which records what arrived.
#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/com.h"
#include "shellext/drop_data_object.h"
#include "shellext/ext_test_support.h"
#include "support/report_window.h"
#include "support/window_search.h"

namespace {

using kxtest::DropBytes;
using kxtest::DropDataObject;
using kxtest::kApprovedKey;
using kxtest::kClassKey;
using kxtest::kClsidText;
using kxtest::KeyExists;
using kxtest::RegString;
using kxtest::Regsvr32;

const CLSID kClsid = {0xE181CDB0, 0xFDFD, 0x4C52, {0x99, 0x7D, 0xFD, 0xF4, 0x96, 0xDC, 0xC9, 0xCB}};
const IID kIidOwn = {0x2616170F, 0x390A, 0x4895, {0x93, 0x48, 0x65, 0xE5, 0x54, 0x2E, 0x03, 0x65}};
const GUID kLibid = {0x06781E52, 0x0A94, 0x40D7, {0xB7, 0x9E, 0x00, 0x15, 0x79, 0xB9, 0xAF, 0x11}};

const std::string kHandler = "\\shellex\\ContextMenuHandlers\\KXMExt.KXMenuExt";

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A selection of paths, the way Explorer offers it.
template <typename Path>
kx::ComPtr<IDataObject> Selection(const std::vector<Path>& paths) {
  kx::ComPtr<IDataObject> data;
  *data.Put() = new DropDataObject(DropBytes(paths));
  return data;
}

// The text lines of a receiver's report that start with key=.
std::vector<std::string> Lines(const std::string& report, const std::string& key) {
  std::vector<std::string> values;
  size_t at = 0;
  while (at < report.size()) {
    size_t end = report.find('\n', at);
    if (end == std::string::npos) end = report.size();
    const std::string line = report.substr(at, end - at);
    if (line.compare(0, key.size() + 1, key + "=") == 0)
      values.push_back(line.substr(key.size() + 1));
    at = end + 1;
  }
  return values;
}

std::string One(const std::string& report, const std::string& key) {
  std::vector<std::string> values = Lines(report, key);
  return values.size() == 1 ? values[0] : "<" + std::to_string(values.size()) + " values>";
}

std::string MenuText(HMENU menu, UINT position) {
  char text[300] = "";
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

bool IsSeparator(HMENU menu, UINT position) {
  MENUITEMINFOA info = {sizeof info};
  info.fMask = MIIM_FTYPE;
  return GetMenuItemInfoA(menu, position, TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

// Registers a private copy of the extension for each test, with the receiver
// as the program to start, and removes the registration afterwards.
class Extension : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(com_.Result()));
    dll_ = scratch_ / KX_EXT_FILE;
    ASSERT_TRUE(CopyFileA(kxtest::DistPath(KX_EXT_FILE).c_str(), dll_.c_str(), FALSE));
    // The extension starts nothing but a KXer.exe.
    const std::string program = scratch_ / "program";
    ASSERT_TRUE(CreateDirectoryA(program.c_str(), nullptr));
    receiver_ = program + "\\KXer.exe";
    ASSERT_TRUE(CopyFileA(kxtest::WinePath(KX_RECEIVER_PATH).c_str(), receiver_.c_str(), FALSE));
    report_ = scratch_ / "report.txt";
    SetEnvironmentVariableA("KX_RECEIVER_OUT", report_.c_str());
    SetEnvironmentVariableA("KX_RECEIVER_DELAY_MS", nullptr);
    SetEnvironmentVariableA("KX_RECEIVER_KEEP", nullptr);
    ASSERT_EQ(Regsvr32("/s " + Quoted(dll_)), 0);
  }
  void TearDown() override {
    Regsvr32("/s /u " + Quoted(dll_));
    CoFreeUnusedLibraries();
  }

  void SetSettings(const std::string& exePath, const char* caption) {
    kxtest::SetRegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath", exePath);
    if (caption) kxtest::SetRegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption", caption);
  }

  template <typename I>
  kx::ComPtr<I> Create(REFIID iid) {
    kx::ComPtr<I> object;
    EXPECT_EQ(CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.PutVoid()), S_OK);
    return object;
  }

  // The report of the receiver, waiting up to timeoutMs for it.
  bool Report(std::string& text, DWORD timeoutMs = 15000) {
    return kxtest::WaitFor([&] { return kxtest::ReadFileText(report_, text); }, timeoutMs);
  }

  kx::ComScope com_;
  kxtest::ScratchFolder scratch_;
  std::string dll_;
  std::string receiver_;
  std::string report_;
};

TEST_F(Extension, RegistrationWritesEveryEntryAndUnregistrationRemovesThem) {
  const std::string progId = "KXMExt.KXMenuExt.1";
  const std::string independent = "KXMExt.KXMenuExt";
  // In the registry view of the extension's own width: the 64-bit view for
  // KXMExt64.dll, the one that a 64-bit Explorer reads.
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, nullptr), "KXMenuExt Class");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", nullptr),
            dll_);
  EXPECT_EQ(
      RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", "ThreadingModel"),
      "Apartment");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\ProgID", nullptr), progId);
  EXPECT_EQ(
      RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\VersionIndependentProgID", nullptr),
      independent);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\TypeLib", nullptr),
            "{06781E52-0A94-40D7-B79E-001579B9AF11}");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, progId, nullptr), "KXMenuExt Class");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, progId + "\\CLSID", nullptr), kClsidText);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, independent + "\\CLSID", nullptr), kClsidText);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, independent + "\\CurVer", nullptr), progId);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "*" + kHandler, nullptr), kClsidText);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, "Directory" + kHandler, nullptr), kClsidText);
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kApprovedKey, kClsidText), independent);

  ITypeLib* lib = nullptr;
  ASSERT_EQ(LoadRegTypeLib(kLibid, 2, 0, 0, &lib), S_OK);
  BSTR help = nullptr;
  EXPECT_EQ(lib->GetDocumentation(-1, nullptr, &help, nullptr, nullptr), S_OK);
  EXPECT_STREQ(help, L"KXMExt 2.0 Type Library");
  SysFreeString(help);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(lib->GetTypeInfoOfGuid(kIidOwn, &info), S_OK);
  if (info) info->Release();
  lib->Release();

  ASSERT_EQ(Regsvr32("/s /u " + Quoted(dll_)), 0);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, progId));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, independent));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*" + kHandler));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Directory" + kHandler));
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kApprovedKey, kClsidText), "<none>");
  EXPECT_NE(LoadRegTypeLib(kLibid, 2, 0, 0, &lib), S_OK);
  // Shared keys stay.
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kApprovedKey));
  // A second removal finds nothing to remove and still succeeds.
  EXPECT_EQ(Regsvr32("/s /u " + Quoted(dll_)), 0);
}

TEST_F(Extension, RegisteringAgainWipesTheSettingsOfTheClassKey) {
  SetSettings(receiver_, "Shred Test");
  ASSERT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath"), receiver_);
  ASSERT_EQ(Regsvr32("/s " + Quoted(dll_)), 0);
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath"), "<none>");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "CMenuCaption"), "<none>");
  EXPECT_EQ(RegString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32", nullptr),
            dll_);
}

TEST(ExtensionPerUser, InstallForTheUserWritesBelowTheCurrentUser) {
  kxtest::ScratchFolder scratch;
  const std::string dll = scratch / KX_EXT_FILE;
  ASSERT_TRUE(CopyFileA(kxtest::DistPath(KX_EXT_FILE).c_str(), dll.c_str(), FALSE));
  const std::string userClass = std::string("Software\\Classes\\") + kClassKey;
  const std::string machineClass = std::string("Software\\Classes\\") + kClassKey;
  ASSERT_EQ(Regsvr32("/s /u " + Quoted(dll)), 0);

  ASSERT_EQ(Regsvr32("/s /n /i:user " + Quoted(dll)), 0);
  EXPECT_EQ(RegString(HKEY_CURRENT_USER, userClass + "\\InprocServer32", nullptr), dll);
  EXPECT_EQ(RegString(HKEY_CURRENT_USER, "Software\\Classes\\*" + kHandler, nullptr), kClsidText);
  EXPECT_EQ(RegString(HKEY_CURRENT_USER, "Software\\Classes\\Directory" + kHandler, nullptr),
            kClsidText);
  EXPECT_EQ(RegString(HKEY_CURRENT_USER, kApprovedKey, kClsidText), "KXMExt.KXMenuExt");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineClass));
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kApprovedKey, kClsidText), "<none>");

  ASSERT_EQ(Regsvr32("/s /u /n /i:user " + Quoted(dll)), 0);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userClass));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\*" + kHandler));
  EXPECT_EQ(RegString(HKEY_CURRENT_USER, kApprovedKey, kClsidText), "<none>");
}

TEST_F(Extension, MenuItemIsAddedForOrdinaryMenusOnly) {
  SetSettings(receiver_, "Shred Test");
  auto init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_TRUE(init);
  ASSERT_EQ(init->Initialize(nullptr, Selection<std::string>({"C:\\a.txt"}).Get(), nullptr), S_OK);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);

  struct Case {
    UINT flags;
    bool adds;
  } cases[] = {{CMF_NORMAL, true},
               {CMF_DEFAULTONLY, false},
               {CMF_VERBSONLY, false},
               {CMF_NOVERBS, false},
               {CMF_DEFAULTONLY | CMF_NODEFAULT, true},  // 0x21
               {CMF_DEFAULTONLY | CMF_EXPLORE, true},    // 0x5
               {CMF_EXPLORE, true},
               {CMF_CANRENAME, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE("flags " + std::to_string(c.flags));
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 1, "Open");
    AppendMenuA(popup, MF_STRING, 2, "Properties");
    const HRESULT used = menu->QueryContextMenu(popup, 1, 100, 200, c.flags);
    if (!c.adds) {
      EXPECT_EQ(used, 0);
      EXPECT_EQ(GetMenuItemCount(popup), 2);
    } else {
      EXPECT_EQ(used, 1);
      ASSERT_EQ(GetMenuItemCount(popup), 5);
      EXPECT_EQ(MenuText(popup, 0), "Open");
      EXPECT_TRUE(IsSeparator(popup, 1));
      EXPECT_EQ(MenuText(popup, 2), "Shred Test");
      EXPECT_EQ(GetMenuItemID(popup, 2), 100u);
      EXPECT_TRUE(IsSeparator(popup, 3));
      EXPECT_EQ(MenuText(popup, 4), "Properties");
      MENUITEMINFOA info = {sizeof info};
      info.fMask = MIIM_CHECKMARKS;
      ASSERT_TRUE(GetMenuItemInfoA(popup, 2, TRUE, &info));
      EXPECT_NE(info.hbmpUnchecked, nullptr);
      EXPECT_EQ(info.hbmpChecked, info.hbmpUnchecked);
    }
    DestroyMenu(popup);
  }
  // No room for a command identifier: nothing is added.
  HMENU popup = CreatePopupMenu();
  EXPECT_EQ(menu->QueryContextMenu(popup, 0, 200, 199, CMF_NORMAL), 0);
  EXPECT_EQ(GetMenuItemCount(popup), 0);
  DestroyMenu(popup);
}

TEST_F(Extension, WithoutAProgramToStartThereIsNoMenuItem) {
  // ExePath names nothing, and no KXer.exe lies beside the extension.
  SetSettings(scratch_ / "missing.exe", "Shred Test");
  auto init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_TRUE(init);
  EXPECT_EQ(init->Initialize(nullptr, Selection<std::string>({"C:\\a.txt"}).Get(), nullptr),
            E_FAIL);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
  HMENU popup = CreatePopupMenu();
  EXPECT_EQ(menu->QueryContextMenu(popup, 0, 1, 10, CMF_NORMAL), 0);
  EXPECT_EQ(GetMenuItemCount(popup), 0);
  DestroyMenu(popup);
}

TEST_F(Extension, CommandByOffsetHandsTheSelectionToTheProgram) {
  SetSettings(receiver_, nullptr);
  SetEnvironmentVariableA("KX_RECEIVER_DELAY_MS", "600");
  auto init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_TRUE(init);
  ASSERT_EQ(
      init->Initialize(nullptr, Selection<std::string>({"C:\\a.txt", "C:\\dir"}).Get(), nullptr),
      S_OK);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
  HMENU popup = CreatePopupMenu();
  ASSERT_EQ(menu->QueryContextMenu(popup, 0, 1, 10, CMF_NORMAL), 1);
  EXPECT_EQ(MenuText(popup, 1), "Delete By Karvex");  // no caption stored
  DestroyMenu(popup);

  CMINVOKECOMMANDINFO info = {sizeof info};
  info.lpVerb = MAKEINTRESOURCEA(0);
  info.nShow = SW_SHOWNORMAL;
  const DWORD start = GetTickCount();
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  // The command returns once the program has taken the block, not before.
  EXPECT_GE(GetTickCount() - start, 500u);

  std::string report;
  ASSERT_TRUE(Report(report));
  EXPECT_EQ(One(report, "mapping").substr(0, 4), "KXFM");
  EXPECT_EQ(One(report, "mapping").size(), 40u);
  EXPECT_EQ(One(report, "kind"), "2");
  EXPECT_EQ(One(report, "wide"), "0");
  EXPECT_EQ(One(report, "pending"), "1");
  // 12 + 9 + 7 + 1 bytes. (Wine shows a mapping's size in whole pages, so
  // the block is measured up to its final empty string.)
  const std::string block = One(report, "block");
  ASSERT_EQ(block.size(), 2 * 29u);
  EXPECT_EQ(block.substr(0, 8), "02000000");  // pending already cleared
  EXPECT_EQ(block.substr(24), "433a5c612e74787400433a5c6469720000");
  EXPECT_EQ(Lines(report, "path"), (std::vector<std::string>{"C:\\a.txt", "C:\\dir"}));

  // Any offset is the one command; each pick is a hand-off of its own.
  DeleteFileA(report_.c_str());
  SetEnvironmentVariableA("KX_RECEIVER_DELAY_MS", nullptr);
  info.lpVerb = MAKEINTRESOURCEA(3);
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  std::string second;
  ASSERT_TRUE(Report(second));
  EXPECT_NE(One(second, "mapping"), One(report, "mapping"));
  EXPECT_EQ(Lines(second, "path"), (std::vector<std::string>{"C:\\a.txt", "C:\\dir"}));
}

TEST_F(Extension, OnlyTheMachinesRegistrationNamesTheProgram) {
  // A program of the user can plant a class key of its own, which the merged
  // classes view of Windows then shows above the machine's, with an ExePath
  // naming a KXer.exe of its own. Wine 8 merges no such view, so this
  // process's classes root is pointed at the planted key itself.
  const std::string planted = scratch_ / "planted";
  ASSERT_TRUE(CreateDirectoryA(planted.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(receiver_.c_str(), (planted + "\\KXer.exe").c_str(), FALSE));
  SetSettings(receiver_, nullptr);
  const std::string userClasses =
      "Software\\KarvexTests\\classes-" + std::to_string(GetCurrentProcessId());
  kx::ScopeExit removePlanted([&] { kxtest::DeleteRegTree(HKEY_CURRENT_USER, userClasses); });
  kxtest::SetRegString(HKEY_CURRENT_USER, userClasses + "\\" + kClassKey, "ExePath",
                       planted + "\\KXer.exe");

  // COM finds the class through the real root; the object reads its
  // settings while the planted key stands in for it.
  kx::ComPtr<IClassFactory> factory;
  ASSERT_EQ(
      CoGetClassObject(kClsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.PutVoid()),
      S_OK);
  kx::ComPtr<IShellExtInit> init;
  {
    HKEY classes = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, userClasses.c_str(), 0, KEY_READ, &classes),
              ERROR_SUCCESS);
    const LONG overridden = RegOverridePredefKey(HKEY_CLASSES_ROOT, classes);
    RegCloseKey(classes);
    ASSERT_EQ(overridden, ERROR_SUCCESS);
    kx::ScopeExit restore([] { RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); });
    ASSERT_EQ(RegString(HKEY_CLASSES_ROOT, kClassKey, "ExePath", 0), planted + "\\KXer.exe")
        << "a reader of the classes root meets the planted program";
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, init.PutVoid()), S_OK);
  }
  ASSERT_EQ(init->Initialize(nullptr, Selection<std::string>({"C:\\a.txt"}).Get(), nullptr), S_OK);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
  CMINVOKECOMMANDINFO info = {sizeof info};
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  std::string report;
  ASSERT_TRUE(Report(report));
  EXPECT_EQ(lstrcmpiA(One(report, "exe").c_str(), receiver_.c_str()), 0) << One(report, "exe");
}

TEST_F(Extension, AProgramOtherThanKXerIsNeverStarted) {
  // Any other file, or a folder called KXer.exe, is no program to start; with
  // nothing beside the extension either, there is no menu item.
  const std::string folderNamedLikeIt = scratch_ / "KXer.exe";
  ASSERT_TRUE(CreateDirectoryA(folderNamedLikeIt.c_str(), nullptr));
  // The relative name would reach the receiver from here.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(scratch_.Path().c_str());
  for (const std::string& exePath : {kxtest::WinePath(KX_RECEIVER_PATH), scratch_ / "program",
                                     folderNamedLikeIt, std::string("program\\KXer.exe")}) {
    SetSettings(exePath, "Shred Test");
    auto init = Create<IShellExtInit>(IID_IShellExtInit);
    ASSERT_TRUE(init);
    EXPECT_EQ(init->Initialize(nullptr, Selection<std::string>({"C:\\a.txt"}).Get(), nullptr),
              E_FAIL)
        << exePath;
  }
  SetCurrentDirectoryA(previous);
  RemoveDirectoryA(folderNamedLikeIt.c_str());
}

TEST_F(Extension, CommandByVerbTextStartsNothing) {
  SetSettings(receiver_, nullptr);
  auto menu = Create<IContextMenu>(IID_IContextMenu);
  ASSERT_TRUE(menu);
  kx::ComPtr<IShellExtInit> init;
  ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, init.PutVoid()), S_OK);
  ASSERT_EQ(init->Initialize(nullptr, Selection<std::string>({"C:\\a.txt"}).Get(), nullptr), S_OK);
  CMINVOKECOMMANDINFO info = {sizeof info};
  info.lpVerb = "delete";
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  EXPECT_EQ(menu->InvokeCommand(nullptr), S_OK);
  std::string report;
  EXPECT_FALSE(Report(report, 1500));
}

TEST_F(Extension, QuotedProgramPathFallsBackToTheProgramBesideTheExtension) {
  // The main program stores a path with a blank in quotes; that names no
  // file, so the extension starts KXer.exe from its own folder.
  ASSERT_TRUE(CopyFileA(receiver_.c_str(), (scratch_ / "KXer.exe").c_str(), FALSE));
  SetSettings(Quoted(receiver_), "Shred Test");
  auto init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_TRUE(init);
  ASSERT_EQ(init->Initialize(nullptr, Selection<std::string>({"C:\\x\\y.txt"}).Get(), nullptr),
            S_OK);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
  CMINVOKECOMMANDINFO info = {sizeof info};
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  std::string report;
  ASSERT_TRUE(Report(report));
  EXPECT_EQ(Lines(report, "path"), std::vector<std::string>{"C:\\x\\y.txt"});
}

TEST_F(Extension, PathsThatCannotArriveUnchangedAreLeftOut) {
  SetSettings(receiver_, nullptr);
  const std::wstring good = L"C:\\keep\\this.txt";
  const std::wstring tooLong = L"C:\\" + std::wstring(297, L'x');  // 300 characters
  const std::wstring fits = L"C:\\" + std::wstring(256, L'y');     // 259 characters
  const std::wstring bestFit = L"C:\\r\x0101sum\x0113.txt";        // a-macron, e-macron
  const std::wstring foreign = L"C:\\\x4E2D\x6587.txt";
  auto init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_TRUE(init);
  ASSERT_EQ(
      init->Initialize(
          nullptr, Selection<std::wstring>({tooLong, bestFit, good, foreign, fits}).Get(), nullptr),
      S_OK);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
  CMINVOKECOMMANDINFO info = {sizeof info};
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  std::string report;
  ASSERT_TRUE(Report(report));
  std::vector<std::string> expected = {"C:\\keep\\this.txt", "C:\\" + std::string(256, 'y')};
  if (GetACP() == CP_UTF8) {
    expected = {"C:\\r\xC4\x81sum\xC4\x93.txt", "C:\\keep\\this.txt",
                "C:\\\xE4\xB8\xAD\xE6\x96\x87.txt", "C:\\" + std::string(256, 'y')};
  }
  EXPECT_EQ(Lines(report, "path"), expected);
  // What was left out is counted for the program, which tells the user.
  EXPECT_EQ(One(report, "passedover"), std::to_string(5 - expected.size()));

  // Nothing of the selection can be handed over: the item is still offered,
  // and the program learns how many items the user chose in vain.
  DeleteFileA(report_.c_str());
  ASSERT_EQ(
      init->Initialize(nullptr,
                       Selection<std::string>({"C:\\*.txt", "C:\\" + std::string(300, 'z')}).Get(),
                       nullptr),
      S_OK);
  HMENU popup = CreatePopupMenu();
  EXPECT_EQ(menu->QueryContextMenu(popup, 0, 1, 10, CMF_NORMAL), 1);
  DestroyMenu(popup);
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  std::string none;
  ASSERT_TRUE(Report(none));
  EXPECT_TRUE(Lines(none, "path").empty());
  EXPECT_EQ(One(none, "passedover"), "2");
  EXPECT_EQ(One(none, "kind"), "2");

  // No selection at all: no menu.
  EXPECT_EQ(init->Initialize(nullptr, Selection<std::string>({}).Get(), nullptr), E_FAIL);
  EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), E_FAIL);
}

// The ANSI form of an existing item's short path; empty when it has none.
std::string ShortAnsiPath(const std::wstring& path) {
  const std::wstring full = L"\\\\?\\" + path;
  wchar_t shortPath[1024];
  const DWORD n = GetShortPathNameW(full.c_str(), shortPath, 1024);
  if (n == 0 || n >= 1024) return "";
  std::wstring result(shortPath + 4, n - 4);
  if (result == path) return "";
  char ansi[1024];
  BOOL lossy = FALSE;
  const int m = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, result.c_str(), -1, ansi,
                                    sizeof ansi, nullptr, &lossy);
  return m > 0 && !lossy ? ansi : "";
}

TEST_F(Extension, ItemsWithoutAnExactPathArriveByTheirShortPath) {
  // A name outside the code page and a path too long for the block, both of
  // real items, on a volume that keeps short names.
  std::wstring root;
  for (char c : scratch_.Path()) root += static_cast<wchar_t>(static_cast<unsigned char>(c));
  const std::wstring foreign = root + L"\\\x4E2D\x6587 \x0101.txt";
  std::wstring deep = root;
  while (deep.size() < 280) {
    deep += L"\\a rather long folder name";
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
  }
  deep += L"\\kept file.txt";
  for (const std::wstring& path : {foreign, deep}) {
    HANDLE file = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  const std::string foreignShort = ShortAnsiPath(foreign);
  const std::string deepShort = ShortAnsiPath(deep);
  if (GetACP() == CP_UTF8 || foreignShort.empty() || deepShort.empty() || deepShort.size() > 259)
    GTEST_SKIP() << "no usable short names here";

  SetSettings(receiver_, nullptr);
  auto init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_TRUE(init);
  ASSERT_EQ(init->Initialize(nullptr, Selection<std::wstring>({foreign, deep}).Get(), nullptr),
            S_OK);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
  CMINVOKECOMMANDINFO info = {sizeof info};
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
  std::string report;
  ASSERT_TRUE(Report(report));
  const auto paths = Lines(report, "path");
  ASSERT_EQ(paths, (std::vector<std::string>{foreignShort, deepShort}));
  // Each names the very item selected.
  for (const std::string& path : paths)
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;

  DeleteFileW((L"\\\\?\\" + foreign).c_str());
  DeleteFileW((L"\\\\?\\" + deep).c_str());
  for (size_t cut; (cut = deep.rfind(L'\\')) != std::wstring::npos && deep.size() > root.size();) {
    deep.resize(cut);
    if (deep.size() > root.size()) RemoveDirectoryW((L"\\\\?\\" + deep).c_str());
  }
}

TEST_F(Extension, ModuleStaysLoadedWhileAnObjectLives) {
  auto init = Create<IShellExtInit>(IID_IShellExtInit);
  ASSERT_TRUE(init);
  HMODULE module = GetModuleHandleA(KX_EXT_FILE);
  ASSERT_NE(module, nullptr);
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_FALSE);
  kx::ComPtr<IUnknown> other;
  ASSERT_EQ(init->QueryInterface(IID_IUnknown, other.PutVoid()), S_OK);
  init.Reset();
  EXPECT_EQ(canUnload(), S_FALSE);
  other.Reset();
  EXPECT_EQ(canUnload(), S_OK);

  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  ASSERT_NE(getClassObject, nullptr);
  kx::ComPtr<IClassFactory> factory;
  EXPECT_EQ(getClassObject(IID_IUnknown, IID_IClassFactory, factory.PutVoid()),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(getClassObject(kClsid, IID_IClassFactory, factory.PutVoid()), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(canUnload(), S_FALSE);
  ASSERT_EQ(getClassObject(kClsid, IID_IClassFactory, factory.PutVoid()), S_OK);
  factory->LockServer(FALSE);
  factory.Reset();
  EXPECT_EQ(canUnload(), S_OK);
}

// An outer object for aggregation: it only counts its references.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown))
      return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  ULONG refs = 1;
  IUnknown* inner = nullptr;
};

TEST_F(Extension, ObjectAnswersItsInterfacesAndCanBeAggregated) {
  auto own = Create<IUnknown>(kIidOwn);
  ASSERT_TRUE(own);
  kx::ComPtr<IUnknown> any;
  EXPECT_EQ(own->QueryInterface(IID_IShellExtInit, any.PutVoid()), S_OK);
  EXPECT_EQ(own->QueryInterface(IID_IContextMenu, any.PutVoid()), S_OK);
  EXPECT_EQ(own->QueryInterface(IID_IDispatch, any.PutVoid()), E_NOINTERFACE);
  EXPECT_EQ(any.Get(), nullptr);

  Outer outer;
  kx::ComPtr<IUnknown> inner;
  EXPECT_EQ(
      CoCreateInstance(kClsid, &outer, CLSCTX_INPROC_SERVER, IID_IContextMenu, inner.PutVoid()),
      CLASS_E_NOAGGREGATION);
  ASSERT_EQ(CoCreateInstance(kClsid, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, inner.PutVoid()),
            S_OK);
  outer.inner = inner.Get();
  // The aggregated object's interfaces count on the outer object and lead
  // back to it.
  IContextMenu* menu = nullptr;
  ASSERT_EQ(inner->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
  EXPECT_EQ(outer.refs, 2u);
  IUnknown* identity = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
  identity->Release();
  menu->Release();
  EXPECT_EQ(outer.refs, 1u);
  outer.inner = nullptr;
}

// The whole road with the real program: the extension beside KXer.exe in
// the dist folder, as installed, finds the program by itself; the program
// confirms and destroys exactly the selected items.
TEST(ExtensionEndToEnd, PickedCommandLetsTheProgramConfirmAndDelete) {
  kx::ComScope com;
  const std::string dll = kxtest::DistPath(KX_EXT_FILE);
  ASSERT_EQ(GetFileAttributesA(kxtest::DistPath("KXer.exe").c_str()) != INVALID_FILE_ATTRIBUTES,
            true);
  ASSERT_EQ(Regsvr32("/s " + Quoted(dll)), 0);
  struct Unregister {
    std::string dll;
    ~Unregister() { Regsvr32("/s /u " + Quoted(dll)); }
  } unregister{dll};

  kxtest::ScratchFolder scratch("e2e");
  const std::string file = scratch / "one.txt";
  const std::string folder = scratch / "sub";
  const std::string keep = scratch / "keep.txt";
  for (const std::string& path : {file, keep}) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "secret", 6, &written, nullptr);
    CloseHandle(h);
  }
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(keep.c_str(), (folder + "\\inner.txt").c_str(), FALSE));

  kx::ComPtr<IShellExtInit> init;
  ASSERT_EQ(
      CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, init.PutVoid()),
      S_OK);
  ASSERT_EQ(init->Initialize(nullptr, Selection<std::string>({file, folder}).Get(), nullptr), S_OK);
  kx::ComPtr<IContextMenu> menu;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, menu.PutVoid()), S_OK);
  HMENU popup = CreatePopupMenu();
  ASSERT_EQ(menu->QueryContextMenu(popup, 0, 1, 10, CMF_NORMAL), 1);
  DestroyMenu(popup);
  CMINVOKECOMMANDINFO info = {sizeof info};
  EXPECT_EQ(menu->InvokeCommand(&info), S_OK);

  HWND confirm = nullptr;
  ASSERT_TRUE(kxtest::WaitFor(
      [&] { return (confirm = FindWindowA(nullptr, "Confirm Delete - Karvex")) != nullptr; },
      60000));
  DWORD processId = 0;
  GetWindowThreadProcessId(confirm, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  // Nothing is touched before the user agrees.
  Sleep(300);
  EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
  PostMessageA(confirm, WM_COMMAND, IDOK, 0);
  // The run ends with its report, closed here at once.
  kxtest::ReportCloser reports(processId);

  EXPECT_TRUE(kxtest::WaitFor(
      [&] {
        return GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
      },
      30000));
  EXPECT_NE(GetFileAttributesA(keep.c_str()), INVALID_FILE_ATTRIBUTES);
  if (process) {
    EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0) << "the hand-off run ends";
    CloseHandle(process);
  }
}

TEST(ExtensionFile, CarriesItsImagesAndVersion) {
  const std::string dll = kxtest::DistPath(KX_EXT_FILE);
  HMODULE module = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  struct Image {
    int id, size, bits;
  } images[] = {{201, 15, 32}, {202, 13, 8}};
  for (const Image& image : images) {
    HANDLE loaded =
        LoadImageA(module, MAKEINTRESOURCEA(image.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(loaded, nullptr) << image.id;
    DIBSECTION dib = {};
    ASSERT_NE(GetObjectA(loaded, sizeof dib, &dib), 0);
    EXPECT_EQ(dib.dsBm.bmWidth, image.size);
    EXPECT_EQ(dib.dsBm.bmHeight, image.size);
    EXPECT_EQ(dib.dsBmih.biBitCount, image.bits);
    DeleteObject(loaded);
  }
  FreeLibrary(module);

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00010001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00060000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00020001u);
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\FileDescription",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, "Karvex Context Menu Component");
}

}  // namespace
