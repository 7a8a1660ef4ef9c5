// The main window as a user meets it: the real window runs its own modal
// loop on a thread of its own, and the test drives it from outside with the
// messages that clicks, hovering and typing produce.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/folder_test.h"
#include "base/settings_store.h"
#include "cmenu/cmenu_ids.h"
#include "engine/delete_job.h"
#include "lang/english_texts.h"
#include "lang/lang_file_list.h"
#include "lang/lang_ids.h"
#include "lang/text_store.h"
#include "support/scratch_folder.h"
#include "support/screenshot.h"
#include "support/window_search.h"
#include "support/wine_paths.h"
#include "ui/deleting.h"
#include "ui/main_dlg.h"
#include "ui/ui_ids.h"
#include "ui/window_host.h"
#include "widgets/task_panel_math.h"

namespace {

// What the application gives the main window, as the test's own.
using TestApp = kxtest::WindowHost;

TestApp& TheApp() {
  static TestApp app;
  return app;
}

constexpr char kScratchKey[] = "Software\\Morvane\\KarvexTest-mainwin";
constexpr char kScratchLangKey[] = "Software\\Morvane\\KarvexTest-mainwin\\Lang";

// The simulated registry behind the context-menu panel.
ContextMenuState g_registry;
bool g_applySucceeds = true;
int g_applyCalls = 0;
ContextMenuState g_lastApplied;

bool FakeRead(ContextMenuState& state) {
  state = g_registry;
  return g_registry.enabled != 0;
}

bool FakeApply(ContextMenuState& state) {
  ++g_applyCalls;
  g_lastApplied = state;
  if (g_applySucceeds) g_registry = state;
  return g_applySucceeds;
}

void SetMenuState(ContextMenuState& state, int enabled, const char* caption) {
  state = {};
  state.enabled = enabled;
  std::strcpy(state.caption, caption);
}

// A UTF-8 text of this file in the system's code page, as the program shows it.
std::string Ansi(const char* utf8) {
  wchar_t wide[512];
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 512);
  char out[512] = "";
  WideCharToMultiByte(CP_ACP, 0, wide, n, out, sizeof out, nullptr, nullptr);
  return out;
}

