#pragma once
// What the application gives the main window, as a test's own: a pending
// list, default settings, a context-menu state and a deletion runner.
#include "base/config_record.h"
#include "base/context_menu_state.h"
#include "engine/delete_job.h"
#include "ui/deleting.h"
#include "ui/main_dlg.h"

namespace kxtest {

class WindowHost : public MainWindowHost {
 public:
  WindowHost() {
    BuildJob(pending_);
    ResetConfig(settings_);
  }
  ~WindowHost() override { ReleaseJob(pending_); }
  DeleteJob& PendingList() override { return pending_; }
  ContextMenuState& MenuState() override { return menuState_; }
  ConfigRecord& Settings() override { return settings_; }
  DeletionRunner& Runner() override { return runner_; }
  void WinHelp() override {}

 private:
  DeleteJob pending_;
  ConfigRecord settings_{};
  ContextMenuState menuState_{};
  DeletionRunner runner_;
};

}  // namespace kxtest
