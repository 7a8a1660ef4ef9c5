#include "ui/welcome_dlg.h"

#include "ui/main_logic.h"
#include "ui/ui_ids.h"
#include "widgets/anchor.h"

namespace {

constexpr int kTipIconId = 104;  // the information icon of the system library

HICON LoadTipIcon() {
  for (const char* library : {"User32.dll", "User.exe"}) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) continue;
    if (auto icon = static_cast<HICON>(
            LoadImageA(module, MAKEINTRESOURCEA(kTipIconId), IMAGE_ICON, 16, 16, LR_SHARED)))
      return icon;
  }
  return static_cast<HICON>(LoadImageA(nullptr, IDI_INFORMATION, IMAGE_ICON, 16, 16, LR_SHARED));
}

}  // namespace

// ---------------------------------------------------------------------------
// CKXTipDlg

CKXTipDlg::CKXTipDlg(const ContextMenuState& menuState)
    : kx::Dialog(IDD_TIP),
      menuState_(menuState),
      icon_(LoadTipIcon()),
      background_(CreateSolidBrush(0xE1FFFF)),
      frame_(CreateSolidBrush(0x999999)) {}

CKXTipDlg::~CKXTipDlg() { Destroy(); }

void CKXTipDlg::FetchText() {
  text_ = LangText(menuState_.enabled ? "CMenuTip2" : "CMenuTip1", "Welcome");
}

void CKXTipDlg::RefreshTip() {
  if (text_.empty()) FetchText();
  if (!IsWindow()) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  RECT text{30, 5, client.right - 5, client.bottom - 5};
  if (kx::WindowDC dc(hwnd_); dc) {
    kx::SelectGuard font(dc.Get(), reinterpret_cast<HFONT>(Send(WM_GETFONT)));
    DrawTextA(dc.Get(), text_.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int height = mainwin::TipBoxHeight(text.bottom - text.top);
  RECT box{};
  GetWindowRect(hwnd_, &box);
  HWND parent = GetParent(hwnd_);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&box), 2);
  RECT parentClient{};
  GetClientRect(parent, &parentClient);
  SetWindowPos(hwnd_, nullptr, box.left, parentClient.bottom - 5 - height, box.right - box.left, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void CKXTipDlg::Paint(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(background_.Get()));
  FrameRect(dc, &client, static_cast<HBRUSH>(frame_.Get()));
  if (icon_) DrawIconEx(dc, 5, 5, icon_, 16, 16, 0, nullptr, DI_NORMAL);
  if (text_.empty()) FetchText();
  SetBkMode(dc, TRANSPARENT);
  kx::SelectGuard font(dc, reinterpret_cast<HFONT>(Send(WM_GETFONT)));
  RECT text{30, 5, client.right - 5, client.bottom - 5};
  DrawTextA(dc, text_.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
}

bool CKXTipDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  return kx::PaintsOwnBackground(hwnd_, msg, result, [this](HDC dc) { Paint(dc); });
}

// ---------------------------------------------------------------------------
// CKXWelcomDlg

CKXWelcomDlg::CKXWelcomDlg(PanelHost& host, const ContextMenuState& menuState)
    : CKXRPDlg(IDD_WELCOME, host), tip_(menuState) {}

bool CKXWelcomDlg::OnInit() {
  CKXRPDlg::OnInit();
  kx::AnchorStretch(Item(IDC_WELCOME_TEXT), kMargin);
  if (tip_.Create(hwnd_)) {
    SetWindowPos(tip_, nullptr, 7, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(tip_, SW_SHOW);
  }
  LayoutTip();
  return false;
}

void CKXWelcomDlg::LayoutTip() {
  HWND text = Item(IDC_WELCOME_TEXT);
  if (!text || !tip_.IsWindow()) return;
  RECT t = ItemRect(IDC_WELCOME_TEXT);
  RECT b{};
  GetWindowRect(tip_, &b);
  MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&b), 2);
  SetWindowPos(tip_, nullptr, t.left, b.top, t.right - t.left, b.bottom - b.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  tip_.RefreshTip();
}

void CKXWelcomDlg::RefreshTexts() {
  SetTitle(LangText("Title", "Welcome"));
  SetItemText(IDC_WELCOME_TEXT, LangText("Info", "Welcome"));
  tip_.ClearText();
  tip_.RefreshTip();
}

bool CKXWelcomDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  // The tip box is not anchored: it is laid out after the others have moved.
  if (msg == WM_SIZE) {
    CKXRPDlg::OnMessage(msg, wp, lp, result);
    LayoutTip();
    return false;
  }
  return CKXRPDlg::OnMessage(msg, wp, lp, result);
}
