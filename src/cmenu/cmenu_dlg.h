#pragma once
// CKXCMenuDlg: the panel that switches the Explorer context menu on and off
// and sets the caption of its command.
#include "base/context_menu_state.h"
#include "widgets/rp_dlg.h"

// The registry side of the panel; tests put a simulated registry in place of
// the real registration, which would start regsvr32.exe or an elevated copy
// of the program.
struct ContextMenuRegistry {
  bool (*read)(ContextMenuState& state);
  bool (*apply)(ContextMenuState& state);
};

class CKXCMenuDlg : public CKXRPDlg {
 public:
  CKXCMenuDlg(PanelHost& host, ContextMenuState& state);
  void RefreshTexts() override;
  void SetRegistry(const ContextMenuRegistry& registry) { registry_ = registry; }

  // The control values from the state, then Update.
  void Load();
  // Enables the caption and OK as the state and the controls say.
  void Update();

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  ContextMenuState& state_;
  ContextMenuRegistry registry_;
};
