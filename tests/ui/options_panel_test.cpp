// The advanced options and password panels inside the real main window,
// driven from outside as a user would; the settings live in a scratch key.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "base/settings_store.h"
#include "engine/run_job.h"
#include "engine/shred_support.h"
#include "lang/english_texts.h"
#include "lang/lang_file_list.h"
#include "lang/text_store.h"
#include "support/screenshot.h"
#include "support/window_search.h"
#include "support/wine_paths.h"
#include "ui/deleting.h"
#include "ui/main_dlg.h"
#include "ui/options_ids.h"
#include "ui/options_logic.h"
#include "ui/password_ids.h"
#include "ui/ui_ids.h"
#include "ui/window_host.h"

namespace {

using PanelApp = kxtest::WindowHost;

constexpr char kScratchKey[] = "Software\\Morvane\\KarvexTest-options";
constexpr char kScratchLangKey[] = "Software\\Morvane\\KarvexTest-options\\Lang";

class OptionsPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    SetSettingsKeyPath(kScratchKey);
    LangFiles().SetLangFolder((kxtest::WinePath(KX_DIST_DIR) + "\\Lang").c_str());
    LangFiles().SetRegistryKey(HKEY_CURRENT_USER, kScratchLangKey);
    LangFiles().GetLanguageList(true);
    SelectLanguage("");
  }

  void TearDown() override {
    Close();
    SetSettingsKeyPath(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
  }

  void SelectLanguage(const char* name) {
    LangFiles().SelectLanguage(name);
    TextStore().Reset();
    RegisterEnglishTexts("6.0.2");
    TextStore().LoadActiveLanguage();
  }

  void Open() {
    LoadConfig(app_.Settings());
    ui_ = std::thread([this] {
      CKXDlg window(app_);
      dlg_ = &window;
      window.DoModal(nullptr);
      dlg_ = nullptr;
    });
    ASSERT_TRUE(kxtest::WaitFor([this] { return dlg_.load() && IsWindowVisible(*dlg_.load()); }));
    hwnd_ = *dlg_.load();
    PostMessageA(hwnd_, WM_COMMAND, ID_OPTIONS, 0);
    Settle();
    panel_ = *dlg_.load()->Panel(CKXDlg::kOptions);
  }

  void Close() {
    if (!ui_.joinable()) return;
    if (IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    ui_.join();
  }

  void Settle() {
    for (int i = 0; i < 3; ++i) {
      SendMessageA(hwnd_, WM_NULL, 0, 0);
      Sleep(30);
    }
  }

  HWND Item(int id) const { return GetDlgItem(panel_, id); }
  void Click(int id) {
    SendMessageA(Item(id), BM_CLICK, 0, 0);
    Settle();
  }
  void Type(int id, const char* text) {
    SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    Settle();
  }
  void Choose(int entry) {
    SendMessageA(Item(IDC_OPT_FILL), CB_SETCURSEL, entry, 0);
    SendMessageA(panel_, WM_COMMAND, MAKEWPARAM(IDC_OPT_FILL, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(IDC_OPT_FILL)));
    Settle();
  }
  bool OkEnabled() const { return IsWindowEnabled(Item(IDOK)) != 0; }
  bool Shown(int id) const { return IsWindowVisible(Item(id)) != 0; }
  ConfigRecord Stored() const {
    ConfigRecord record;
    LoadConfig(record);
    return record;
  }
  void SaveWithOk() {
    Click(IDOK);
    EXPECT_TRUE(dlg_.load()->VisiblePanel() == dlg_.load()->Panel(CKXDlg::kWelcome));
  }

  PanelApp app_;
  std::thread ui_;
  std::atomic<CKXDlg*> dlg_{nullptr};
  HWND hwnd_ = nullptr;
  HWND panel_ = nullptr;
};

TEST_F(OptionsPanel, OnlyTheEnableBoxUntilTickedAndUntickingHidesAllAgain) {
  Open();
  EXPECT_TRUE(Shown(IDC_OPT_ENABLE));
  for (int id : {IDC_OPT_PERIOD, IDC_OPT_FILL, IDC_OPT_SKIP, IDOK, IDCANCEL})
    EXPECT_FALSE(Shown(id)) << id;
  Click(IDC_OPT_ENABLE);
  for (int id : {IDC_OPT_PERIOD, IDC_OPT_PERIOD_SPIN, IDC_OPT_FILL, IDC_OPT_SKIP, IDOK, IDCANCEL})
    EXPECT_TRUE(Shown(id)) << id;
  EXPECT_FALSE(Shown(IDC_OPT_CUSTOM)) << "only for Custom String";
  EXPECT_FALSE(OkEnabled()) << "nothing changed yet";
  kxtest::SaveScreenshot(hwnd_, "options-panel-en");
  Type(IDC_OPT_PERIOD, "300");
  EXPECT_TRUE(OkEnabled());
  Click(IDC_OPT_ENABLE);
  for (int id : {IDC_OPT_PERIOD, IDC_OPT_FILL, IDC_OPT_SKIP, IDOK, IDCANCEL})
    EXPECT_FALSE(Shown(id)) << id;
  EXPECT_TRUE(OkEnabled()) << "hiding keeps the state";
  EXPECT_EQ(kxtest::ItemText(panel_, IDC_OPT_PERIOD), "300");
}

TEST_F(OptionsPanel, PeriodChangesAndBackDisableOkAndSavedValuesAreClamped) {
  Open();
  Click(IDC_OPT_ENABLE);
  EXPECT_EQ(kxtest::ItemText(panel_, IDC_OPT_PERIOD), "200");
  Type(IDC_OPT_PERIOD, "300");
  EXPECT_TRUE(OkEnabled());
  Type(IDC_OPT_PERIOD, "200");
  EXPECT_FALSE(OkEnabled()) << "back to the stored value";
  Type(IDC_OPT_PERIOD, "");
  EXPECT_TRUE(OkEnabled()) << "empty counts as 0";
  SaveWithOk();
  EXPECT_EQ(Stored().updatePeriodMs, 0);

  PostMessageA(hwnd_, WM_COMMAND, ID_OPTIONS, 0);
  Settle();
  Type(IDC_OPT_PERIOD, "99999");
  SaveWithOk();
  EXPECT_EQ(Stored().updatePeriodMs, 65535);
  EXPECT_EQ(kxtest::ItemText(panel_, IDC_OPT_PERIOD), "65535");

  PostMessageA(hwnd_, WM_COMMAND, ID_OPTIONS, 0);
  Settle();
  Type(IDC_OPT_PERIOD, "1234");
  Click(IDC_OPT_SKIP);
  Click(IDCANCEL);
  EXPECT_EQ(kxtest::ItemText(panel_, IDC_OPT_PERIOD), "65535")
      << "Cancel shows the stored settings";
  EXPECT_EQ(SendMessageA(Item(IDC_OPT_SKIP), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Stored().skipErrors, 0);
}

TEST_F(OptionsPanel, CustomStringTakesTheFocusAndAJobWritesIt) {
  Open();
  Click(IDC_OPT_ENABLE);
  Choose(2);
  EXPECT_TRUE(Shown(IDC_OPT_CUSTOM));
  EXPECT_EQ(GetFocus(), nullptr) << "the focus belongs to the window's thread";
  GUITHREADINFO info{sizeof info};
  GetGUIThreadInfo(GetWindowThreadProcessId(hwnd_, nullptr), &info);
  EXPECT_EQ(info.hwndFocus, Item(IDC_OPT_CUSTOM)) << "Custom String moves the focus to its edit";
  EXPECT_FALSE(OkEnabled()) << "an empty custom string cannot be saved";
  Choose(0);
  EXPECT_FALSE(Shown(IDC_OPT_CUSTOM));
  kxtest::SaveScreenshot(hwnd_, "options-panel-back-to-default");
  Choose(2);
  Type(IDC_OPT_CUSTOM, "ABC");
  EXPECT_TRUE(OkEnabled());
  SaveWithOk();
  const ConfigRecord stored = Stored();
  EXPECT_EQ(stored.fillLength, 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.fillPattern)), "ABC");

  // A job started now loads what was saved, as the worker does.
  kxtest::ScratchFolder folder("kx-options");
  const std::string victim = folder / "fill.bin";
  ASSERT_TRUE(kxtest::WriteBytes(victim, std::string(10, 'x')));
  DeleteJob job;
  BuildJob(job);
  AddTopLevelItem(job, victim.c_str(), [](const char*) { return false; });
  ConfigRecord settings;
  LoadConfig(settings);
  kxtest::ScriptedHost host;
  EXPECT_TRUE(RunJob(job, settings, host));
  ReleaseJob(job);
  ASSERT_EQ(host.overwrites.size(), 1u);
  EXPECT_EQ(host.overwrites[0].content.substr(0, 10), "ABCABCABCA");
  EXPECT_FALSE(kxtest::Exists(victim));
}

