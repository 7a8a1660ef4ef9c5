#include "ui/main_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/app_ids.h"
#include "base/folder_test.h"
#include "base/path_utils.h"
#include "base/product.h"
#include "base/settings_store.h"
#include "disk/del_drv_dlg.h"
#include "disk/wipe_dlg.h"
#include "framework/module.h"
#include "framework/window.h"
#include "ui/app_icon.h"
#include "ui/delete_dlg.h"
#include "ui/deleting.h"
#include "ui/main_logic.h"
#include "ui/ui_ids.h"
#include "widgets/file_dialog.h"
#include "widgets/folder_browser.h"
#include "widgets/task_panel_math.h"

namespace {

struct ItemSpec {
  unsigned command;
  UINT icon;
};
struct GroupSpec {
  int scheme;
  std::vector<ItemSpec> items;
};

const GroupSpec kGroups[CKXDlg::kGroupCount] = {
    {5,
     {{ID_DELETE_FILES, IDI_FILE},
      {ID_DELETE_FOLDER, IDI_FOLDER},
      {ID_BATCH_DELETE, IDR_MAINFRAME},
      {ID_ERASE_DISK, IDI_DISK},
      {ID_WIPE_FREE, IDI_WIPE}}},
    {8,
     {{ID_CONTEXT_MENU, IDI_CMENU},
      {ID_PASSWORD, IDI_PASSWORD},
      {ID_LANGUAGE, IDI_LANGUAGE},
      {ID_OPTIONS, IDI_OPTIONS}}},
    {6, {{ID_ABOUT, IDI_ABOUT}, {ID_HELP_CONTENT, IDI_HELP}}},
};

const char* const kGroupKeys[CKXDlg::kGroupCount] = {"Tasks", "Tools", "Help"};

struct CommandKey {
  unsigned command;
  const char* key;
};
const CommandKey kCommandKeys[] = {
    {ID_DELETE_FILES, "DelFile"},     {ID_DELETE_FOLDER, "DelFolder"}, {ID_ERASE_DISK, "DelDrv"},
    {ID_BATCH_DELETE, "DelAll"},      {ID_CONTEXT_MENU, "CMenu"},      {ID_PASSWORD, "Password"},
    {ID_LANGUAGE, "Language"},        {ID_OPTIONS, "Options"},         {ID_ABOUT, "About"},
    {ID_HELP_CONTENT, "HelpContent"}, {ID_WIPE_FREE, "WipeFree"},
};

constexpr unsigned kNoCommand = 0xFFFF;
constexpr COLORREF kEmphasisColour = RGB(198, 0, 0);
bool SetMenuText(HMENU menu, UINT item, bool byPosition, const char* text) {
  MENUITEMINFOA info{sizeof info};
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<char*>(text);
  return SetMenuItemInfoA(menu, item, byPosition ? TRUE : FALSE, &info) != FALSE;
}

// A caption of any length. The buffer gets a terminator of our own: a
// caption cut to the buffer's size is not terminated everywhere.
std::string MenuText(HMENU menu, UINT item, UINT flags) {
  if (!menu) return {};
  const int length = GetMenuStringA(menu, item, nullptr, 0, flags);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 2, '\0');
  GetMenuStringA(menu, item, text.data(), length + 1, flags);
  text.resize(strnlen(text.data(), static_cast<size_t>(length) + 1));
  return text;
}

}  // namespace

CKXDlg::CKXDlg(MainWindowHost& app)
    : kx::Dialog(IDD_MAIN),
      app_(app),
      lang_(*this),
      welcome_(*this, app.MenuState()),
      cmenu_(*this, app.MenuState()),
      setPass_(*this, app.Settings()),
      options_(*this, app.Settings()),
      about_(*this),
      activateMessage_(RegisterWindowMessageA(kActivateMessageName)),
      closeMessage_(RegisterWindowMessageA(kCloseMessageName)) {
  InitWindowState(state_, kMainWindowStateName);
  panels_[kWelcome] = &welcome_;
  panels_[kContextMenu] = &cmenu_;
  panels_[kPassword] = &setPass_;
  panels_[kOptions] = &options_;
  panels_[kLanguage] = &lang_;
  panels_[kAbout] = &about_;
}

CKXDlg::~CKXDlg() = default;