std::string StatusText(HWND status) {
  char text[512] = "";
  // In simple mode the one part is read as part 0.
  SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

// What the screen shows of a window that may reach past the screen's edges
// (a maximised one does, by its frame), as KX_SCREENSHOT_DIR/<name>.png.
bool SaveVisiblePart(HWND hwnd, const char* name) {
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(300);
  RECT r{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetWindowRect(hwnd, &r);
  if (!IntersectRect(&r, &r, &screen)) return false;
  return kxtest::SaveScreenArea(r, name);
}

LPARAM Centre(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    SetCursorPos(0, 0);  // the real pointer stays out of the way
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    SetSettingsKeyPath(kScratchKey);
    LangFiles().SetLangFolder((kxtest::WinePath(KX_DIST_DIR) + "\\Lang").c_str());
    LangFiles().SetRegistryKey(HKEY_CURRENT_USER, kScratchLangKey);
    LangFiles().GetLanguageList(true);
    LangFiles().SelectLanguage("");
    TextStore().Reset();
    RegisterEnglishTexts("6.0.2");
    TextStore().LoadActiveLanguage();
    SetMenuState(g_registry, 0, "Delete By Karvex");
    SetMenuState(TheApp().MenuState(), 0, "Delete By Karvex");
    g_applySucceeds = true;
    g_applyCalls = 0;
  }

  void TearDown() override {
    Close();
    SetSettingsKeyPath(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
  }

  void Open() {
    ui_ = std::thread([this] {
      CKXDlg window(TheApp());
      window.ContextMenuPanel().SetRegistry({FakeRead, FakeApply});
      dlg_ = &window;
      window.DoModal(nullptr);
      dlg_ = nullptr;
    });
    ASSERT_TRUE(
        kxtest::WaitFor([this] { return dlg() && dlg()->IsWindow() && IsWindowVisible(*dlg()); }));
    hwnd_ = *dlg();
    Settle();
  }

  void Close() {
    if (!ui_.joinable()) return;
    if (IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    ui_.join();
    hwnd_ = nullptr;
  }

  // Lets the window's thread work through what was posted to it.
  void Settle() {
    for (int i = 0; i < 3; ++i) {
      SendMessageA(hwnd_, WM_NULL, 0, 0);
      Sleep(30);
    }
  }

  void ClickItem(int group, int index) {
    CMVGroupListDialog& g = dlg()->Group(group);
    RECT item = g.ItemRect(index);
    PostMessageA(g.List(), WM_LBUTTONDOWN, MK_LBUTTON, Centre(item));
    PostMessageA(g.List(), WM_LBUTTONUP, 0, Centre(item));
    Settle();
  }

  // The pointer moves onto an item: the list it comes from hears that the
  // mouse left it.
  void Hover(int group, int index) {
    for (int other = 0; other < CKXDlg::kGroupCount; ++other) {
      if (other != group) PostMessageA(dlg()->Group(other).List(), WM_MOUSELEAVE, 0, 0);
    }
    CMVGroupListDialog& g = dlg()->Group(group);
    RECT item = g.ItemRect(index);
    PostMessageA(g.List(), WM_MOUSEMOVE, 0, Centre(item));
    PostMessageA(hwnd_, WM_NULL, 0, 0);  // the loop goes idle after it
    Settle();
  }

  HWND PanelItem(CKXDlg::Slot slot, int id) { return GetDlgItem(*dlg()->Panel(slot), id); }
  bool Visible(CKXDlg::Slot slot) { return dlg()->VisiblePanel() == dlg()->Panel(slot); }
  void Press(CKXDlg::Slot slot, int id) {
    SendMessageA(PanelItem(slot, id), BM_CLICK, 0, 0);
    Settle();
  }

  std::thread ui_;
  CKXDlg* dlg() const { return dlg_.load(); }
  std::atomic<CKXDlg*> dlg_{nullptr};
  HWND hwnd_ = nullptr;
};

TEST_F(MainWindow, EachPanelOpensByItsCommandAndOkOrCancelReturnsToWelcome) {
  Open();
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));
  EXPECT_EQ(kxtest::WindowText(hwnd_), "Karvex");
  kxtest::SaveScreenshot(hwnd_, "main-welcome");

  ClickItem(1, 0);  // Setup context menu
  ASSERT_TRUE(Visible(CKXDlg::kContextMenu));
  EXPECT_EQ(dlg()->Panel(CKXDlg::kContextMenu)->Title(), "Setup Context Menu");
  kxtest::SaveScreenshot(hwnd_, "main-context-menu");
  Press(CKXDlg::kContextMenu, IDCANCEL);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));

  ClickItem(1, 2);  // Change language
  ASSERT_TRUE(Visible(CKXDlg::kLanguage));
  EXPECT_EQ(dlg()->Panel(CKXDlg::kLanguage)->Title(), "Change Language");
  kxtest::SaveScreenshot(hwnd_, "main-language");
  Press(CKXDlg::kLanguage, IDCANCEL);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));

  ClickItem(2, 0);  // About
  ASSERT_TRUE(Visible(CKXDlg::kAbout));
  EXPECT_EQ(dlg()->Panel(CKXDlg::kAbout)->Title(), "About Karvex");
  EXPECT_EQ(kxtest::ItemText(*dlg()->Panel(CKXDlg::kAbout), IDC_ABOUT_VERSION), "Version 6.0.2");
  kxtest::SaveScreenshot(hwnd_, "main-about");

  ClickItem(1, 1);  // Setup password
  ASSERT_TRUE(Visible(CKXDlg::kPassword));
  EXPECT_EQ(dlg()->Panel(CKXDlg::kPassword)->Title(), "Setup Password");
  Press(CKXDlg::kPassword, IDCANCEL);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));

  ClickItem(1, 3);  // Advanced options
  ASSERT_TRUE(Visible(CKXDlg::kOptions));
  EXPECT_EQ(dlg()->Panel(CKXDlg::kOptions)->Title(), "Advanced Options");
  // Cancel shows only once the panel's first box is ticked; Esc reaches it too.
  SendMessageA(*dlg()->Panel(CKXDlg::kOptions), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  Settle();
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));

  // The context-menu panel's OK returns to the welcome panel too.
  ClickItem(1, 0);
  ASSERT_TRUE(Visible(CKXDlg::kContextMenu));
  SendMessageA(PanelItem(CKXDlg::kContextMenu, IDC_CMENU_ENABLE), BM_CLICK, 0, 0);
  Press(CKXDlg::kContextMenu, IDOK);
  EXPECT_EQ(g_applyCalls, 1);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));
}

TEST_F(MainWindow, EnterNeverClosesTheProgram) {
  Open();
  ClickItem(1, 0);
  ASSERT_TRUE(Visible(CKXDlg::kContextMenu));
  // OK is disabled (nothing changed): Enter does nothing at all.
  SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  Settle();
  EXPECT_TRUE(IsWindow(hwnd_));
  EXPECT_TRUE(Visible(CKXDlg::kContextMenu));
  EXPECT_EQ(g_applyCalls, 0);
  // With a change, Enter presses the panel's OK.
  SendMessageA(PanelItem(CKXDlg::kContextMenu, IDC_CMENU_ENABLE), BM_CLICK, 0, 0);
  SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  Settle();
  EXPECT_TRUE(IsWindow(hwnd_));
  EXPECT_EQ(g_applyCalls, 1);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));
}

