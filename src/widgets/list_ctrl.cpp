#include "widgets/list_ctrl.h"

#include <windowsx.h>

#include <map>
#include <string>

#include "framework/module.h"

namespace {

constexpr UINT_PTR kListSubclass = 0x4B58;
constexpr char kFolderType[] = "Folder";
constexpr char kFileType[] = "File";
// A path of 260 bytes and its terminator, with room to spare.
constexpr int kMaxRowText = 600;

std::string RowText(HWND list, int row, int column) {
  char text[kMaxRowText] = "";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

// The texts are read before the sort: while the list sorts, its rows are
// half moved and cannot be asked for their texts.
struct SortContext {
  std::map<LPARAM, std::string> texts;
  bool ascending;
};

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context) {
  const auto* sort = reinterpret_cast<const SortContext*>(context);
  const auto a = sort->texts.find(first);
  const auto b = sort->texts.find(second);
  if (a == sort->texts.end() || b == sort->texts.end()) return 0;
  return SortedOrder(lstrcmpiA(a->second.c_str(), b->second.c_str()), sort->ascending);
}

void Grey(HMENU menu, int command, bool enabled) {
  EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

CKXListCtrl::CKXListCtrl(UINT folderIcon, UINT fileIcon, UINT contextMenu)
    : folderIcon_(static_cast<HICON>(
          LoadImageA(kx::ModuleInstance(), MAKEINTRESOURCEA(folderIcon), IMAGE_ICON, 16, 16, 0))),
      fileIcon_(static_cast<HICON>(
          LoadImageA(kx::ModuleInstance(), MAKEINTRESOURCEA(fileIcon), IMAGE_ICON, 16, 16, 0))),
      menu_(LoadMenuA(kx::ModuleInstance(), MAKEINTRESOURCEA(contextMenu))) {}

CKXListCtrl::~CKXListCtrl() {
  if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, SubclassProc, kListSubclass);
}

bool CKXListCtrl::Attach(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  if (hwnd_ || !list) return false;
  if (!SetWindowSubclass(list, SubclassProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this))) return false;
  hwnd_ = list;
  const DWORD extended = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.pszText = const_cast<char*>("");
  column.fmt = LVCFMT_LEFT;
  column.cx = 80;
  column.iSubItem = 0;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.fmt = LVCFMT_CENTER;
  column.cx = 20;
  column.iSubItem = 1;
  SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  int order[2] = {1, 0};
  SendMessageA(list, LVM_SETCOLUMNORDERARRAY, 2, reinterpret_cast<LPARAM>(order));
  return true;
}

HMENU CKXListCtrl::Menu() const { return menu_ ? GetSubMenu(menu_.Get(), 0) : nullptr; }

void CKXListCtrl::DeleteAllRows() { SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

int CKXListCtrl::InsertRow(const char* path, bool folder, LPARAM data) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = 0;
  item.pszText = const_cast<char*>(path);
  item.lParam = data;
  const int row = static_cast<int>(SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  LVITEMA type{};
  type.iSubItem = 1;
  type.pszText = const_cast<char*>(folder ? kFolderType : kFileType);
  SendMessageA(hwnd_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&type));
  return row;
}

int CKXListCtrl::RowCount() const { return static_cast<int>(SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0)); }

