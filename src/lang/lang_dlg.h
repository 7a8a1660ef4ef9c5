#pragma once
// CKXLangDlg: the panel that lists the built-in English and the language
// files of the Lang folder and switches the whole program to the chosen one.
#include "widgets/rp_dlg.h"

struct LangFileInfo;

class CKXLangDlg : public CKXRPDlg {
 public:
  explicit CKXLangDlg(PanelHost& host);
  void RefreshTexts() override;

  // Rescans the folder and lists its languages, the active one selected.
  void FillList();
  // OK only while the selection names another language than the active one.
  void UpdateApplyButton();
  void ApplyLanguage();

 protected:
  bool OnInit() override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  const LangFileInfo* SelectedEntry() const;
  void FitColumn();
};