TEST_F(MainWindow, ContextMenuPanelOffersOkOnlyForARealChange) {
  SetMenuState(g_registry, 1, "Delete By Karvex");
  SetMenuState(TheApp().MenuState(), 1, "Delete By Karvex");
  Open();
  PostMessageA(hwnd_, WM_COMMAND, ID_CONTEXT_MENU, 0);
  Settle();
  ASSERT_TRUE(Visible(CKXDlg::kContextMenu));
  HWND ok = PanelItem(CKXDlg::kContextMenu, IDOK);
  HWND edit = PanelItem(CKXDlg::kContextMenu, IDC_CMENU_CAPTION);
  HWND box = PanelItem(CKXDlg::kContextMenu, IDC_CMENU_ENABLE);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(kxtest::WindowText(edit), "Delete By Karvex");
  EXPECT_FALSE(IsWindowEnabled(ok));  // on, caption unchanged

  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Delete By Karvey"));
  EXPECT_TRUE(IsWindowEnabled(ok));  // one character changed
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  EXPECT_FALSE(IsWindowEnabled(ok));  // emptied
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Delete By Karvex"));
  EXPECT_FALSE(IsWindowEnabled(ok));

  // A switch that fails leaves the panel open, shows the menu as it really
  // is and lets the user try again.
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(ok));
  EXPECT_FALSE(IsWindowEnabled(edit));
  g_applySucceeds = false;
  Press(CKXDlg::kContextMenu, IDOK);
  EXPECT_EQ(g_applyCalls, 1);
  EXPECT_EQ(g_lastApplied.enabled, 0);
  EXPECT_TRUE(Visible(CKXDlg::kContextMenu));
  EXPECT_EQ(TheApp().MenuState().enabled, 1);
  EXPECT_TRUE(IsWindowEnabled(ok));
}

TEST_F(MainWindow, ContextMenuSwitchedOnFromThePanelChangesTheWelcomeTip) {
  Open();
  EXPECT_EQ(dlg()->WelcomePanel().Tip().Text(), TextStore().GetText("CMenuTip1", "Welcome"));
  PostMessageA(hwnd_, WM_COMMAND, ID_CONTEXT_MENU, 0);
  Settle();
  HWND ok = PanelItem(CKXDlg::kContextMenu, IDOK);
  HWND edit = PanelItem(CKXDlg::kContextMenu, IDC_CMENU_CAPTION);
  HWND box = PanelItem(CKXDlg::kContextMenu, IDC_CMENU_ENABLE);
  // Menu off and the box left clear: OK stays off whatever the caption says.
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(edit));
  EXPECT_FALSE(IsWindowEnabled(ok));
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Shred Now"));
  EXPECT_FALSE(IsWindowEnabled(ok));

  // Switching on: the caption as typed is applied, and the welcome tip now
  // says that the menu is there.
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(ok));
  Press(CKXDlg::kContextMenu, IDOK);
  EXPECT_EQ(g_applyCalls, 1);
  EXPECT_EQ(g_lastApplied.enabled, 1);
  EXPECT_STREQ(g_lastApplied.caption, "Shred Now");
  EXPECT_EQ(TheApp().MenuState().enabled, 1);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));
  EXPECT_EQ(dlg()->WelcomePanel().Tip().Text(), TextStore().GetText("CMenuTip2", "Welcome"));
  kxtest::SaveScreenshot(hwnd_, "main-welcome-menu-on");
}

TEST_F(MainWindow, HoveringSetsTheStatusTextOncePerChange) {
  Open();
  HWND status = dlg()->StatusBar();
  EXPECT_EQ(StatusText(status), "Ready");
  Hover(0, 0);
  ASSERT_TRUE(kxtest::WaitFor(
      [&] { return StatusText(status) == "Choose one or more files to delete them with Karvex"; },
      2000))
      << StatusText(status);

  // Still over the same item: the text is not written again.
  SendMessageA(status, SB_SETTEXTA, 255, reinterpret_cast<LPARAM>("marker"));
  Hover(0, 0);
  Sleep(200);
  EXPECT_EQ(StatusText(status), "marker");

  // Advanced options has no description by default: its caption is shown.
  Hover(1, 3);
  EXPECT_TRUE(kxtest::WaitFor([&] { return StatusText(status) == "Advanced options"; }, 2000))
      << StatusText(status);

  // Leaving the panel shows "Ready".
  PostMessageA(dlg()->Group(1).List(), WM_MOUSELEAVE, 0, 0);
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  EXPECT_TRUE(kxtest::WaitFor([&] { return StatusText(status) == "Ready"; }, 2000))
      << StatusText(status);
}

