#include "ui/about_dlg.h"

#include "base/product.h"
#include "ui/ui_ids.h"
#include "widgets/anchor.h"

namespace {

constexpr char kMakerLine[] = "Made by Morvane";

// CreatePointFont: a height in tenths of a point on the screen.
HFONT PointFont(int tenths, const char* face) {
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(tenths, GetDeviceCaps(kx::WindowDC(nullptr).Get(), LOGPIXELSY), 720);
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  lf.lfCharSet = DEFAULT_CHARSET;
  return CreateFontIndirectA(&lf);
}

}  // namespace

CKXAboutDlg::CKXAboutDlg(PanelHost& host) : CKXRPDlg(IDD_ABOUT, host) {}

// The name control goes before its font.
CKXAboutDlg::~CKXAboutDlg() { Destroy(); }

bool CKXAboutDlg::OnInit() {
  CKXRPDlg::OnInit();
  nameFont_.Reset(PointFont(150, "Impact"));
  SendItem(IDC_ABOUT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.Get()), TRUE);
  SetItemText(IDC_ABOUT_MAKER, kMakerLine);
  SetItemText(IDC_ABOUT_LINK, kWebAddress);
  kx::MakeLink(Item(IDC_ABOUT_LINK));
  // The texts under the name keep its left edge and the panel's margin.
  const int left = ItemRect(IDC_ABOUT_NAME).left;
  for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_MAKER, IDC_ABOUT_LAW})
    kx::AnchorControl(Item(id), kx::Anchor().Left(left).Right(kMargin));
  return false;
}

void CKXAboutDlg::RefreshTexts() {
  SetTitleFromCommand(ID_ABOUT);
  SetItemText(IDC_ABOUT_NAME, kProductName);
  SetItemText(IDC_ABOUT_VERSION, LangText("Ver", "AboutDlg"));
  SetItemText(IDC_ABOUT_LAW, LangText("Law", "AboutDlg"));
}

bool CKXAboutDlg::OnCommand(int id, int code, HWND control) {
  if (id == IDC_ABOUT_LINK && code == STN_CLICKED) {
    PostMessageA(Host().HostWindow(), WM_COMMAND, ID_WEB, 0);
    return true;
  }
  return false;
}

bool CKXAboutDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == Item(IDC_ABOUT_LINK)) {
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, kx::LinkColour());
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(PanelBrush());
    return true;
  }
  return CKXRPDlg::OnMessage(msg, wp, lp, result);
}
