#include "disk/drv_dlg.h"

#include <shellapi.h>

#include <string>

#include "base/size_text.h"
#include "disk/disk_ids.h"
#include "disk/disk_logic.h"
#include "disk/volume_guard.h"
#include "disk/wipe_logic.h"
#include "framework/handle.h"
#include "lang/text_store.h"

namespace {

// The width and height of an icon's colour bitmap; 0 when it cannot be read.
SIZE IconSize(HICON icon) {
  ICONINFO info{};
  SIZE size{0, 0};
  if (!GetIconInfo(icon, &info)) return size;
  kx::GdiObject color(info.hbmColor);
  kx::GdiObject mask(info.hbmMask);
  BITMAP bitmap{};
  if (color && GetObjectA(color.Get(), sizeof bitmap, &bitmap))
    size = {bitmap.bmWidth, bitmap.bmHeight};
  return size;
}

}  // namespace

CKXDrvDlg::CKXDrvDlg() : Dialog(IDD_CHOOSE_DISK) {}

CKXDrvDlg::~CKXDrvDlg() {
  if (images_) ImageList_Destroy(images_);
}

bool CKXDrvDlg::OnInit() {
  FillDriveList();
  FitToList();
  selectedDrive = 0;
  SetText(LangText("Title", "ChooseDisk"));
  SetItemText(IDC_DISK_TEXT, LangText("Info", "ChooseDisk"));
  SetItemText(IDOK, LangText("OK", "Global"));
  SetItemText(IDCANCEL, LangText("Cancel", "Global"));
  UpdateOk();
  return true;
}

void CKXDrvDlg::FillDriveList() {
  SendItem(IDC_DRIVE_LIST, CBEM_SETIMAGELIST, 0, 0);
  SendItem(IDC_DRIVE_LIST, CB_RESETCONTENT);
  if (images_) ImageList_Destroy(images_);
  images_ = nullptr;
  if (skipSystemDrive) guarded_ = FindGuardedVolumes();
  DWORD drives = GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (drives & (1u << bit)) AddDrive(static_cast<char>('A' + bit));
  }
  SendItem(IDC_DRIVE_LIST, CB_SETCURSEL, 0);
}

void CKXDrvDlg::AddDrive(char letter) {
  const char root[] = {letter, ':', '\\', '\0'};
  const UINT type = GetDriveTypeA(root);
  if (skipCdRom && type == DRIVE_CDROM) return;
  if (onlyLocalDisks && !OfferedForWipe(type)) return;
  if (skipSystemDrive && GuardOf(letter, guarded_) != DriveGuard::Free) return;
  SHFILEINFOA info{};
  UINT flags = SHGFI_ICON | SHGFI_DISPLAYNAME | (smallIcons ? SHGFI_SMALLICON : 0);
  if (!SHGetFileInfoA(root, 0, &info, sizeof info, flags)) return;
  kx::IconHandle icon(info.hIcon);
  if (!images_ && !MakeImageList(icon.Get())) return;

  std::string line = info.szDisplayName;
  ULARGE_INTEGER total{};
  if (GetDiskFreeSpaceExA(root, nullptr, &total, nullptr)) {
    char size[100] = {};
    FormatSize(static_cast<int64_t>(total.QuadPart), size, sizeof size);
    line += std::string(" [") + size + "]";
  }
  COMBOBOXEXITEMA item{};
  item.mask = CBEIF_TEXT | CBEIF_LPARAM;
  item.iItem = -1;
  item.pszText = line.data();
  item.lParam = static_cast<unsigned char>(letter);
  LRESULT index = SendItem(IDC_DRIVE_LIST, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  if (index < 0) return;
  item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
  item.iItem = index;
  item.iImage = item.iSelectedImage = icon ? ImageList_AddIcon(images_, icon.Get()) : -1;
  SendItem(IDC_DRIVE_LIST, CBEM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool CKXDrvDlg::MakeImageList(HICON icon) {
  int cx = GetSystemMetrics(smallIcons ? SM_CXSMICON : SM_CXICON);
  int cy = GetSystemMetrics(smallIcons ? SM_CYSMICON : SM_CYICON);
  SIZE own = icon ? IconSize(icon) : SIZE{0, 0};
  if (own.cx > 0 && own.cy > 0) {
    cx = own.cx;
    cy = own.cy;
  }
  images_ = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 1);
  if (!images_) return false;
  SendItem(IDC_DRIVE_LIST, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  return true;
}

// The buttons sit below the list, whatever height the list's font gave it.
void CKXDrvDlg::FitToList() {
  HWND list = Item(IDC_DRIVE_LIST);
  HWND combo =
      list ? reinterpret_cast<HWND>(SendItem(IDC_DRIVE_LIST, CBEM_GETCOMBOCONTROL)) : nullptr;
  RECT listRect = kx::RectInParent(list);
  if (combo) {
    GetWindowRect(combo, &listRect);
    MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&listRect), 2);
  }
  RECT ok = ItemRect(IDOK);
  ChooserFit fit = FitChooser(listRect.bottom, ok.bottom - ok.top);
  for (int id : {IDOK, IDCANCEL}) {
    RECT r = ItemRect(id);
    OffsetRect(&r, 0, fit.buttonTop - r.top);
    MoveItem(id, r);
  }
  RECT client{};
  GetClientRect(hwnd_, &client);
  client.bottom = client.top + fit.clientHeight;
  MapWindowPoints(hwnd_, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
  AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
  RECT window{};
  GetWindowRect(hwnd_, &window);
  SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, client.bottom - client.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKXDrvDlg::UpdateOk() { EnableItem(IDOK, SendItem(IDC_DRIVE_LIST, CB_GETCURSEL) != CB_ERR); }

bool CKXDrvDlg::OnCommand(int id, int code, HWND control) {
  if (id != IDC_DRIVE_LIST || code != CBN_SELCHANGE) return false;
  UpdateOk();
  return true;
}

void CKXDrvDlg::OnOK() {
  LRESULT index = SendItem(IDC_DRIVE_LIST, CB_GETCURSEL);
  selectedDrive = 0;
  if (index != CB_ERR) {
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_LPARAM;
    item.iItem = index;
    if (SendItem(IDC_DRIVE_LIST, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
      selectedDrive = static_cast<char>(item.lParam);
  }
  EndModal(IDOK);
}

void CKXDrvDlg::OnCancel() {
  selectedDrive = 0;
  EndModal(IDCANCEL);
}
