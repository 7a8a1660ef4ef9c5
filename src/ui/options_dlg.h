#pragma once
// CKXOptionDlg: the panel of the advanced options (refresh period of the
// progress windows, fill pattern or random fill, skipping errors by default,
// reading back what was written). Everything
// but its first check box stays hidden until that box is ticked.
#include "base/config_record.h"
#include "ui/options_logic.h"
#include "widgets/mv_button.h"
#include "widgets/mv_combo_box.h"
#include "widgets/mv_edit.h"
#include "widgets/mv_spin_button.h"
#include "widgets/mv_static.h"
#include "widgets/rp_dlg.h"

class CKXOptionDlg : public CKXRPDlg {
 public:
  CKXOptionDlg(PanelHost& host, ConfigRecord& settings);
  void RefreshTexts() override;

  // The controls from the settings.
  void LoadOptions();
  // What shows, and whether OK may be pressed.
  void UpdateOptionsState();
  OptionsView View() const;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void SetAnchors();

  ConfigRecord& settings_;
  // Kept beside the record, which earlier versions read on their own.
  ShredOptions options_ = {};
  CMVStatic periodInfo_, fillInfo_;
  CMVEdit period_, custom_;
  CMVSpinButtonCtrl spin_;
  CMVComboBox fill_;
  CMVButton buttons_[7];
};
