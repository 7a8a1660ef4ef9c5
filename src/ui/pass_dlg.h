#pragma once
// CKXPassDlg: the prompt that every interactive and hand-off start shows
// while a password is set, before anything else is shown or destroyed. Three
// wrong passwords end it as Cancel does.
#include "base/config_record.h"
#include "framework/dialog.h"
#include "widgets/mv_edit.h"
#include "widgets/mv_static.h"
#include "widgets/mv_tooltip.h"

constexpr int kPasswordTries = 3;

class CKXPassDlg : public kx::Dialog {
 public:
  // The balloon of a wrong password is shown in toolTip; settings holds the
  // digest to compare with. Both outlive the prompt.
  CKXPassDlg(const ConfigRecord& settings, CMVToolTip& toolTip);
  ~CKXPassDlg() override;

  int WrongTries() const { return tries_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void OnOK() override;

 private:
  const ConfigRecord& settings_;
  CMVToolTip& toolTip_;
  CMVEdit edit_;
  int tries_ = 0;
};

// The check of a start: true when no password is set or the right one was
// typed; false for Cancel, Esc, the close box, three wrong passwords or a
// prompt that could not be shown.
bool PasswordAccepted(const ConfigRecord& settings, CMVToolTip& toolTip);
