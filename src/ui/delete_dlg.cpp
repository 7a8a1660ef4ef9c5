#include "ui/delete_dlg.h"

#include <shellapi.h>

#include "base/ansi_text.h"
#include "base/folder_test.h"
#include "base/path_match.h"
#include "base/path_utils.h"
#include "base/settings_store.h"
#include "framework/module.h"
#include "lang/text_store.h"
#include "ui/app_icon.h"
#include "ui/delete_ids.h"
#include "ui/deleting.h"
#include "ui/ui_ids.h"
#include "widgets/file_dialog.h"
#include "widgets/folder_browser.h"

static_assert(IDC_ADD_FILES == kListCmdAddFile && IDC_ADD_FOLDER == kListCmdAddFolder &&
              IDC_REMOVE == kListCmdRemove && IDC_REMOVE_ALL == kListCmdRemoveAll &&
              ID_SELECT_ALL == kListCmdSelectAll && ID_SELECT_NONE == kListCmdSelectNone);

namespace {

constexpr char kSection[] = "DeleteDlg";
constexpr int kMargin = 10;
constexpr int kGap = 5;
constexpr int kButtonIds[6] = {IDC_ADD_FILES,  IDC_ADD_FOLDER, IDC_REMOVE,
                               IDC_REMOVE_ALL, IDOK,           IDCANCEL};
// Dropped names of any length; those too long are told apart from those
// without an exact name.
constexpr size_t kAnyLength = 32767 * 3 + 1;

std::string JoinNames(const std::vector<std::string>& paths) {
  std::string names;
  for (const std::string& path : paths) {
    if (!names.empty()) names += ", ";
    names += PathName(path.c_str());
  }
  return names;
}

// The instructions name the Start button with its mnemonic; a static text
// that shows names (the note) cannot take mnemonics, so the marks go.
std::string WithoutMnemonics(const char* text) {
  std::string plain;
  for (const char* p = text; *p; ++p) {
    if (*p == '&' && *++p == '\0') break;
    plain += *p;
  }
  return plain;
}

std::string Instructions() { return WithoutMnemonics(LangText("Info", kSection)); }

}  // namespace

std::string NotAddedNote(const NotAdded& notAdded) {
  std::string note;
  auto line = [&note](const char* key, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    if (!note.empty()) note += "\r\n";
    note += FormatWithArgs(LangText(key, kSection), JoinNames(paths).c_str());
  };
  if (notAdded.tooMany) note = LangText("TooMany", kSection);
  line("NotListed", notAdded.listed);
  line("NotLong", notAdded.tooLong);
  line("NotVirtual", notAdded.noPath);
  line("NotExact", notAdded.unnamed);
  return note;
}

CKXDeleteDlg::CKXDeleteDlg(DeleteJob& pending, DeletionRunner& runner)
    : kx::Dialog(IDD_BATCH_DELETE),
      pending_(pending),
      runner_(runner),
      list_(IDI_FOLDER, IDI_FILE, IDR_BATCH_MENU) {
  InitWindowState(state_, kDeleteDlgStateName);
}

INT_PTR CKXDeleteDlg::DoModal(HWND owner) {
  startChosen_ = false;
  Dialog::DoModal(owner);
  if (startChosen_) runner_.StartDeletion(pending_, kx::AppMainWindow());
  return IDCANCEL;
}

bool CKXDeleteDlg::OnInit() {
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  minSize_ = {outer.right - outer.left, outer.bottom - outer.top};
  DragAcceptFiles(hwnd_, TRUE);
  list_.Attach(hwnd_, IDC_BATCH_LIST);
  for (int i = 0; i < 6; ++i) buttons_[i].Attach(hwnd_, kButtonIds[i]);
  SetTexts();
  HICON big = LoadAppIcon();
  HICON small = LoadAppIcon(GetSystemMetrics(SM_CXSMICON));
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));
  LoadWindowState(state_);
  ApplyWindowState(hwnd_, state_, true);
  ShowPendingList();
  LayoutBatchDialog();
  return true;
}

