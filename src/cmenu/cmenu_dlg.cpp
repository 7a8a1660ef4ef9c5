#include "cmenu/cmenu_dlg.h"

#include "cmenu/cmenu_ids.h"
#include "cmenu/cmenu_panel_logic.h"
#include "cmenu/context_menu.h"
#include "ui/ui_ids.h"
#include "widgets/anchor.h"

namespace {

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

}  // namespace

CKXCMenuDlg::CKXCMenuDlg(PanelHost& host, ContextMenuState& state)
    : CKXRPDlg(IDD_CMENU, host), state_(state), registry_{ReadContextMenuState, ApplyContextMenuState} {}

bool CKXCMenuDlg::OnInit() {
  CKXRPDlg::OnInit();
  for (int id : {IDC_CMENU_INFO, IDC_CMENU_ENABLE, IDC_CMENU_CAPTION_LABEL, IDC_CMENU_CAPTION})
    kx::AnchorStretch(Item(id), kMargin);
  const RECT cancel = ItemRect(IDCANCEL);
  kx::AnchorRight(Item(IDCANCEL), kMargin);
  kx::AnchorRight(Item(IDOK), (cancel.right - cancel.left) + kMargin + 5);
  SendItem(IDC_CMENU_CAPTION, EM_LIMITTEXT, kMaxMenuCaption);
  Load();
  return false;
}

void CKXCMenuDlg::RefreshTexts() {
  SetTitleFromCommand(ID_CONTEXT_MENU);
  SetItemText(IDC_CMENU_INFO, LangText("Info", "SetupCMenu"));
  SetItemText(IDC_CMENU_ENABLE, LangText("Enable", "SetupCMenu"));
  SetItemText(IDC_CMENU_CAPTION_LABEL, LangText("Info2", "SetupCMenu"));
  SetItemText(IDOK, LangText("OK"));
  SetItemText(IDCANCEL, LangText("Cancel"));
}

void CKXCMenuDlg::Load() {
  SetCheck(IDC_CMENU_ENABLE, state_.enabled != 0);
  char caption[sizeof state_.caption + 1] = {};
  memcpy(caption, state_.caption, sizeof state_.caption);
  SetItemText(IDC_CMENU_CAPTION, caption);
  Update();
}

void CKXCMenuDlg::Update() {
  const bool ticked = IsChecked(IDC_CMENU_ENABLE);
  EnableItem(IDC_CMENU_CAPTION, ticked);
  EnableItem(IDC_CMENU_CAPTION_LABEL, ticked);
  EnableItem(IDOK, CMenuOkEnabled(state_, ticked, ItemText(IDC_CMENU_CAPTION).c_str()));
}

bool CKXCMenuDlg::OnCommand(int id, int code, HWND control) {
  if ((id == IDC_CMENU_ENABLE && code == BN_CLICKED) || (id == IDC_CMENU_CAPTION && code == EN_CHANGE)) {
    Update();
    return true;
  }
  return false;
}

bool CKXCMenuDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_SHOWWINDOW && wp) Load();
  return CKXRPDlg::OnMessage(msg, wp, lp, result);
}

void CKXCMenuDlg::OnOK() {
  // Enter reaches the panel even while OK is disabled.
  if (!IsWindowEnabled(Item(IDOK))) return;
  ContextMenuState wanted = state_;
  wanted.enabled = IsChecked(IDC_CMENU_ENABLE) ? 1 : 0;
  CopyMenuCaption(wanted.caption, ItemText(IDC_CMENU_CAPTION).c_str(), IsLeadByte);
  const bool applied = registry_.apply(wanted);
  // Whatever happened, the state tells what the registry now holds: a failed
  // switch must not show the menu as switched.
  registry_.read(state_);
  if (applied) {
    Host().ShowPanel(0);
    Host().RefreshTip();
  } else {
    Update();
  }
}

void CKXCMenuDlg::OnCancel() { Host().ShowPanel(0); }
