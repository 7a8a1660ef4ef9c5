#pragma once
// CKXSetPassDlg: the panel that sets, changes or removes the password. Only
// the digest of a new password is kept, in the application's settings.
#include "base/config_record.h"
#include "widgets/mv_button.h"
#include "widgets/mv_edit.h"
#include "widgets/mv_static.h"
#include "widgets/rp_dlg.h"

class CKXSetPassDlg : public CKXRPDlg {
 public:
  CKXSetPassDlg(PanelHost& host, ConfigRecord& settings);
  void RefreshTexts() override;

  // The remove box as the stored state allows, both fields wiped.
  void ResetPasswordPanel();
  void UpdatePasswordPanel();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void SaveDigest(const uint8_t* digest);
  void Refuse(const char* key);
  void WipeFields();

  ConfigRecord& settings_;
  CMVStatic info_, newLabel_, confirmLabel_;
  CMVEdit new_, confirm_;
  CMVButton buttons_[3];
};