TEST_F(OptionsPanel, RandomAndVerifyAreSavedBesideAnUnchangedConfigAndShownAgain) {
  Open();
  Click(IDC_OPT_ENABLE);
  EXPECT_TRUE(Shown(IDC_OPT_VERIFY));
  EXPECT_EQ(SendMessageA(Item(IDC_OPT_FILL), CB_GETCOUNT, 0, 0), 4);
  Choose(kFillRandom);
  EXPECT_FALSE(Shown(IDC_OPT_CUSTOM));
  EXPECT_TRUE(OkEnabled());
  Click(IDC_OPT_VERIFY);
  kxtest::SaveScreenshot(hwnd_, "options-panel-random-verify");
  SaveWithOk();
  ShredOptions options{};
  LoadShredOptions(options);
  EXPECT_EQ(options.randomFill, 1);
  EXPECT_EQ(options.verify, 1);
  const ConfigRecord stored = Stored();
  EXPECT_EQ(stored.fillLength, 1) << "the record keeps the default fill for earlier versions";
  EXPECT_EQ(stored.fillPattern[0], kDefaultFillByte);
  Close();

  // A new panel shows what was saved, and OK waits for a change.
  Open();
  Click(IDC_OPT_ENABLE);
  EXPECT_EQ(SendMessageA(Item(IDC_OPT_FILL), CB_GETCURSEL, 0, 0), kFillRandom);
  EXPECT_EQ(SendMessageA(Item(IDC_OPT_VERIFY), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(OkEnabled());
  Click(IDC_OPT_VERIFY);
  Choose(kFillZero);
  SaveWithOk();
  LoadShredOptions(options);
  EXPECT_EQ(options.randomFill, 0);
  EXPECT_EQ(options.verify, 0);
  EXPECT_EQ(Stored().fillLength, 0);
}

TEST_F(OptionsPanel, StoredOneCharacterStringShowsAsCustomString) {
  ConfigRecord record;
  ResetConfig(record);
  record.fillLength = 1;
  record.fillPattern[0] = 'A';
  SaveConfig(record);
  Open();
  Click(IDC_OPT_ENABLE);
  EXPECT_EQ(SendMessageA(Item(IDC_OPT_FILL), CB_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(Shown(IDC_OPT_CUSTOM));
  EXPECT_EQ(kxtest::ItemText(panel_, IDC_OPT_CUSTOM), "A");
  EXPECT_FALSE(OkEnabled());
}

TEST_F(OptionsPanel, BothPanelsSwitchToGerman) {
  SelectLanguage("German.ini");
  Open();
  Click(IDC_OPT_ENABLE);
  Choose(2);
  char entry[128] = "";
  SendMessageA(Item(IDC_OPT_FILL), CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, "Eigene Zeichenfolge");
  kxtest::SaveScreenshot(hwnd_, "options-panel-de");
  PostMessageA(hwnd_, WM_COMMAND, ID_PASSWORD, 0);
  Settle();
  HWND setPass = *dlg_.load()->Panel(CKXDlg::kPassword);
  EXPECT_TRUE(IsWindowVisible(setPass));
  wchar_t remove[128] = L"";
  GetWindowTextW(GetDlgItem(setPass, IDC_SETPASS_REMOVE), remove, 128);
  EXPECT_STREQ(remove, L"Ich m\u00F6chte den Kennwortschutz aufheben.");
  kxtest::SaveScreenshot(hwnd_, "password-panel-de");
  Close();
  SelectLanguage("");
}

TEST_F(OptionsPanel, PasswordPanelInEnglish) {
  Open();
  PostMessageA(hwnd_, WM_COMMAND, ID_PASSWORD, 0);
  Settle();
  HWND setPass = *dlg_.load()->Panel(CKXDlg::kPassword);
  EXPECT_TRUE(IsWindowVisible(setPass));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(setPass, IDOK))) << "OK needs a new password";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(setPass, IDC_SETPASS_REMOVE))) << "no password to remove";
  SendMessageA(GetDlgItem(setPass, IDC_SETPASS_NEW), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("abc"));
  Settle();
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(setPass, IDOK)));
  kxtest::SaveScreenshot(hwnd_, "password-panel-en");
}

}  // namespace
