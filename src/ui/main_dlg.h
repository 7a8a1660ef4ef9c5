#pragma once
// CKXDlg: the main window of an interactive run. On the left the task panel
// with the groups Tasks, Tools and Help; on the right one panel at a time
// (welcome, context-menu setup, password setup, language, options, about); at
// the bottom a status bar that describes the command under the mouse.
#include <windows.h>

#include <memory>
#include <string>

#include "base/config_record.h"
#include "base/context_menu_state.h"
#include "base/window_state.h"
#include "cmenu/cmenu_dlg.h"
#include "engine/delete_job.h"
#include "framework/dialog.h"
#include "framework/handle.h"
#include "lang/lang_dlg.h"
#include "ui/about_dlg.h"
#include "ui/options_dlg.h"
#include "ui/set_pass_dlg.h"
#include "ui/welcome_dlg.h"
#include "widgets/group_dialog.h"
#include "widgets/group_panel.h"
#include "widgets/rp_dlg.h"

class DeletionRunner;

// What the main window needs of the application, which outlives it.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // The list that the main window fills and hands to the runner.
  virtual DeleteJob& PendingList() = 0;
  virtual ContextMenuState& MenuState() = 0;
  // The settings that the password and options panels change and save.
  virtual ConfigRecord& Settings() = 0;
  // Starts the jobs and keeps their workers beyond the main window.
  virtual DeletionRunner& Runner() = 0;
  // Opens the help file.
  virtual void WinHelp() = 0;
};

class CKXDlg : public kx::Dialog, public PanelHost {
 public:
  explicit CKXDlg(MainWindowHost& app);
  ~CKXDlg() override;

  // PanelHost
  void ShowPanel(unsigned command) override;
  std::string CommandCaption(unsigned command) const override;
  void RefreshTexts() override;
  void RefreshTip() override;
  HWND HostWindow() const override { return hwnd_; }

  void ShowCommandInfo(unsigned command);
  void LayoutPanels();

  // The right-hand panels in the order in which the visible one is looked
  // for; a panel that this build lacks is null. A panel joins by becoming a
  // member and taking its slot in the constructor: it is then created, laid
  // out, shown by its command and refreshed with the others.
  enum Slot { kWelcome, kContextMenu, kPassword, kLanguage, kOptions, kAbout, kSlotCount };
  static unsigned SlotCommand(Slot slot);
  CKXRPDlg* Panel(Slot slot) const { return panels_[slot]; }
  CKXRPDlg* VisiblePanel() const;
  CMVGroupPanelDialog& TaskPanel() { return taskPanel_; }
  CMVGroupListDialog& Group(int position) { return groups_[position]; }
  static constexpr int kGroupCount = 3;
  HWND StatusBar() const { return status_; }
  CKXCMenuDlg& ContextMenuPanel() { return cmenu_; }
  CKXWelcomDlg& WelcomePanel() { return welcome_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void OnOK() override;

 private:
  void LoadCommandTable();
  std::string GroupCaption(int position) const;
  void RenameCommands();
  void BuildGroups();
  bool RestoreState();
  void GrowToShowGroups();
  void SaveState();
  void SetStatusText(const char* text, bool noBorders);
  void DeleteFiles();
  void DeleteFolder();
  void BatchDelete();
  // Tells the user that count chosen items have no name the engine can use.
  void TellNotHandedOver(size_t count);

  MainWindowHost& app_;
  CKXLangDlg lang_;
  WindowStateRecord state_{};
  kx::MenuHandle commands_;
  CMVGroupPanelDialog taskPanel_;
  CMVGroupListDialog groups_[kGroupCount];
  CKXWelcomDlg welcome_;
  CKXCMenuDlg cmenu_;
  CKXSetPassDlg setPass_;
  CKXOptionDlg options_;
  CKXAboutDlg about_;
  CKXRPDlg* panels_[kSlotCount] = {};
  HWND status_ = nullptr;
  unsigned shownCommand_ = 0xFFFF;
  UINT activateMessage_;
  UINT closeMessage_;
  SIZE minSize_{0, 0};
};

// Runs the main window modally; returns when it closes.
int RunMainWindow(MainWindowHost& app);
