#pragma once
// The application object: decides from the command line which kind of run
// this is (hand-off, registration, interactive) and runs it to the end. It
// owns the pending list, the context-menu state and the runner of the jobs
// for the life of the process.
#include <windows.h>

#include <cstdint>

#include "base/config_record.h"
#include "base/context_menu_state.h"
#include "engine/delete_job.h"
#include "ui/deleting.h"
#include "ui/main_dlg.h"
#include "widgets/mv_tooltip.h"

class CKXApp : public MainWindowHost {
 public:
  CKXApp();
  ~CKXApp() override;
  CKXApp(const CKXApp&) = delete;
  CKXApp& operator=(const CKXApp&) = delete;

  // The whole program; the process ends when it returns.
  void InitInstance(HINSTANCE instance);
  void ExitInstance();
  // The process's exit code: that of a registration run, else 0.
  int ExitCode() const { return exitCode_; }

  // MainWindowHost
  DeleteJob& PendingList() override { return pending_; }
  ContextMenuState& MenuState() override { return menuState_; }
  ConfigRecord& Settings() override { return settings_; }
  DeletionRunner& Runner() override { return runner_; }
  // Opens "KXHelp.chm" beside the program through the shell.
  void WinHelp() override;

  // The registered messages of the single-instance protocol.
  static UINT ActivateMessage();
  static UINT CloseMessage();

 private:
  bool HandleRegistrationSwitches(const char* commandLine);
  void ApplyRegistration();
  void ReleaseInstanceMutex();
  void LoadStartupState();
  void TellPassedOver(uint64_t count);
  void RunInteractive();

  // The one tooltip window; the password prompt shows its warning in it.
  CMVToolTip toolTip_;
  HANDLE mutex_ = nullptr;
  int exitCode_ = 0;
  DeleteJob pending_;
  ConfigRecord settings_;
  ContextMenuState menuState_;
  // Last, so that it is destroyed first: it waits for the jobs it keeps.
  DeletionRunner runner_;
};

// The one application object of the process.
CKXApp& TheApp();
