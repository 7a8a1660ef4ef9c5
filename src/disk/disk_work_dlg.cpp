#include "disk/disk_work_dlg.h"

#include <commctrl.h>

#include "framework/ui_thread.h"
#include "lang/text_store.h"

namespace {

// Sent by the worker when it is done: the window ends without asking.
constexpr UINT kWorkerDone = WM_APP + 1;

}  // namespace

DiskWorkDlg::DiskWorkDlg(UINT templateId, HWND parent, int pauseButton, int bar)
    : Dialog(templateId), parent_(parent), pauseButton_(pauseButton), bar_(bar) {}

void DiskWorkDlg::StartWorker(LPTHREAD_START_ROUTINE worker, void* param) {
  if (gate_.Usable())
    workerThread_.Reset(CreateThread(nullptr, 0, worker, param, CREATE_SUSPENDED, nullptr));
  if (!workerThread_) {
    EndModal(IDCANCEL);
    return;
  }
  ResumeThread(workerThread_.Get());
}

void DiskWorkDlg::WaitForWorker() {
  if (!workerThread_) return;
  kx::WaitForThread(workerThread_.Get());
  workerThread_.Reset();
}

void DiskWorkDlg::WorkerDone() {
  if (WindowAlive()) PostMessageA(window_.load(), kWorkerDone, 0, 0);
}

bool DiskWorkDlg::OnCommand(int id, int code, HWND control) {
  if (id != pauseButton_ || code != BN_CLICKED) return false;
  TogglePause();
  return true;
}

void DiskWorkDlg::TogglePause() {
  if (!WorkerRunning()) return;
  paused_ = !paused_;
  gate_.Set(!paused_ && !asking_);
  SetItemText(pauseButton_, LangText(paused_ ? "Resume" : "Pause", "Global"));
  SendItem(bar_, PBM_SETSTATE, paused_ ? PBST_PAUSED : PBST_NORMAL);
}

bool DiskWorkDlg::WorkerRunning() const {
  DWORD code = 0;
  return !workerDone_ && workerThread_ && GetExitCodeThread(workerThread_.Get(), &code) &&
         code == STILL_ACTIVE;
}

// The worker holds still at its next block while the question is open; Yes
// lets it go on only to notice the cancel and stop.
void DiskWorkDlg::OnCancel() {
  if (asking_) return;
  if (WorkerRunning()) {
    asking_ = true;
    gate_.Set(false);
    int answer = MessageBoxA(hwnd_, LangText("AskCancel", "Global"), LangText("Name", "Global"),
                             MB_YESNO | MB_ICONQUESTION);
    asking_ = false;
    if (answer != IDYES) {
      gate_.Set(!paused_);
      return;
    }
  }
  cancelled_ = true;
  gate_.Set(true);
  EndModal(IDCANCEL);
}

bool DiskWorkDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case kWorkerDone:
      workerDone_ = true;
      EndModal(IDCANCEL);
      return true;
    case WM_DESTROY:
      cancelled_ = true;
      gate_.Set(true);
      return false;
    default:
      return false;
  }
}