TEST_F(MainWindow, SwitchingToTheShippedLanguageAndBackChangesEveryText) {
  Open();
  CKXDlg& dlg = *this->dlg();
  auto snapshot = [&] {
    std::vector<std::string> texts{kxtest::WindowText(hwnd_), StatusText(dlg.StatusBar())};
    for (int g = 0; g < CKXDlg::kGroupCount; ++g) {
      texts.push_back(dlg.Group(g).Caption());
      for (int i = 0; i < dlg.Group(g).ItemCount(); ++i)
        texts.push_back(dlg.Group(g).ItemCaption(i));
    }
    for (int s = 0; s < CKXDlg::kSlotCount; ++s) {
      CKXRPDlg* panel = dlg.Panel(static_cast<CKXDlg::Slot>(s));
      if (!panel) continue;
      texts.push_back(panel->Title());
      for (HWND child = GetWindow(*panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(kxtest::WindowText(child));
    }
    return texts;
  };
  const auto english = snapshot();

  PostMessageA(hwnd_, WM_COMMAND, ID_LANGUAGE, 0);
  Settle();
  ASSERT_TRUE(Visible(CKXDlg::kLanguage));
  HWND list = PanelItem(CKXDlg::kLanguage, IDC_LANG_LIST);
  HWND ok = PanelItem(CKXDlg::kLanguage, IDOK);
  ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
  EXPECT_FALSE(IsWindowEnabled(ok));  // the active language is selected

  LVITEMA select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
  EXPECT_TRUE(IsWindowEnabled(ok));
  Press(CKXDlg::kLanguage, IDOK);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));

  EXPECT_EQ(dlg.Group(0).Caption(), "Aufgaben");
  EXPECT_EQ(dlg.Group(1).Caption(), "Werkzeuge");
  EXPECT_EQ(dlg.Group(0).ItemCaption(0), Ansi("Dateien löschen"));
  EXPECT_EQ(StatusText(dlg.StatusBar()), "Bereit");
  EXPECT_EQ(dlg.Panel(CKXDlg::kWelcome)->Title(), "Willkommen");
  EXPECT_EQ(dlg.Panel(CKXDlg::kLanguage)->Title(), Ansi("Sprache Ändern"));
  EXPECT_EQ(dlg.Panel(CKXDlg::kAbout)->Title(), Ansi("Über Karvex"));
  EXPECT_EQ(kxtest::WindowText(PanelItem(CKXDlg::kContextMenu, IDCANCEL)), "&Abbrechen");
  EXPECT_EQ(dlg.WelcomePanel().Tip().Text().rfind("Schalten Sie", 0), 0u);
  const auto german = snapshot();
  ASSERT_EQ(german.size(), english.size());
  int changed = 0;
  for (size_t i = 0; i < german.size(); ++i) changed += german[i] != english[i];
  EXPECT_GE(changed, 20);
  kxtest::SaveScreenshot(hwnd_, "main-welcome-german");
  for (auto [command, name] :
       {std::pair{ID_CONTEXT_MENU, "main-context-menu-german"},
        std::pair{ID_LANGUAGE, "main-language-german"}, std::pair{ID_ABOUT, "main-about-german"}}) {
    PostMessageA(hwnd_, WM_COMMAND, command, 0);
    Settle();
    kxtest::SaveScreenshot(hwnd_, name);
  }
  PostMessageA(hwnd_, WM_COMMAND, ID_CONTEXT_MENU, 0);
  Settle();
  Press(CKXDlg::kContextMenu, IDCANCEL);
  Hover(0, 1);
  EXPECT_TRUE(kxtest::WaitFor(
      [&] {
        return StatusText(dlg.StatusBar()) == Ansi("Einen Ordner auswählen und mit Karvex löschen");
      },
      2000));

  char active[MAX_PATH] = "";
  LangFiles().ReadActiveName(active);
  EXPECT_STREQ(active, "German.ini");

  // And back: every text is the English one again.
  PostMessageA(hwnd_, WM_COMMAND, ID_LANGUAGE, 0);
  Settle();
  EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
  Press(CKXDlg::kLanguage, IDOK);
  PostMessageA(dlg.Group(0).List(), WM_MOUSELEAVE, 0, 0);
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  Settle();
  EXPECT_EQ(snapshot(), english);
  LangFiles().ReadActiveName(active);
  EXPECT_STREQ(active, "");
}

TEST_F(MainWindow, StateIsRestoredAfterARestart) {
  Open();
  RECT normal{};
  GetWindowRect(hwnd_, &normal);
  CMVGroupListDialog& tools = dlg()->Group(1);
  PostMessageA(tools, WM_LBUTTONUP, 0, MAKELPARAM(20, tools.HeaderHeight() / 2));
  Settle();
  ASSERT_FALSE(tools.IsExpanded());
  // The group below follows the collapsed one.
  RECT toolsRect{}, helpRect{};
  GetWindowRect(tools, &toolsRect);
  GetWindowRect(dlg()->Group(2), &helpRect);
  EXPECT_EQ(helpRect.top, toolsRect.bottom + 10);
  kxtest::SaveScreenshot(hwnd_, "main-tools-collapsed");
  SendMessageA(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return IsZoomed(hwnd_) != FALSE; }, 2000));
  Settle();
  SaveVisiblePart(hwnd_, "main-maximised");
  Close();

  Open();
  EXPECT_TRUE(IsZoomed(hwnd_));
  EXPECT_TRUE(dlg()->Group(0).IsExpanded());
  EXPECT_FALSE(dlg()->Group(1).IsExpanded());
  EXPECT_TRUE(dlg()->Group(2).IsExpanded());
  // Restoring gives back the size it had before it was maximised.
  SendMessageA(hwnd_, WM_SYSCOMMAND, SC_RESTORE, 0);
  Settle();
  RECT restored{};
  GetWindowRect(hwnd_, &restored);
  EXPECT_EQ(restored.right - restored.left, normal.right - normal.left);
  EXPECT_EQ(restored.bottom - restored.top, normal.bottom - normal.top);
}