void CKXDeleteDlg::SetTexts() {
  SetText(LangText("Title", kSection));
  SetItemText(IDC_BATCH_INFO, Instructions().c_str());
  SetItemText(IDC_ADD_FILES, LangText("AddFile", kSection));
  SetItemText(IDC_ADD_FOLDER, LangText("AddFolder", kSection));
  SetItemText(IDC_REMOVE, LangText("Remove", kSection));
  SetItemText(IDC_REMOVE_ALL, LangText("RemoveAll", kSection));
  SetItemText(IDOK, LangText("Start", kSection));
  SetItemText(IDCANCEL, LangText("Cancel"));
  const struct {
    int command;
    const char* key;
  } menuTexts[] = {{IDC_ADD_FILES, "AddFile"},   {IDC_ADD_FOLDER, "AddFolder"},
                   {IDC_REMOVE, "Remove"},       {IDC_REMOVE_ALL, "RemoveAll"},
                   {ID_SELECT_ALL, "SelectAll"}, {ID_SELECT_NONE, "SelectNone"}};
  if (HMENU menu = list_.Menu()) {
    for (const auto& entry : menuTexts)
      ModifyMenuA(menu, entry.command, MF_BYCOMMAND | MF_STRING, entry.command,
                  LangText(entry.key, kSection));
  }
}

void CKXDeleteDlg::ShowPendingList() {
  list_.DeleteAllRows();
  for (DeleteItem* item = pending_.root.firstChild; item; item = item->next)
    list_.InsertRow(item->path, item->isFolder != 0, reinterpret_cast<LPARAM>(item));
}

void CKXDeleteDlg::UpdateBatchButtons() {
  const CKXListCtrl::MenuState state = list_.CommandState();
  EnableItem(IDC_REMOVE, state.canRemove);
  EnableItem(IDOK, state.canRemoveAll);
  EnableItem(IDC_REMOVE_ALL, state.canRemoveAll);
  list_.FitPathColumn();
}

