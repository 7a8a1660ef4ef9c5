#pragma once
// The free-space wipe: the modal "Wipe Free Space" window and the worker
// thread behind it, which asks for a drive with the disk chooser, confirms it
// with its free space, fills that space (free_space_wiper.h) while the window
// shows the bytes written, with pause, resume and cancel, and closes with the
// report. It is built as the disk eraser is: the window controls the worker
// through a pause gate and a cancel flag, the worker reaches the window only
// through messages, and the window's run waits for the worker.
#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "disk/free_space_wiper.h"
#include "disk/wipe_logic.h"
#include "disk/disk_work_dlg.h"
#include "framework/com.h"

// Shows the wipe owned by the main window and returns when it and its worker
// have ended.
void RunWipeFreeSpace();

class CKXWipeDlg : public DiskWorkDlg, private WipeHost {
 public:
  explicit CKXWipeDlg(HWND parent);

  const WipeOutcome& Outcome() const { return outcome_; }
  // Runs the window modally and then waits for its worker.
  void Run();

  // The volume's letter; below 'A' (0 at the start): the worker asks.
  char driveLetter = 0;

 protected:
  bool OnInit() override;

 private:
  static DWORD WINAPI Worker(void* dialog);

  // Worker side.
  void RunWipe();
  bool BeforeBlock() override;
  void Progress(uint64_t written, uint64_t freeSpace) override;
  bool RetryAfterFailure(DWORD error) override;
  void ShowTaskbar(bool show, uint64_t done, uint64_t total);

  // Worker side: what the bar and the text show, so that only changes cross
  // to the window's thread.
  int shownPosition_ = -1;
  uint64_t shownMiB_ = ~0ull;
  std::string freeText_;
  kx::ComPtr<ITaskbarList3> taskbar_;
  bool taskbarTried_ = false;
  WipeOutcome outcome_;
};