TEST_F(MainWindow, DamagedSavedPositionsStillGiveAUsableWindow) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kScratchKey) + "\\States").c_str(), &key),
            ERROR_SUCCESS);
  // Far off the screen, collapsed bits that are not 0 or 1.
  int32_t record[7] = {-90000, 80000, 2147483647, 2147483000, 0, 0, 0};
  uint8_t bytes[28];
  std::memcpy(bytes, record, sizeof bytes);
  bytes[16] = 0;
  bytes[17] = 0x7F;
  RegSetValueExA(key, "Main", 0, REG_BINARY, bytes, sizeof bytes);
  RegCloseKey(key);

  Open();
  RECT window{};
  GetWindowRect(hwnd_, &window);
  const int screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN),
            screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  EXPECT_GE(window.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
  EXPECT_LE(window.right - window.left, screenW);
  EXPECT_LE(window.bottom - window.top, screenH);
  EXPECT_FALSE(dlg()->Group(0).IsExpanded());
  EXPECT_TRUE(dlg()->Group(1).IsExpanded());
}

TEST_F(MainWindow, CannotBeMadeSmallerAndPanelsFollowItsSize) {
  Open();
  // The first start shows every group; the smallest size is the template's.
  EXPECT_FALSE(GetWindowLongA(dlg()->TaskPanel(), GWL_STYLE) & WS_VSCROLL);
  // The last group's lower edge shows, with the panel's margin below it.
  RECT last{}, column{};
  GetWindowRect(dlg()->Group(CKXDlg::kGroupCount - 1), &last);
  GetWindowRect(dlg()->TaskPanel(), &column);
  EXPECT_LE(last.bottom + taskpanel::kPanelMargin, column.bottom);
  RECT initial{};
  GetWindowRect(hwnd_, &initial);
  RECT smallest = {0, 0, 360, 230};
  MapDialogRect(hwnd_, &smallest);
  SetWindowPos(hwnd_, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER);
  Settle();
  RECT now{};
  GetClientRect(hwnd_, &now);
  EXPECT_EQ(now.right, smallest.right);
  EXPECT_EQ(now.bottom, smallest.bottom);

  SetWindowPos(hwnd_, nullptr, 0, 0, initial.right - initial.left + 200,
               initial.bottom - initial.top + 100, SWP_NOMOVE | SWP_NOZORDER);
  Settle();
  // Task panel down to the status bar, panels beside it up to the right edge;
  // the welcome text keeps its 10-pixel margin.
  RECT client{}, panel{}, status{}, welcome{}, text{};
  GetClientRect(hwnd_, &client);
  GetWindowRect(dlg()->TaskPanel(), &panel);
  GetWindowRect(dlg()->StatusBar(), &status);
  GetWindowRect(*dlg()->Panel(CKXDlg::kWelcome), &welcome);
  GetWindowRect(GetDlgItem(*dlg()->Panel(CKXDlg::kWelcome), IDC_WELCOME_TEXT), &text);
  EXPECT_EQ(panel.bottom, status.top);
  EXPECT_EQ(welcome.left, panel.right);
  EXPECT_EQ(welcome.bottom, status.top);
  EXPECT_EQ(welcome.right - welcome.left, client.right - (panel.right - panel.left));
  EXPECT_EQ(welcome.right - text.right, 10);
  RECT tip{};
  GetWindowRect(dlg()->WelcomePanel().Tip(), &tip);
  EXPECT_EQ(welcome.bottom - tip.bottom, 5);
  EXPECT_EQ(tip.right, text.right);
}

TEST_F(MainWindow, ActivationMessageRestoresAMinimisedWindow) {
  Open();
  RECT before{};
  GetWindowRect(hwnd_, &before);
  SendMessageA(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return IsIconic(hwnd_) != FALSE; }, 2000));
  PostMessageA(hwnd_, RegisterWindowMessageA("WM_KX_ACTIVEWINDOW"), 0, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsIconic(hwnd_); }, 3000));
  Settle();
  RECT after{};
  GetWindowRect(hwnd_, &after);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_TRUE(IsWindowVisible(hwnd_));
}

