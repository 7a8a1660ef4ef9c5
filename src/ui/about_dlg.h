#pragma once
// The about panel: product name, version, maker, web address and legal
// notice.
#include "framework/handle.h"
#include "widgets/rp_dlg.h"

// The maker's web site: the about panel's link and the Help group's Web
// command open it.
constexpr char kWebAddress[] = "https://karvex.example/";

class CKXAboutDlg : public CKXRPDlg {
 public:
  explicit CKXAboutDlg(PanelHost& host);
  ~CKXAboutDlg() override;
  void RefreshTexts() override;  // RefreshAbout

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  kx::GdiObject nameFont_;
};
