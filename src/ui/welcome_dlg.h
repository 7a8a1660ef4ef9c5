#pragma once
// The welcome panel, shown at start and whenever another panel closes, and
// the tip box at its bottom that tells about the Explorer context menu.
#include <windows.h>

#include <string>

#include "base/context_menu_state.h"
#include "framework/dialog.h"
#include "framework/handle.h"
#include "widgets/rp_dlg.h"

class CKXTipDlg : public kx::Dialog {
 public:
  // The tip follows menuState, which outlives the box.
  explicit CKXTipDlg(const ContextMenuState& menuState);
  ~CKXTipDlg() override;
  // Empties the text, so that the next use fetches it for the current state
  // of the context menu.
  void ClearText() { text_.clear(); }
  const std::string& Text() const { return text_; }
  // Fetches the text when empty, fits the box's height to it and puts the box
  // 5 pixels above the bottom of its parent.
  void RefreshTip();

 protected:
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void FetchText();
  void Paint(HDC dc);

  const ContextMenuState& menuState_;
  std::string text_;
  HICON icon_ = nullptr;  // shared, owned by the system library
  kx::GdiObject background_;
  kx::GdiObject frame_;
};

class CKXWelcomDlg : public CKXRPDlg {
 public:
  CKXWelcomDlg(PanelHost& host, const ContextMenuState& menuState);
  void RefreshTexts() override;
  CKXTipDlg& Tip() { return tip_; }
  void LayoutTip();

 protected:
  bool OnInit() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  CKXTipDlg tip_;
};