std::vector<std::string> PendingPaths() {
  std::vector<std::string> paths;
  for (const DeleteItem* item = TheApp().PendingList().root.firstChild; item; item = item->next)
    paths.emplace_back(item->path);
  return paths;
}

TEST_F(MainWindow, DeleteFilesHandsEverySelectedFileToOneConfirmation) {
  kxtest::ScratchFolder scratch("kx-mainwin-files");
  const std::string& folder = scratch.Path();
  for (const char* name : {"a.txt", "b c.txt"}) kxtest::WriteBytes(scratch / name, "keep");
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  SetCurrentDirectoryA(folder.c_str());
  DeleteJob& pending = TheApp().PendingList();
  ClearJob(pending);
  AddTopLevelItem(pending, "C:\\untouched.txt", nullptr);

  Open();
  const std::string title = TextStore().GetText("DelFileInfo", "Menu");
  // Cancelled: the pending list stays as it was.
  ClickItem(0, 0);
  HWND chooser = kxtest::WaitForWindow(title, 5000);
  ASSERT_TRUE(chooser);
  PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(chooser); }, 5000));
  EXPECT_EQ(PendingPaths(), std::vector<std::string>{"C:\\untouched.txt"});

  // Two files chosen: both reach the one confirmation, which is declined.
  ClickItem(0, 0);
  chooser = kxtest::WaitForWindow(title, 5000);
  ASSERT_TRUE(chooser);
  HWND name = kxtest::FileNameBox(chooser);
  ASSERT_TRUE(name);
  // The chooser may open where an earlier test left it (it remembers its
  // folder): go to the scratch folder first, as a user would.
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
  ASSERT_TRUE(IsWindow(chooser));
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\"a.txt\" \"b c.txt\""));
  PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
  HWND confirm = kxtest::WaitForWindow(TextStore().GetText("Title", "Confirm"), 5000);
  ASSERT_TRUE(confirm);
  auto paths = PendingPaths();
  PostMessageA(confirm, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(confirm); }, 5000));
  ASSERT_EQ(paths.size(), 2u);
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths[0], folder + "\\a.txt");
  EXPECT_EQ(paths[1], folder + "\\b c.txt");
  Settle();
  // Declined: nothing was destroyed.
  for (const char* file : {"a.txt", "b c.txt"})
    EXPECT_NE(GetFileAttributesA((folder + "\\" + file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
  Close();
  ClearJob(pending);
  SetCurrentDirectoryA(previous);
}

// The folder browser: a dialog of this process beside the main window.
HWND WaitForBrowser(HWND main) {
  HWND found = nullptr;
  kxtest::WaitFor(
      [&] {
        found = nullptr;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          char cls[16] = "";
          GetClassNameA(w, cls, sizeof cls);
          if (pid == GetCurrentProcessId() && w != main && IsWindowVisible(w) &&
              lstrcmpA(cls, "#32770") == 0 && GetWindow(w, GW_OWNER) == main)
            found = w;
        }
        return found != nullptr;
      },
      5000);
  return found;
}

TEST_F(MainWindow, DeleteFolderHandsTheChosenFolderToTheConfirmation) {
  // Near the root, where the browser's tree reaches it at once.
  const std::string folder = "C:\\kx-mainwin-folder";
  CreateDirectoryA(folder.c_str(), nullptr);
  DeleteJob& pending = TheApp().PendingList();
  ClearJob(pending);
  AddTopLevelItem(pending, "C:\\untouched.txt", nullptr);

  Open();
  ClickItem(0, 1);
  HWND browser = WaitForBrowser(hwnd_);
  ASSERT_TRUE(browser);
  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(browser); }, 5000));
  Settle();
  EXPECT_EQ(PendingPaths(), std::vector<std::string>{"C:\\untouched.txt"});

  ClickItem(0, 1);
  browser = WaitForBrowser(hwnd_);
  ASSERT_TRUE(browser);
  SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
  PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(browser, IDOK)));
  HWND confirm = kxtest::WaitForWindow(TextStore().GetText("Title", "Confirm"), 5000);
  ASSERT_TRUE(confirm);
  // Declined first, whatever was chosen: the test destroys nothing.
  const auto paths = PendingPaths();
  PostMessageA(confirm, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(confirm); }, 5000));
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(lstrcmpiA(paths[0].c_str(), folder.c_str()), 0) << paths[0];
  Close();
  EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  ClearJob(pending);
  RemoveDirectoryA(folder.c_str());
}

