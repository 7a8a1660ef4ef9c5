#include "widgets/report_dlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "base/path_utils.h"
#include "base/product.h"
#include "framework/handle.h"
#include "framework/system_error.h"
#include "lang/text_store.h"
#include "widgets/report_ids.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr int kMargin = 11;  // pixels, about 7 dialog units
// The item column takes this share of the list's width; paths are long.
constexpr int kItemColumnPercent = 60;

const char* ReportText(const char* key) { return LangText(key, "Report"); }

// The program's texts are in the system's code page.
std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

}  // namespace

ReportDlg::ReportDlg(ReportContent content, UINT closeAfterMs)
    : Dialog(IDD_REPORT), content_(std::move(content)), closeAfterMs_(closeAfterMs) {}

bool ReportDlg::OnInit() {
  const std::string caption = std::string(ReportText("Title")) + " - " + kProductName;
  SetText(caption.c_str());
  SetItemText(IDC_REPORT_SUMMARY, Joined(content_.summary).c_str());
  SetItemText(IDC_REPORT_COPY, ReportText("Copy"));
  SetItemText(IDC_REPORT_SAVE, ReportText("Save"));
  SetItemText(IDOK, ReportText("Close"));
  FillList();
  Layout();
  if (content_.closesItself && SetTimer(hwnd_, kCloseTimer, closeAfterMs_, nullptr))
    clockRunning_ = true;
  kx::BringToFront(hwnd_);
  // Enter closes the report, as Close is what most users want of it.
  SetFocus(Item(IDOK));
  return false;
}

void ReportDlg::FillList() {
  HWND list = Item(IDC_REPORT_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  RECT client{};
  GetClientRect(list, &client);
  const int width = client.right - GetSystemMetrics(SM_CXVSCROLL);
  const int itemWidth = width * kItemColumnPercent / 100;
  const std::pair<const char*, int> columns[] = {{"ColItem", itemWidth},
                                                 {"ColWhat", width - itemWidth}};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(ReportText(columns[i].first));
    column.cx = columns[i].second;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  int index = 0;
  for (const ReportContent::Row& row : content_.rows) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index++;
    item.pszText = const_cast<char*>(row.item.c_str());
    const int at =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0) continue;
    item.iItem = at;
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(row.what.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&item));
  }
}

// The summary gets the height its lines take; the list follows it, or goes
// when it would be empty, and the buttons and the window's bottom follow.
void ReportDlg::Layout() {
  RECT summary = ItemRect(IDC_REPORT_SUMMARY);
  {
    kx::WindowDC dc(Item(IDC_REPORT_SUMMARY));
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT));
    kx::SelectGuard keep(dc.Get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT measure = {0, 0, summary.right - summary.left, 0};
    const std::string text = Joined(content_.summary);
    DrawTextA(dc.Get(), text.c_str(), -1, &measure, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    summary.bottom = summary.top + measure.bottom;
  }
  MoveItem(IDC_REPORT_SUMMARY, summary);
  const RECT listWas = ItemRect(IDC_REPORT_LIST);
  const RECT closeWas = ItemRect(IDOK);
  int below = summary.bottom + kMargin;
  if (content_.rows.empty()) {
    ShowItem(IDC_REPORT_LIST, false);
  } else {
    RECT list = listWas;
    list.bottom = below + (listWas.bottom - listWas.top);
    list.top = below;
    MoveItem(IDC_REPORT_LIST, list);
    below = list.bottom + kMargin;
  }
  const int shift = below - closeWas.top;
  for (int id : {IDC_REPORT_COPY, IDC_REPORT_SAVE, IDOK}) {
    RECT button = ItemRect(id);
    OffsetRect(&button, 0, shift);
    MoveItem(id, button);
  }
  RECT window{};
  GetWindowRect(hwnd_, &window);
  const int height = window.bottom - window.top + shift;
  // Centred again on the screen's work area with its new height.
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int width = window.right - window.left;
  SetWindowPos(hwnd_, nullptr, work.left + std::max(0L, (work.right - work.left - width) / 2),
               work.top + std::max(0L, (work.bottom - work.top - height) / 2), width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ReportDlg::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_REPORT_COPY:
      StopClock();
      Copy();
      return true;
    case IDC_REPORT_SAVE:
      StopClock();
      Save();
      return true;
    default:
      return false;
  }
}

bool ReportDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != WM_TIMER || wp != kCloseTimer) return false;
  StopClock();
  EndModal(IDOK);
  return true;
}

// A user who works with the report keeps it.
void ReportDlg::StopClock() {
  if (clockRunning_) KillTimer(hwnd_, kCloseTimer);
  clockRunning_ = false;
}

void ReportDlg::Copy() {
  if (!PutTextOnClipboard(hwnd_, ReportPlainText(content_)))
    MessageBoxA(hwnd_, ReportText("CopyFailed"), kProductName, MB_ICONHAND | MB_OK);
}

void ReportDlg::Save() {
  wchar_t path[MAX_PATH + 1] = {};
  const std::wstring name = Wide(std::string(kProductName) + " " + ReportText("FileName"));
  lstrcpynW(path, name.c_str(), MAX_PATH);
  // Two texts, each ending in a null, and a null after the pair.
  std::wstring filter = Wide(ReportText("TextFiles")) + L" (*.txt)" + L'\0' + L"*.txt" + L'\0';
  filter += L'\0';
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = hwnd_;
  save.lpstrFilter = filter.c_str();
  save.lpstrFile = path;
  save.nMaxFile = MAX_PATH;
  save.lpstrDefExt = L"txt";
  save.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&save)) return;
  if (WriteTextFile(path, ReportPlainText(content_))) return;
  const DWORD code = GetLastError();
  std::string shown(MAX_PATH * 2, '\0');
  const int length = WideCharToMultiByte(CP_ACP, 0, path, -1, shown.data(),
                                         static_cast<int>(shown.size()), nullptr, nullptr);
  shown.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
  const std::string text =
      FormatWithArgs(ReportText("SaveFailed"), shown.c_str(), kx::SystemErrorText(code).c_str());
  MessageBoxA(hwnd_, text.c_str(), kProductName, MB_ICONHAND | MB_OK);
}

void ShowReport(const ReportContent& content, HWND owner) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  ReportDlg(content).DoModal(owner);
}

bool PutTextOnClipboard(HWND owner, const std::string& text) {
  const std::wstring wide = Wide(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return false;
  void* place = GlobalLock(memory);
  if (!place) {
    GlobalFree(memory);
    return false;
  }
  memcpy(place, wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it took it.
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!put) GlobalFree(memory);
  return put;
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
  const std::wstring wide = Wide(text);
  std::string utf8 = "\xEF\xBB\xBF";
  if (!wide.empty()) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    const size_t start = utf8.size();
    utf8.resize(start + static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[start],
                        length, nullptr, nullptr);
  }
  kx::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (!WriteFile(file.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr))
    return false;
  if (written != utf8.size()) {
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}