unsigned CKXDlg::SlotCommand(Slot slot) {
  static const unsigned commands[kSlotCount] = {0,           ID_CONTEXT_MENU, ID_PASSWORD,
                                                ID_LANGUAGE, ID_OPTIONS,      ID_ABOUT};
  return commands[slot];
}

bool CKXDlg::OnInit() {
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  minSize_ = {outer.right - outer.left, outer.bottom - outer.top};

  HICON icon = LoadAppIcon();
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  kx::SetAppMainWindow(hwnd_);

  LoadCommandTable();
  if (taskPanel_.Create(hwnd_)) ShowWindow(taskPanel_, SW_SHOW);
  if (welcome_.Create(hwnd_)) ShowWindow(welcome_, SW_SHOW);
  for (Slot slot : {kContextMenu, kPassword, kLanguage, kOptions, kAbout}) {
    if (panels_[slot]) panels_[slot]->Create(hwnd_);
  }
  status_ =
      CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP,
                      0, 0, 0, 0, hwnd_, nullptr, kx::ModuleInstance(), nullptr);
  if (status_) SendMessageA(status_, SB_SIMPLE, TRUE, 0);
  BuildGroups();
  LayoutPanels();
  if (!RestoreState()) GrowToShowGroups();
  LayoutPanels();
  RefreshTexts();
  return true;
}

void CKXDlg::LoadCommandTable() {
  commands_.Reset(LoadMenuA(kx::ModuleInstance(), MAKEINTRESOURCEA(IDR_COMMANDS)));
}

std::string CKXDlg::CommandCaption(unsigned command) const {
  return MenuText(commands_.Get(), command, MF_BYCOMMAND);
}

std::string CKXDlg::GroupCaption(int position) const {
  return MenuText(commands_.Get(), position, MF_BYPOSITION);
}

void CKXDlg::BuildGroups() {
  for (int g = 0; g < kGroupCount; ++g) {
    CMVGroupListDialog& group = groups_[g];
    group.SetScheme(kGroups[g].scheme);
    if (!group.CreateGroup(hwnd_, taskPanel_)) continue;
    ShowWindow(group, SW_SHOW);
    group.SetCaption(GroupCaption(g).c_str());
    for (const ItemSpec& item : kGroups[g].items)
      group.AddItem(CommandCaption(item.command).c_str(), item.command, item.icon);
    taskPanel_.AddGroup(group);
  }
  groups_[1].SetEmphasis(ID_CONTEXT_MENU, -1, kEmphasisColour, CLR_INVALID, true, true, false);
}

