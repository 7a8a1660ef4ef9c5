#pragma once
// CKXRPDlg: the base of the right-hand panels of the main window. It draws
// the panel's bold title with a shaded separator line under it, paints the
// panel white, re-aligns the anchored controls when the panel is resized and
// hands the focus to the first control that takes it.
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/handle.h"
#include "lang/text_store.h"  // LangText, for the panels

// What a panel needs of the main window.
class PanelHost {
 public:
  virtual ~PanelHost() = default;
  // 0 for the welcome panel, else the command of a panel; others are ignored.
  virtual void ShowPanel(unsigned command) = 0;
  // The caption of a command in the command table, "" when unknown.
  virtual std::string CommandCaption(unsigned command) const = 0;
  // Every text of the window and its panels, after a language change.
  virtual void RefreshTexts() = 0;
  // The welcome panel's tip, after the context-menu state changed.
  virtual void RefreshTip() = 0;
  virtual HWND HostWindow() const = 0;
};

class CKXRPDlg : public kx::Dialog {
 public:
  CKXRPDlg(UINT templateId, PanelHost& host);
  ~CKXRPDlg() override;

  void SetTitle(const char* title);
  const std::string& Title() const { return title_; }
  // The title from a command's caption, with every lower-case letter after a
  // blank made upper-case.
  void SetTitleFromCommand(unsigned command);
  // Sets the panel's texts in the active language.
  virtual void RefreshTexts() {}

  static constexpr int kMargin = 10;
  int TitleHeight() const { return titleHeight_; }

 protected:
  bool OnInit() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  PanelHost& Host() const { return host_; }
  // The white brush of the panels.
  static HBRUSH PanelBrush();

 private:
  void PaintTitle(HDC dc);

  PanelHost& host_;
  std::string title_;
  kx::GdiObject titleFont_;
  int titleHeight_ = 13;
};

// The multibyte-aware form of the title rule, for the system's code page.
void CapitaliseTitle(std::string& title);