// A file whose name has no exact form in the code page, beside the file
// that its look-alike would name: the chooser hands over that very file (by
// its short name) or tells the user, and never names the other one.
TEST_F(MainWindow, ChooserNeverHandsOverALookAlikeName) {
  const UINT codePage = GetACP();
  if (codePage == CP_UTF8 || codePage == 932 || codePage == 936 || codePage == 949 ||
      codePage == 950)
    GTEST_SKIP() << "code page " << codePage << " has a form for every name";
  kxtest::ScratchFolder scratch("kx-mainwin-exact");
  const std::string& folder = scratch.Path();
  kxtest::WriteBytes(scratch / "report", "keep");
  wchar_t wideFolder[MAX_PATH] = L"";
  MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wideFolder, MAX_PATH);
  const std::wstring chosen = std::wstring(wideFolder) + L"\\\uFF52eport";
  HANDLE made = CreateFileW(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(made, INVALID_HANDLE_VALUE);
  CloseHandle(made);
  DeleteJob& pending = TheApp().PendingList();
  ClearJob(pending);

  Open();
  ClickItem(0, 0);
  HWND chooser = kxtest::WaitForWindow(TextStore().GetText("DelFileInfo", "Menu"), 5000);
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(kxtest::AnswerFileDialog(chooser, chosen.c_str()));
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(chooser); }, 5000));
  // The confirmation, or the message that the file cannot be handed over.
  HWND answer = WaitForBrowser(hwnd_);
  ASSERT_TRUE(answer);
  const bool confirmed = kxtest::WindowText(answer) == TextStore().GetText("Title", "Confirm");
  const auto paths = PendingPaths();
  PostMessageA(answer, WM_COMMAND, confirmed ? IDCANCEL : IDOK, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(answer); }, 5000));
  Close();
  if (confirmed) {
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_TRUE(kxtest::SameItem(paths[0], chosen)) << paths[0];
  } else {
    EXPECT_TRUE(paths.empty());
  }
  for (const std::string& path : paths)
    EXPECT_FALSE(kxtest::SameItem(path, std::wstring(wideFolder) + L"\\report")) << path;
  ClearJob(pending);
  // The folder's clean-up reads names through the code page.
  DeleteFileW(chosen.c_str());
}

// A name that exists only in SysWOW64 of 64-bit Windows, which a 32-bit
// process sees under System32's name while redirection is on.
class WowOnlyName {
 public:
  WowOnlyName(const char* name, bool folder) : folder_(folder) {
    char windows[MAX_PATH];
    GetSystemWindowsDirectoryA(windows, sizeof windows);
    shown_ = std::string(windows) + "\\System32\\" + name;
    real_ = std::string(windows) + "\\SysWOW64\\" + name;
    {
      Wow64RedirectionOff off;
      if (!off.Active()) return;
    }
    if (folder) {
      CreateDirectoryA(shown_.c_str(), nullptr);
    } else {
      HANDLE file =
          CreateFileA(shown_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    made_ = true;
  }
  ~WowOnlyName() {
    if (!made_) return;
    Wow64RedirectionOff off;
    if (folder_)
      RemoveDirectoryA(real_.c_str());
    else
      DeleteFileA(real_.c_str());
  }
  // In SysWOW64 only, not in the real System32.
  bool Usable() const { return made_ && Exists() && !SeenUnredirected(shown_); }
  bool Exists() const { return SeenUnredirected(real_); }
  // Its name as a 32-bit chooser shows it, and as the engine reaches it.
  const std::string& ShownName() const { return shown_; }
  const std::string& RealName() const { return real_; }

 private:
  static bool SeenUnredirected(const std::string& path) {
    Wow64RedirectionOff off;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::string shown_;
  std::string real_;
  bool folder_;
  bool made_ = false;
};

// The system dialogs see the folders with redirection on, as they must (with
// it off a 32-bit process loads no library); what they show is what the
// engine destroys: their System32 is SysWOW64. (Their Sysnative, the real
// System32, is proven with the path logic: Wine's chooser finds no file
// under it.)
TEST_F(MainWindow, ChooserAndBrowserNameTheSystemItemsTheyShow) {
  WowOnlyName file("kx-wow-only.txt", false);
  WowOnlyName folder("kx-wow-only-folder", true);
  if (!file.Usable() || !folder.Usable()) GTEST_SKIP() << "not a 32-bit run on 64-bit Windows";
  DeleteJob& pending = TheApp().PendingList();
  ClearJob(pending);

  Open();
  ClickItem(0, 0);
  HWND chooser = kxtest::WaitForWindow(TextStore().GetText("DelFileInfo", "Menu"), 5000);
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(kxtest::AnswerFileDialog(chooser, file.ShownName().c_str()));
  HWND confirm = kxtest::WaitForWindow(TextStore().GetText("Title", "Confirm"), 5000);
  auto paths = PendingPaths();
  if (!confirm) {
    // A refusal ("file not found") leaves the chooser open, perhaps with a
    // message over it: close whatever this process shows.
    for (int round = 0; round < 10; ++round) {
      for (HWND w : kxtest::WindowsWithCaption(GetCurrentProcessId(), nullptr))
        if (w != hwnd_) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
      Sleep(200);
    }
  }
  ASSERT_TRUE(confirm) << "the chooser did not find " << file.ShownName();
  PostMessageA(confirm, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(confirm); }, 5000));
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(lstrcmpiA(paths[0].c_str(), file.RealName().c_str()), 0) << paths[0];
  Settle();

  ClickItem(0, 1);
  HWND browser = WaitForBrowser(hwnd_);
  ASSERT_TRUE(browser);
  SendMessageA(browser, BFFM_SETSELECTIONA, TRUE,
               reinterpret_cast<LPARAM>(folder.ShownName().c_str()));
  PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(browser, IDOK)));
  confirm = kxtest::WaitForWindow(TextStore().GetText("Title", "Confirm"), 5000);
  ASSERT_TRUE(confirm);
  paths = PendingPaths();
  PostMessageA(confirm, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return !IsWindow(confirm); }, 5000));
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(lstrcmpiA(paths[0].c_str(), folder.RealName().c_str()), 0) << paths[0];
  Close();
  // Declined both times: both are still there.
  EXPECT_TRUE(file.Exists());
  EXPECT_TRUE(folder.Exists());
  ClearJob(pending);
}

