#include "widgets/rp_dlg.h"

#include "lang/text_store.h"
#include "widgets/anchor.h"
#include "widgets/group_scheme.h"
#include "widgets/panel_title.h"

namespace {

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

unsigned char UpperByte(unsigned char c) {
  char text[2] = {static_cast<char>(c), '\0'};
  if (!IsCharLowerA(text[0])) return c;
  CharUpperBuffA(text, 1);
  return static_cast<unsigned char>(text[0]);
}

}  // namespace

void CapitaliseTitle(std::string& title) {
  CapitaliseWords(title.data(), IsLeadByte, UpperByte);
}

CKXRPDlg::CKXRPDlg(UINT templateId, PanelHost& host) : kx::Dialog(templateId), host_(host) {}

CKXRPDlg::~CKXRPDlg() { Destroy(); }

HBRUSH CKXRPDlg::PanelBrush() {
  return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void CKXRPDlg::SetTitle(const char* title) {
  title_ = title ? title : "";
  if (IsWindow()) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    RECT area{0, 0, client.right, kMargin + 2 * titleHeight_ + 8};
    InvalidateRect(hwnd_, &area, TRUE);
  }
}

void CKXRPDlg::SetTitleFromCommand(unsigned command) {
  std::string caption = host_.CommandCaption(command);
  CapitaliseTitle(caption);
  SetTitle(caption.c_str());
}

bool CKXRPDlg::OnInit() {
  HFONT dialogFont = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  if (dialogFont) {
    if (!titleFont_) {
      LOGFONTA lf{};
      GetObjectA(dialogFont, sizeof lf, &lf);
      lf.lfWeight = FW_BOLD;
      lf.lfHeight = lf.lfHeight < 0 ? lf.lfHeight - 2 : lf.lfHeight + 2;
      titleFont_.Reset(CreateFontIndirectA(&lf));
    }
    if (kx::WindowDC dc(hwnd_); dc) {
      TEXTMETRICA tm{};
      if (GetTextMetricsA(dc.Get(), &tm)) titleHeight_ = tm.tmHeight;
    }
  }
  return false;
}

void CKXRPDlg::PaintTitle(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int m = kMargin;
  const int h = titleHeight_;
  HGDIOBJ old = titleFont_ ? SelectObject(dc, titleFont_.Get()) : nullptr;
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  RECT text{m, m, client.right - m, m + 2 * h};
  DrawTextA(dc, title_.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  const int width = client.right - 2 * m;
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
  for (int x = 0; x < width; ++x) {
    SetDCBrushColor(dc, GradientColour(0x999999, 0xFFFFFF, x, width));
    PatBlt(dc, m + x, m + h + 7, 1, 1, PATCOPY);
  }
  SelectObject(dc, oldBrush);
  if (old) SelectObject(dc, old);
}

bool CKXRPDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_PAINT:
      kx::PaintWith(hwnd_, [this](HDC dc) { PaintTitle(dc); });
      return true;
    case WM_SIZE:
      if (GetWindow(hwnd_, GW_CHILD)) kx::AlignChildren(hwnd_);
      InvalidateRect(hwnd_, nullptr, TRUE);
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      result = reinterpret_cast<LRESULT>(PanelBrush());
      return true;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      result = reinterpret_cast<LRESULT>(PanelBrush());
      return true;
    default:
      return false;
  }
}
