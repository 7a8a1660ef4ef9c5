#pragma once
// Running a deletion: every job has a worker thread, which walks and destroys
// the tree, and a progress thread, which shows the progress window. The
// worker talks to the window through the job's host (CKXDeletingThread); the
// window controls the worker through two events only, so that neither thread
// ever waits for the other while holding anything:
//   - the pause gate (manual reset, set while the worker may go on): Pause
//     and the cancel question close it, and the worker stops at its next
//     progress report, that is after at most one chunk;
//   - the end of the progress thread: Cancel answered Yes closes the window,
//     and every later report answers false.
#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/delete_job.h"
#include "framework/com.h"
#include "framework/dialog.h"
#include "framework/handle.h"
#include "framework/ui_thread.h"
#include "ui/prompts.h"

// Starts the worker threads of jobs and keeps those that outlive the call.
// The application owns one; tests make their own and join their workers.
class DeletionRunner : public BatchOpener {
 public:
  DeletionRunner() = default;
  // Lets every kept job finish: a job is never cut off halfway through a file.
  ~DeletionRunner() override { WaitForWorkers(); }
  DeletionRunner(const DeletionRunner&) = delete;
  DeletionRunner& operator=(const DeletionRunner&) = delete;

  // Confirms the pending list (CKXConfirmDlg owned by mainWindow) and on OK
  // starts the worker. False when the list is empty, the user declined, or
  // the worker cannot be started. With a main window it returns at once and
  // the worker is kept; without one (the hand-off run) it returns when the
  // job has ended.
  bool StartDeletion(DeleteJob& pending, HWND mainWindow);
  // Starts a worker on a copy of the pending list, without confirmation; the
  // list is free for the caller again when this returns. Waits as above.
  bool StartWorker(DeleteJob& pending, HWND mainWindow);
  // Waits for every kept worker; their progress windows stay open and can
  // still be paused or cancelled meanwhile.
  void WaitForWorkers();
  // More... of the confirmation: the batch list, whose Start comes back here.
  void OpenBatchList(DeleteJob& pending, HWND owner) override;

 private:
  void Keep(kx::Handle worker);

  std::vector<kx::Handle> workers_;
};

// Runs one job on the calling (worker) thread: progress window, settings,
// preparation and deletion. Returns when the job has ended or was cancelled.
void RunDeletingJob(DeleteJob& job);

// Mirrors a job's state on its window's taskbar button; does nothing where the
// taskbar offers no progress. One per job, used on the worker thread (which
// has COM): the shell's object is made once, as making it costs more than a
// chunk of writing.
class TaskbarProgress {
 public:
  void Set(HWND window, bool show, bool busy, uint64_t total, uint64_t done);

 private:
  kx::ComPtr<ITaskbarList3> taskbar_;
  bool unavailable_ = false;
};

// The progress thread of one job, and the job's host: the JobHost calls come
// from the worker thread, the window calls from the progress thread.
class CKXDeletingThread : public kx::UiThread, public JobHost {
 public:
  CKXDeletingThread();
  // False when the events could not be made; the thread must not be started.
  bool Usable() const { return ready_ && gate_; }
  // Worker: waits until the window exists and takes its controls' handles.
  // False when the progress thread ended without a window.
  bool AttachWindow();
  // True while the progress thread runs and the job has not been cancelled.
  bool Running() const;

  bool ReportProgress(DeleteJob& job, const char* fileText, const char* folderText) override;
  int ErrorPrompt(DeleteJob& job, const char* messageKey, const char* path,
                  uint32_t errorCode) override;
  void SetBusy(DeleteJob& job, bool busy) override;
  void Cancel(DeleteJob& job) override;

  // Progress window side.
  void WindowReady(HWND window);
  void OpenGate(bool open);
  void MarkCancelled() { cancelled_ = true; }

 protected:
  bool InitInstance() override;

 private:
  kx::Handle ready_;
  kx::Handle gate_;
  std::atomic<bool> cancelled_{false};
  // Worker side, valid after AttachWindow.
  HWND window_ = nullptr;
  HWND bar_ = nullptr;
  HWND fileLabel_ = nullptr;
  HWND folderLabel_ = nullptr;
  // What the bar and the taskbar show now, so that only changes are sent.
  uint16_t barRange_ = 0;
  uint32_t shownPosition_ = UINT32_MAX;
  TaskbarProgress taskbar_;
};

// The progress window: animation, file and folder labels, bar, Pause and
// Cancel. Lives on the progress thread.
class CKXDeletingDlg : public kx::Dialog {
 public:
  explicit CKXDeletingDlg(CKXDeletingThread& thread);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  // Cancel, Esc and the close box: asks first.
  void OnCancel() override;

 private:
  void TogglePause();
  void SetCaption(const char* key);

  CKXDeletingThread& thread_;
  bool paused_ = false;
  bool asking_ = false;
};