int CKXListCtrl::SelectedCount() const {
  return static_cast<int>(SendMessageA(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
}

LPARAM CKXListCtrl::RowData(int row) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

bool CKXListCtrl::IsSelected(int row) const {
  return (SendMessageA(hwnd_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void CKXListCtrl::SelectRow(int row, bool select) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | (select ? LVIS_FOCUSED : 0);
  item.state = select ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  SendMessageA(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  if (select) SendMessageA(hwnd_, LVM_ENSUREVISIBLE, row, FALSE);
}

void CKXListCtrl::SelectAll(bool select) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = select ? LVIS_SELECTED : 0;
  SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void CKXListCtrl::FitPathColumn() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int typeWidth = static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, 1, 0));
  SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(client.right - typeWidth, 0));
}

CKXListCtrl::MenuState CKXListCtrl::CommandState() const {
  const bool any = RowCount() > 0;
  const bool selected = SelectedCount() > 0;
  return {selected, any, any, selected};
}

bool CKXListCtrl::OnParentNotify(NMHDR* header, LRESULT& result) {
  if (!header || header->hwndFrom != hwnd_) return false;
  if (header->code == NM_CUSTOMDRAW) {
    result = DrawRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    return true;
  }
  if (header->code == LVN_COLUMNCLICK) {
    SortByColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    result = 0;
    return true;
  }
  return false;
}

void CKXListCtrl::SortByColumn(int column) {
  column = column != 0 ? 1 : 0;
  SortContext context;
  context.ascending = NextSortAscending(sort_, column);
  for (int row = 0; row < RowCount(); ++row) context.texts[RowData(row)] = RowText(hwnd_, row, column);
  SendMessageA(hwnd_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(CompareRows));
}

LRESULT CKXListCtrl::DrawRow(NMLVCUSTOMDRAW& draw) const {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  HDC dc = draw.nmcd.hdc;
  const int row = static_cast<int>(draw.nmcd.dwItemSpec);
  const int saved = SaveDC(dc);

  RECT label{LVIR_LABEL, 0, 0, 0};
  SendMessageA(hwnd_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
  label.right -= 2;
  RECT type{LVIR_LABEL, 1, 0, 0};  // LVM_GETSUBITEMRECT: the part, then the column
  SendMessageA(hwnd_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&type));
  RECT client{};
  GetClientRect(hwnd_, &client);
  RECT fill{client.left, label.top, client.right, label.bottom};

  SetBkMode(dc, TRANSPARENT);
  if (IsSelected(row)) {
    FillRect(dc, &fill, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    kx::GdiObject brush(CreateSolidBrush(static_cast<COLORREF>(SendMessageA(hwnd_, LVM_GETBKCOLOR, 0, 0))));
    FillRect(dc, &fill, static_cast<HBRUSH>(brush.Get()));
    SetTextColor(dc, static_cast<COLORREF>(SendMessageA(hwnd_, LVM_GETTEXTCOLOR, 0, 0)));
  }
  const bool folder = lstrcmpiA(RowText(hwnd_, row, 1).c_str(), "FOLDER") == 0;
  HICON icon = folder ? folderIcon_.Get() : fileIcon_.Get();
  if (icon) {
    const int x = (type.left + type.right) / 2 - 8;
    const int y = (type.top + type.bottom) / 2 - 8;
    DrawIconEx(dc, x, y, icon, 16, 16, 0, nullptr, DI_NORMAL);
  }
  // A path never has a mnemonic: an "&" in a name is shown as it is.
  const std::string path = RowText(hwnd_, row, 0);
  DrawTextA(dc, path.c_str(), -1, &label, DT_PATH_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  RestoreDC(dc, saved);
  return CDRF_SKIPDEFAULT;
}

void CKXListCtrl::ShowContextMenu(POINT screen) {
  HMENU popup = Menu();
  if (!popup) return;
  // A menu opened from the keyboard stands at the list's corner.
  if (screen.x == -1 && screen.y == -1) {
    screen = {0, 0};
    ClientToScreen(hwnd_, &screen);
  }
  const MenuState state = CommandState();
  Grey(popup, kListCmdRemove, state.canRemove);
  Grey(popup, kListCmdRemoveAll, state.canRemoveAll);
  Grey(popup, kListCmdSelectAll, state.canSelectAll);
  Grey(popup, kListCmdSelectNone, state.canSelectNone);
  TrackPopupMenu(popup, TPM_LEFTALIGN, screen.x, screen.y, 0, GetParent(hwnd_), nullptr);
}

LRESULT CALLBACK CKXListCtrl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                           DWORD_PTR self) {
  auto* list = reinterpret_cast<CKXListCtrl*>(self);
  switch (msg) {
    case WM_CONTEXTMENU:
      list->ShowContextMenu({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_NOTIFY: {
      // The owner places the columns; the user cannot drag the dividers.
      const UINT code = reinterpret_cast<NMHDR*>(lp)->code;
      if (code == HDN_BEGINTRACKA || code == HDN_BEGINTRACKW || code == HDN_TRACKA || code == HDN_TRACKW ||
          code == HDN_DIVIDERDBLCLICKA || code == HDN_DIVIDERDBLCLICKW)
        return 1;
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, SubclassProc, kListSubclass);
      list->hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}
