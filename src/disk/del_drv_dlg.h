#pragma once
// The disk eraser: the modal "Erase Disk" dialog, CKXDelDrvDlg, and the worker
// thread that leads through its five steps: choose a disk, open, lock and
// measure its volume, confirm, overwrite it from the first byte to the last,
// and hand it to the shell's format dialog.
//
// The dialog controls the worker through a pause gate (closed while paused or
// while the cancel question is open) and a cancel flag, which the worker reads
// before every block; the worker reaches the dialog only through messages.
// The dialog object outlives the worker: its run waits for the thread.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "disk/disk_logic.h"
#include "disk/disk_work_dlg.h"
#include "disk/volume_eraser.h"
#include "framework/handle.h"

// Shows the eraser owned by the main window and returns when it and its
// worker have ended. Always true.
bool RunEraseDisk();

// The disk text: "[NO DISK SELECTED]" before a letter is known, then the
// letter, the shell's display name and, once measured (size > 0), the size.
std::string DescribeDrive(char letter, uint64_t size = 0);
// The Err message with the system's text for the code, captioned Title; OK
// only, or Retry and Cancel. Answers the pressed button (IDRETRY: Retry).
int ShowEraseError(DWORD code, HWND owner, bool okOnly);

class CKXDelDrvDlg;
// The worker thread's procedure; its parameter is the dialog. Returns 0.
DWORD WINAPI EraseWorker(void* dialog);
// The worker's last word: tells the dialog, while it is still a window, that
// the worker is done and the dialog should end.
void CloseEraseDialog(CKXDelDrvDlg& dialog);
// Runs the dialog modally and then waits for its worker, handling messages
// meanwhile, as RunEraseDisk does with its own.
void RunEraseDialog(CKXDelDrvDlg& dialog);

class CKXDelDrvDlg : public DiskWorkDlg, private EraseHost {
 public:
  // The shell's format call; tests put a recorder in its place, since the
  // shell's dialog does not appear everywhere.
  using FormatDriveFn = DWORD(WINAPI*)(HWND owner, UINT drive, UINT formatId, UINT options);

  explicit CKXDelDrvDlg(HWND parent);

  int CurrentStep() const { return currentStep_.load(); }
  // How the overwrite ended; Failed with error 0 until it has run.
  const EraseOutcome& Outcome() const { return outcome_; }
  void SetFormatDrive(FormatDriveFn format) { format_ = format; }
  void SetVolumeControl(RawVolume::ControlFn control) { control_ = control; }

  // The volume's letter; below 'A' (0 at the start): the worker asks.
  char driveLetter = 0;

 protected:
  bool OnInit() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  friend DWORD WINAPI EraseWorker(void* dialog);
  friend void CloseEraseDialog(CKXDelDrvDlg& dialog);
  friend void RunEraseDialog(CKXDelDrvDlg& dialog);

  // Worker side.
  void RunSteps();
  void EraseVolume(RawVolume& volume, uint64_t size);
  void FormatVolume();
  void SetStep(int step);
  void SetDiskText(const std::string& text);
  bool BeforeBlock() override;
  void Progress(uint64_t done, uint64_t total) override;
  bool RetryAfterFailure(DWORD error, bool flush) override;

  // Dialog side.
  void Paint(HDC dc);
  RECT StepArea() const;

  std::string stepNames[5];
  kx::IconHandle doneIcon;
  kx::IconHandle currentIcon;
  std::atomic<int> currentStep_{0};
  FormatDriveFn format_ = nullptr;
  RawVolume::ControlFn control_ = nullptr;
  // Worker side: the bar's handle and what it shows, so that only changes
  // cross to the dialog's thread.
  HWND bar_ = nullptr;
  int shownPosition_ = -1;
  EraseOutcome outcome_;
  EraseSummary report_;
};