// A language file written to do harm: texts at the store's size limit,
// access-key and placeholder characters everywhere, references that go
// nowhere, control characters.
TEST_F(MainWindow, HostileLanguageFileLeavesTheWindowWhole) {
  kxtest::ScratchFolder scratch("kx-mainwin-lang");
  const std::string& folder = scratch.Path();
  std::string file = "[Info]\r\nName=Hostile\r\n[Menu]\r\n";
  // As long as a line may be; a longer one would be cut by the reader.
  const std::string huge(4000, 'W');
  for (const char* key : {"Tasks", "Tools", "Help", "DelFile", "DelFolder", "CMenu", "Language",
                          "About", "Options", "HelpContent"})
    file += std::string(key) + "=" + huge + "\r\n";
  file += "DelFileInfo=%1 %2 %s %n %[Menu]DelFileInfo% %%%% %Nowhere%\r\n";
  file += "CMenuInfo=&&&&&&&&\r\n";
  file += "[Global]\r\nReady=\\t\\r\\n\r\nOK=" + huge + "\r\nCancel=%[\r\n";
  file += "[Welcome]\r\nTitle=\x81\r\nInfo=" + huge + "\r\nCMenuTip1=" + huge + "\r\n";
  kxtest::WriteBytes(scratch / "Hostile.ini", file);
  LangFiles().SetLangFolder(folder.c_str());
  LangFiles().GetLanguageList(true);
  LangFiles().SelectLanguage("Hostile.ini");
  ASSERT_TRUE(TextStore().LoadActiveLanguage());

  Open();
  EXPECT_EQ(dlg()->Group(0).Caption().size(), 4000u) << dlg()->Group(0).Caption();
  EXPECT_EQ(dlg()->Group(0).ItemCaption(0), huge);
  Hover(0, 0);
  Hover(1, 0);
  for (unsigned command : {ID_LANGUAGE, ID_ABOUT, ID_CONTEXT_MENU}) {
    PostMessageA(hwnd_, WM_COMMAND, command, 0);
    Settle();
  }
  Press(CKXDlg::kContextMenu, IDCANCEL);
  EXPECT_TRUE(Visible(CKXDlg::kWelcome));
  // The tip box still fits in its panel.
  RECT tip{}, welcome{};
  GetWindowRect(dlg()->WelcomePanel().Tip(), &tip);
  GetWindowRect(dlg()->WelcomePanel(), &welcome);
  EXPECT_EQ(welcome.bottom - tip.bottom, 5);
  kxtest::SaveScreenshot(hwnd_, "main-hostile-language");
  Close();
}

TEST_F(MainWindow, CloseMessageEndsTheWindow) {
  Open();
  PostMessageA(hwnd_, RegisterWindowMessageA("WM_KX_CLOSE"), 0, 0);
  ui_.join();
  EXPECT_FALSE(IsWindow(hwnd_));
  // The state was saved on the way out.
  WindowStateRecord record{};
  InitWindowState(record, "Main");
  EXPECT_TRUE(LoadWindowState(record));
  EXPECT_GT(record.normalRect.right - record.normalRect.left, 0);
  // WM_QUIT was posted again for the enclosing loop of the thread that ran
  // the window; nothing else is left to do here.
}

}  // namespace

namespace {

// The Help command hands "KXHelp.chm" beside the program to the shell: the
// build must have put a compiled help file there, with every page in it.
TEST(HelpFile, IsACompiledHelpFileWithItsPages) {
  const std::string path = kxtest::WinePath(KX_DIST_DIR) + "\\KXHelp.chm";
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::string content(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
  CloseHandle(file);
  ASSERT_EQ(read, content.size());
  EXPECT_EQ(content.substr(0, 4), "ITSF");
  for (const char* page :
       {"/index.html", "/deleting.html", "/contextmenu.html", "/languages.html", "/safety.html"})
    EXPECT_NE(content.find(page), std::string::npos) << page;
}

}  // namespace
