#pragma once
// The window side of a disk task that a worker thread carries out (the disk
// eraser, the free-space wipe). Pause and Resume, and Cancel while its
// question is open, hold the worker at its next block through the pause gate;
// the worker reaches the window only through messages, and its end closes it.
// However the window goes, a worker held at the gate is let go and sees that
// it should stop.
#include <windows.h>

#include <atomic>

#include "engine/pause_gate.h"
#include "framework/dialog.h"
#include "framework/handle.h"

class DiskWorkDlg : public kx::Dialog {
 public:
  HWND Parent() const { return parent_; }

 protected:
  // pauseButton: the Pause/Resume button; bar: the progress bar it marks paused.
  DiskWorkDlg(UINT templateId, HWND parent, int pauseButton, int bar);

  // Window side, in OnInit: starts worker(param); when it cannot be started
  // the window ends at once.
  void StartWorker(LPTHREAD_START_ROUTINE worker, void* param);
  // After the window has gone: waits for the worker.
  void WaitForWorker();

  // Worker side: true while the window is there and the task not cancelled.
  bool WindowAlive() const { return !cancelled_ && ::IsWindow(window_.load()); }
  // Worker side, last: the window ends.
  void WorkerDone();
  // Worker side, before every block: waits while paused or asking.
  void PassGate() { gate_.Pass(); }

  bool OnCommand(int id, int code, HWND control) override;
  void OnCancel() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  HWND parent_;
  std::atomic<HWND> window_{nullptr};
  std::atomic<bool> cancelled_{false};

 private:
  void TogglePause();
  bool WorkerRunning() const;

  int pauseButton_;
  int bar_;
  PauseGate gate_;
  kx::Handle workerThread_;
  bool workerDone_ = false;
  bool paused_ = false;
  bool asking_ = false;
};