void CKXDeleteDlg::LayoutBatchDialog() {
  if (!Item(IDOK)) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int w = client.right, h = client.bottom;
  auto size = [this](int id) {
    RECT r = ItemRect(id);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  RECT info = ItemRect(IDC_BATCH_INFO);
  MoveItem(IDC_BATCH_INFO, {kMargin, kMargin, w - kMargin, kMargin + (info.bottom - info.top)});
  const SIZE cancel = size(IDCANCEL);
  const RECT cancelRect{w - kMargin - cancel.cx, h - kMargin - cancel.cy, w - kMargin, h - kMargin};
  MoveItem(IDCANCEL, cancelRect);
  const SIZE start = size(IDOK);
  const RECT startRect{cancelRect.left - kGap - start.cx, h - kMargin - start.cy,
                       cancelRect.left - kGap, h - kMargin};
  MoveItem(IDOK, startRect);
  RECT add = ItemRect(IDC_ADD_FILES);
  const SIZE button{add.right - add.left, add.bottom - add.top};
  add = {w - kMargin - button.cx, add.top, w - kMargin, add.top + button.cy};
  MoveItem(IDC_ADD_FILES, add);
  int top = add.bottom;
  for (int id : {IDC_ADD_FOLDER, IDC_REMOVE, IDC_REMOVE_ALL}) {
    top += kMargin;
    MoveItem(id, {add.left, top, add.right, top + button.cy});
    top += button.cy;
  }
  RECT list = ItemRect(IDC_BATCH_LIST);
  MoveItem(IDC_BATCH_LIST, {kMargin, list.top, add.left - kGap, startRect.top - kGap});
  UpdateBatchButtons();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool CKXDeleteDlg::AddPath(const std::string& path, NotAdded& notAdded) {
  if (path.empty()) return false;
  if (path.size() > kMaxPathBytes) {
    notAdded.tooLong.push_back(path);
    return false;
  }
  if (AddTopLevelItem(pending_, path.c_str(), IsFolder, SameOrInsideOnDisk)) return true;
  if (IsCovered(pending_, path.c_str(), SameOrInsideOnDisk)) notAdded.listed.push_back(path);
  return false;
}

void CKXDeleteDlg::FinishAdding(int added, const NotAdded& notAdded) {
  if (added > 0) {
    ShowPendingList();
    const int last = list_.RowCount() - 1;
    list_.SelectAll(false);
    if (last >= 0) list_.SelectRow(last, true);
    UpdateBatchButtons();
  }
  const std::string note = NotAddedNote(notAdded);
  SetItemText(IDC_BATCH_INFO, note.empty() ? Instructions().c_str() : note.c_str());
}

void CKXDeleteDlg::AddFiles() {
  CMVFileDialog chooser(hwnd_, nullptr, true);
  NotAdded notAdded;
  int added = 0;
  switch (chooser.DoModal()) {
    case CMVFileDialog::Result::kChosen:
      for (const std::string& path : chooser.Paths()) added += AddPath(path, notAdded) ? 1 : 0;
      notAdded.unnamed = chooser.Unnamed();
      break;
    case CMVFileDialog::Result::kTooMany:
      notAdded.tooMany = true;
      break;
    default:
      return;
  }
  FinishAdding(added, notAdded);
}

void CKXDeleteDlg::AddFolder() {
  ChosenFolder chosen = BrowseForFolder(hwnd_, nullptr);
  NotAdded notAdded;
  int added = 0;
  switch (chosen.result) {
    case ChosenFolder::Result::kChosen:
      added = AddPath(chosen.path, notAdded) ? 1 : 0;
      break;
    case ChosenFolder::Result::kNoPath:
      notAdded.noPath.push_back(std::move(chosen.shown));
      break;
    case ChosenFolder::Result::kUnnamed:
      notAdded.unnamed.push_back(std::move(chosen.shown));
      break;
    default:
      return;
  }
  FinishAdding(added, notAdded);
}

void CKXDeleteDlg::AddDropped(HDROP drop) {
  NotAdded notAdded;
  int added = 0;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::string ansi(kAnyLength, '\0');
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first: a path too long must be named, not cut.
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::u16string path(length + 1, u'\0');
    DragQueryFileW(drop, i, reinterpret_cast<wchar_t*>(path.data()), length + 1);
    path.resize(length);
    bool named = false;
    {
      // Another process dropped it, naming the item as the engine reaches it
      // with redirection off; its short name is looked up the same way.
      Wow64RedirectionOff off;
      named = ShellPathToAnsi(path.data(), path.size(), ansi.data(), ansi.size());
    }
    if (named) {
      added += AddPath(ansi.c_str(), notAdded) ? 1 : 0;
    } else {
      notAdded.unnamed.push_back(ShownName(path.data(), path.size()));
    }
  }
  DragFinish(drop);
  FinishAdding(added, notAdded);
}

void CKXDeleteDlg::RemoveSelected() {
  if (list_.SelectedCount() == 0) return;
  int removed = 0;
  for (int row = 0; row < list_.RowCount(); ++row) {
    if (!list_.IsSelected(row)) continue;
    if (RemoveTopLevelItem(pending_, reinterpret_cast<DeleteItem*>(list_.RowData(row)))) ++removed;
  }
  if (removed == 0) return;
  ShowPendingList();
  UpdateBatchButtons();
}

void CKXDeleteDlg::RemoveAll() {
  ClearJob(pending_);
  ShowPendingList();
  UpdateBatchButtons();
}

bool CKXDeleteDlg::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED && code != 0) return false;
  switch (id) {
    case IDC_ADD_FILES:
      AddFiles();
      return true;
    case IDC_ADD_FOLDER:
      AddFolder();
      return true;
    case IDC_REMOVE:
      RemoveSelected();
      return true;
    case IDC_REMOVE_ALL:
      RemoveAll();
      return true;
    case ID_SELECT_ALL:
    case ID_SELECT_NONE:
      list_.SelectAll(id == ID_SELECT_ALL);
      UpdateBatchButtons();
      return true;
    default:
      return false;
  }
}

bool CKXDeleteDlg::OnNotify(NMHDR* header, LRESULT& result) {
  if (list_.OnParentNotify(header, result)) return true;
  if (header->idFrom == IDC_BATCH_LIST && header->code == LVN_ITEMCHANGED) {
    UpdateBatchButtons();
    return true;
  }
  return false;
}

bool CKXDeleteDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_SIZE:
      LayoutBatchDialog();
      return false;
    case WM_GETMINMAXINFO:
      if (minSize_.cx > 0) {
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {minSize_.cx, minSize_.cy};
        return true;
      }
      return false;
    case WM_DROPFILES:
      AddDropped(reinterpret_cast<HDROP>(wp));
      return true;
    case WM_DESTROY:
      CaptureWindowState(hwnd_, state_);
      SaveWindowState(state_);
      return false;
    default:
      return false;
  }
}

void CKXDeleteDlg::OnOK() {
  if (CountItems(pending_) == 0) return;
  startChosen_ = true;
  Show(SW_HIDE);
  EndModal(IDCANCEL);
}

void RunBatchList(DeleteJob& pending, DeletionRunner& runner, HWND owner) {
  CKXDeleteDlg dialog(pending, runner);
  dialog.DoModal(owner);
}
