#include "ui/set_pass_dlg.h"

#include <cstring>
#include <iterator>

#include "base/product.h"
#include "base/settings_store.h"
#include "ui/password_ids.h"
#include "ui/password_logic.h"
#include "ui/ui_ids.h"
#include "widgets/anchor.h"

CKXSetPassDlg::CKXSetPassDlg(PanelHost& host, ConfigRecord& settings)
    : CKXRPDlg(IDD_SETPASS, host), settings_(settings) {}

bool CKXSetPassDlg::OnInit() {
  CKXRPDlg::OnInit();
  static constexpr int kButtonIds[] = {IDC_SETPASS_REMOVE, IDOK, IDCANCEL};
  static_assert(std::size(kButtonIds) == sizeof buttons_ / sizeof buttons_[0]);
  for (size_t i = 0; i < std::size(kButtonIds); ++i) buttons_[i].Attach(hwnd_, kButtonIds[i]);
  info_.AttachItem(hwnd_, IDC_SETPASS_INFO);
  newLabel_.AttachItem(hwnd_, IDC_SETPASS_NEW_LABEL);
  confirmLabel_.AttachItem(hwnd_, IDC_SETPASS_CONFIRM_LABEL);
  new_.AttachItem(hwnd_, IDC_SETPASS_NEW);
  confirm_.AttachItem(hwnd_, IDC_SETPASS_CONFIRM);
  for (int id : {IDC_SETPASS_INFO, IDC_SETPASS_NEW_LABEL, IDC_SETPASS_NEW, IDC_SETPASS_CONFIRM_LABEL,
                 IDC_SETPASS_CONFIRM, IDC_SETPASS_REMOVE})
    kx::AnchorStretch(Item(id), kMargin);
  const RECT cancel = ItemRect(IDCANCEL);
  kx::AnchorRight(Item(IDCANCEL), kMargin);
  kx::AnchorRight(Item(IDOK), (cancel.right - cancel.left) + kMargin + 5);
  new_.SetLimit(kMaxPasswordLength);
  confirm_.SetLimit(kMaxPasswordLength);
  ResetPasswordPanel();
  return false;
}

void CKXSetPassDlg::RefreshTexts() {
  SetTitleFromCommand(ID_PASSWORD);
  SetItemText(IDC_SETPASS_INFO, LangText("Info", "SetupPass"));
  SetItemText(IDC_SETPASS_NEW_LABEL, LangText("Info2", "SetupPass"));
  SetItemText(IDC_SETPASS_CONFIRM_LABEL, LangText("Info3", "SetupPass"));
  SetItemText(IDC_SETPASS_REMOVE, LangText("RemovePass", "SetupPass"));
  SetItemText(IDOK, LangText("OK"));
  SetItemText(IDCANCEL, LangText("Cancel"));
}

void CKXSetPassDlg::WipeFields() {
  new_.Wipe();
  confirm_.Wipe();
}

void CKXSetPassDlg::ResetPasswordPanel() {
  EnableItem(IDC_SETPASS_REMOVE, HasPassword(settings_));
  SetCheck(IDC_SETPASS_REMOVE, false);
  WipeFields();
  UpdatePasswordPanel();
}

void CKXSetPassDlg::UpdatePasswordPanel() {
  const bool remove = IsChecked(IDC_SETPASS_REMOVE);
  for (int id : {IDC_SETPASS_NEW_LABEL, IDC_SETPASS_CONFIRM_LABEL, IDC_SETPASS_NEW, IDC_SETPASS_CONFIRM})
    EnableItem(id, !remove);
  EnableItem(IDOK, SetPassOkEnabled(remove, GetWindowTextLengthA(new_) == 0));
}

bool CKXSetPassDlg::OnCommand(int id, int code, HWND control) {
  if ((id == IDC_SETPASS_REMOVE && code == BN_CLICKED) ||
      ((id == IDC_SETPASS_NEW || id == IDC_SETPASS_CONFIRM) && code == EN_CHANGE)) {
    UpdatePasswordPanel();
    return true;
  }
  return false;
}

bool CKXSetPassDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  // A panel left for another one must not keep what was typed into it.
  if (msg == WM_SHOWWINDOW && !wp) ResetPasswordPanel();
  return CKXRPDlg::OnMessage(msg, wp, lp, result);
}

void CKXSetPassDlg::SaveDigest(const uint8_t* digest) {
  std::memcpy(settings_.passwordDigest, digest, sizeof settings_.passwordDigest);
  SaveConfig(settings_);
  ResetPasswordPanel();
  Host().ShowPanel(0);
}

void CKXSetPassDlg::Refuse(const char* key) {
  WipeFields();
  MessageBoxA(Host().HostWindow(), LangText(key), kProductName, MB_OK | MB_ICONERROR);
  UpdatePasswordPanel();
  SetFocus(new_);
}

void CKXSetPassDlg::OnOK() {
  // Enter reaches the panel even while OK is disabled.
  if (!IsWindowEnabled(Item(IDOK))) return;
  if (IsChecked(IDC_SETPASS_REMOVE)) {
    const uint8_t none[kPasswordDigestSize] = {};
    SaveDigest(none);
    return;
  }
  uint8_t digest[kPasswordDigestSize] = {};
  NewPasswordVerdict verdict;
  {
    SecretText password, confirmation;
    GetWindowTextA(new_, password.Buffer(), SecretText::kCapacity);
    GetWindowTextA(confirm_, confirmation.Buffer(), SecretText::kCapacity);
    verdict = CheckNewPassword(password, confirmation);
    if (verdict == NewPasswordVerdict::kAccept) password.Digest(digest);
  }
  WipeFields();
  switch (verdict) {
    case NewPasswordVerdict::kAccept:
      SaveDigest(digest);
      WipeBytes(digest, sizeof digest);
      break;
    case NewPasswordVerdict::kNotSame:
      Refuse("ErrPassNotSame");
      break;
    case NewPasswordVerdict::kEmpty:
      Refuse("ErrPassEmpty");
      break;
  }
}

void CKXSetPassDlg::OnCancel() {
  ResetPasswordPanel();
  Host().ShowPanel(0);
}