// Large fonts (and Wine's metrics) make the template too short for the three
// groups. The first start opens tall enough to show them all, as far as the
// work area allows; the smallest size stays the template's.
void CKXDlg::GrowToShowGroups() {
  RECT panel{}, window{}, work{};
  GetClientRect(taskPanel_, &panel);
  // The last group keeps the margin below it that the first has above it,
  // or its lower edge ends on the status bar.
  const int missing = taskPanel_.ContentHeight() + taskpanel::kPanelMargin - panel.bottom;
  if (missing <= 0) return;
  GetWindowRect(hwnd_, &window);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int height = std::min(window.bottom - window.top + missing, work.bottom - work.top);
  const int top = std::max(work.top, work.top + (work.bottom - work.top - height) / 2);
  SetWindowPos(hwnd_, nullptr, window.left, top, window.right - window.left, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// True when a saved position was applied.
bool CKXDlg::RestoreState() {
  LoadWindowState(state_);
  const int32_t stored[4] = {state_.normalRect.left, state_.normalRect.top, state_.normalRect.right,
                             state_.normalRect.bottom};
  const Rect screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  Rect safe{};
  bool restored = false;
  if (mainwin::SanitizeWindowRect(stored, minSize_.cx, minSize_.cy, screen, safe)) {
    WindowStateRecord placed = state_;
    placed.normalRect = {safe.left, safe.top, safe.right, safe.bottom};
    ApplyWindowState(hwnd_, placed, false);
    restored = true;
  } else {
    RECT window{}, work{};
    GetWindowRect(hwnd_, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int w = window.right - window.left, h = window.bottom - window.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (int g = 0; g < kGroupCount && g < 10; ++g) {
    if (state_.groupCollapsed[g] && groups_[g].IsExpanded()) groups_[g].Toggle(false);
  }
  return restored;
}

void CKXDlg::SaveState() {
  CaptureWindowState(hwnd_, state_);
  for (int g = 0; g < kGroupCount && g < 10; ++g)
    state_.groupCollapsed[g] = groups_[g].IsExpanded() ? 0 : 1;
  SaveWindowState(state_);
}

void CKXDlg::LayoutPanels() {
  if (!cmenu_.IsWindow() || !status_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const RECT panel = kx::RectInParent(taskPanel_);
  const RECT status = kx::RectInParent(status_);
  const auto layout = mainwin::ComputePanelLayout(ToRect(client), ToRect(panel), ToRect(status));
  SetWindowPos(taskPanel_, nullptr, 0, 0, panel.right - panel.left, layout.taskPanelHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const Rect& area = layout.rightArea;
  for (CKXRPDlg* p : panels_) {
    if (p && p->IsWindow())
      SetWindowPos(*p, nullptr, area.left, area.top, area.Width(), area.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

CKXRPDlg* CKXDlg::VisiblePanel() const {
  for (CKXRPDlg* p : panels_) {
    if (p && p->IsWindow() && IsWindowVisible(*p)) return p;
  }
  return nullptr;
}

void CKXDlg::ShowPanel(unsigned command) {
  CKXRPDlg* target = nullptr;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (SlotCommand(static_cast<Slot>(slot)) == command) target = panels_[slot];
  }
  if (!target || !target->IsWindow()) return;
  CKXRPDlg* visible = VisiblePanel();
  if (target != visible) {
    if (visible) ShowWindow(*visible, SW_HIDE);
    ShowWindow(*target, SW_SHOW);
  }
  SetFocus(*target);
}

void CKXDlg::SetStatusText(const char* text, bool noBorders) {
  if (status_)
    SendMessageA(status_, SB_SETTEXTA, 255 | (noBorders ? SBT_NOBORDERS : 0),
                 reinterpret_cast<LPARAM>(text));
}

void CKXDlg::ShowCommandInfo(unsigned command) {
  if (command == shownCommand_) return;
  std::string text;
  if (const char* key = mainwin::CommandDescriptionKey(command)) {
    text = LangText(key, "Menu");
    if (text.empty() && command != 0 && command != kNoCommand) text = CommandCaption(command);
  }
  if (text.empty()) text = LangText("Ready");
  SetStatusText(text.c_str(), false);
  shownCommand_ = command;
}

void CKXDlg::RenameCommands() {
  if (!commands_) return;
  for (int g = 0; g < kGroupCount; ++g)
    SetMenuText(commands_.Get(), g, true, LangText(kGroupKeys[g], "Menu"));
  for (const CommandKey& entry : kCommandKeys)
    SetMenuText(commands_.Get(), entry.command, false, LangText(entry.key, "Menu"));
}

void CKXDlg::RefreshTexts() {
  SetText(LangText("Name"));
  RenameCommands();
  SetStatusText(LangText("Ready"), true);
  shownCommand_ = 0;  // "Ready" is what no command shows
  for (int g = 0; g < kGroupCount; ++g) {
    CMVGroupListDialog& group = groups_[g];
    if (!group.IsWindow()) continue;
    group.SetCaption(GroupCaption(g).c_str());
    for (int i = 0; i < group.ItemCount(); ++i) {
      const unsigned command = group.ItemCommand(i);
      if (command == 0 || command == kNoCommand) continue;
      std::string caption = CommandCaption(command);
      if (!caption.empty()) group.SetItemCaption(i, caption.c_str());
    }
  }
  for (CKXRPDlg* p : panels_) {
    if (p && p->IsWindow()) p->RefreshTexts();
  }
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CKXDlg::RefreshTip() {
  welcome_.Tip().ClearText();
  welcome_.Tip().RefreshTip();
}

bool CKXDlg::OnCommand(int id, int code, HWND control) {
  if (code != 0 || control) return false;
  switch (id) {
    case ID_DELETE_FILES:
      DeleteFiles();
      return true;
    case ID_DELETE_FOLDER:
      DeleteFolder();
      return true;
    case ID_HELP_CONTENT:
      app_.WinHelp();
      return true;
    case ID_WEB:
      ShellExecuteA(hwnd_, nullptr, kWebAddress, nullptr, nullptr, SW_SHOWNORMAL);
      return true;
    case ID_ERASE_DISK:
      RunEraseDisk();
      return true;
    case ID_WIPE_FREE:
      RunWipeFreeSpace();
      return true;
    case ID_BATCH_DELETE:
      BatchDelete();
      return true;
    case ID_CONTEXT_MENU:
    case ID_PASSWORD:
    case ID_LANGUAGE:
    case ID_OPTIONS:
    case ID_ABOUT:
      ShowPanel(static_cast<unsigned>(id));
      return true;
    default:
      return false;
  }
}

// Enter must never close the program: it presses the visible panel's OK
// when that is enabled, and does nothing otherwise.
void CKXDlg::OnOK() {
  CKXRPDlg* panel = VisiblePanel();
  if (!panel || panel == &welcome_) return;
  HWND ok = panel->Item(IDOK);
  if (ok && IsWindowEnabled(ok) && IsWindowVisible(ok))
    SendMessageA(*panel, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

void CKXDlg::DeleteFiles() {
  CMVFileDialog chooser(hwnd_, LangText("DelFileInfo", "Menu"), true);
  if (chooser.DoModal() != CMVFileDialog::Result::kChosen) return;
  DeleteJob& pending = app_.PendingList();
  ClearJob(pending);
  size_t notHandedOver = chooser.Unnamed().size();
  for (const std::string& path : chooser.Paths()) {
    if (path.size() > static_cast<size_t>(kMaxPathBytes)) {
      ++notHandedOver;
      continue;
    }
    AddTopLevelItem(pending, path.c_str(), IsFolder);
  }
  TellNotHandedOver(notHandedOver);
  if (CountItems(pending) > 0) app_.Runner().StartDeletion(pending, hwnd_);
}

// Told before the confirmation, so that the user knows that it covers only
// part of the selection, or why nothing follows.
void CKXDlg::TellNotHandedOver(size_t count) {
  if (count == 0) return;
  const std::string text =
      FormatWithArgs(LangText("ErrNotHandedOver"), std::to_string(count).c_str());
  MessageBoxA(hwnd_, text.c_str(), LangText("Name"), MB_OK | MB_ICONWARNING);
}

void CKXDlg::BatchDelete() {
  DeleteJob& pending = app_.PendingList();
  ClearJob(pending);
  RunBatchList(pending, app_.Runner(), hwnd_);
}

void CKXDlg::DeleteFolder() {
  const ChosenFolder chosen = BrowseForFolder(hwnd_, LangText("DelFolderInfo", "Menu"));
  if (chosen.result == ChosenFolder::Result::kCancelled) return;
  DeleteJob& pending = app_.PendingList();
  ClearJob(pending);
  if (chosen.result == ChosenFolder::Result::kUnnamed ||
      (chosen.result == ChosenFolder::Result::kChosen &&
       chosen.path.size() > static_cast<size_t>(kMaxPathBytes))) {
    TellNotHandedOver(1);
    return;
  }
  if (chosen.result != ChosenFolder::Result::kChosen) return;
  AddTopLevelItem(pending, chosen.path.c_str(), IsFolder);
  if (CountItems(pending) > 0) app_.Runner().StartDeletion(pending, hwnd_);
}

bool CKXDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == kx::kIdleMessage) {
    unsigned hot = 0;
    for (auto& group : groups_) {
      if ((hot = group.HotItem()) != 0) break;
    }
    ShowCommandInfo(hot);
    return false;
  }
  if (msg == activateMessage_ && activateMessage_ != 0) {
    if (IsIconic(hwnd_)) PostMessageA(hwnd_, WM_SYSCOMMAND, SC_RESTORE, 0);
    kx::BringToFront(hwnd_);
    return false;
  }
  if (msg == closeMessage_ && closeMessage_ != 0) {
    PostQuitMessage(0);
    return false;
  }
  switch (msg) {
    case WM_SIZE:
      if (status_) SendMessageA(status_, WM_SIZE, wp, lp);
      LayoutPanels();
      return false;
    case WM_GETMINMAXINFO:
      if (minSize_.cx > 0) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize = {minSize_.cx, minSize_.cy};
        return true;
      }
      return false;
    case WM_DESTROY:
      SaveState();
      kx::SetAppMainWindow(nullptr);
      return false;
    default:
      return false;
  }
}

int RunMainWindow(MainWindowHost& app) {
  CKXDlg window(app);
  return static_cast<int>(window.DoModal(nullptr));
}
