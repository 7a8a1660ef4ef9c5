#include "ui/pass_dlg.h"

#include "lang/text_store.h"
#include "ui/app_icon.h"
#include "ui/password_ids.h"
#include "ui/password_logic.h"

namespace {
// Where the balloon points, within the edit.
constexpr POINT kBalloonAnchor{10, 5};
}  // namespace

CKXPassDlg::CKXPassDlg(const ConfigRecord& settings, CMVToolTip& toolTip)
    : kx::Dialog(IDD_PASSWORD), settings_(settings), toolTip_(toolTip) {}

CKXPassDlg::~CKXPassDlg() = default;

bool CKXPassDlg::OnInit() {
  HICON icon = LoadAppIcon();
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  edit_.AttachItem(hwnd_, IDC_PASS_EDIT);
  toolTip_.AddTool(edit_, kBalloonAnchor);
  SetText(LangText("Title", "PasswordDlg"));
  SetItemText(IDC_PASS_INFO, LangText("Info", "PasswordDlg"));
  SetItemText(IDC_PASS_LABEL, LangText("Info2", "PasswordDlg"));
  SetItemText(IDOK, LangText("OK"));
  SetItemText(IDCANCEL, LangText("Cancel"));
  toolTip_.SetBalloon(edit_, LangText("ErrTryAgain", "PasswordDlg"), CMVToolTip::kWarningIcon,
                      LangText("Name"));
  edit_.SetLimit(kMaxPasswordLength);
  EnableItem(IDOK, GetWindowTextLengthA(edit_) > 0);
  tries_ = 0;
  // Started from Explorer, the prompt must not open behind its window.
  SetForegroundWindow(hwnd_);
  return true;
}

bool CKXPassDlg::OnCommand(int id, int code, HWND control) {
  if (id == IDC_PASS_EDIT && code == EN_CHANGE) {
    const bool typed = GetWindowTextLengthA(edit_) > 0;
    EnableItem(IDOK, typed);
    // The next try has begun: the old warning no longer applies.
    if (typed) toolTip_.HideBalloon();
    return true;
  }
  return false;
}

void CKXPassDlg::OnOK() {
  if (!IsWindowEnabled(Item(IDOK))) return;
  uint8_t digest[kPasswordDigestSize];
  {
    SecretText typed;
    GetWindowTextA(edit_, typed.Buffer(), SecretText::kCapacity);
    typed.Digest(digest);
  }
  edit_.Wipe();
  const bool right = DigestsEqual(digest, settings_.passwordDigest);
  WipeBytes(digest, sizeof digest);
  if (right) {
    toolTip_.HideBalloon();
    EndModal(IDOK);
    return;
  }
  toolTip_.HideBalloon();
  if (++tries_ >= kPasswordTries) {
    EndModal(IDCANCEL);
    return;
  }
  toolTip_.ShowBalloon(edit_);
  SetFocus(edit_);
}

bool CKXPassDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_DESTROY) {
    edit_.Wipe();
    toolTip_.RemoveTool(edit_);
  }
  return false;
}

bool PasswordAccepted(const ConfigRecord& settings, CMVToolTip& toolTip) {
  if (!HasPassword(settings)) return true;
  CKXPassDlg prompt(settings, toolTip);
  return prompt.DoModal(nullptr) == IDOK;
}
