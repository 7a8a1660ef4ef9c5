#include "ui/deleting.h"

#include <commctrl.h>
#include <shobjidl.h>

#include <memory>
#include <new>
#include <string>

#include "base/path_utils.h"
#include "base/product.h"
#include "base/settings_store.h"
#include "engine/containment.h"
#include "engine/progress_math.h"
#include "engine/run_job.h"
#include "framework/com.h"
#include "framework/module.h"
#include "framework/system_error.h"
#include "lang/text_store.h"
#include "ui/app_icon.h"
#include "ui/delete_dlg.h"
#include "ui/deleting_ids.h"
#include "ui/prompts.h"
#include "ui/report_text.h"
#include "widgets/report_dlg.h"

namespace {

// How long the worker waits for the progress thread once it has told it to
// end. It never blocks on anything but its own modal loops, so this is only
// a bound; past it the thread object is left alive for the thread.
constexpr DWORD kProgressEndTimeout = 30000;
constexpr DWORD kCancelTimeout = 5000;
constexpr UINT kMarqueeStepMs = 50;

std::string DescribeError(uint32_t code) { return kx::SystemErrorText(code); }

}  // namespace

namespace {

// The worker thread: owns the job copy it is given.
DWORD WINAPI DeleteWorker(void* param) {
  auto* job = static_cast<DeleteJob*>(param);
  if (!job) return 0;
  {
    kx::ComScope com;
    if (CountItems(*job) > 0) RunDeletingJob(*job);
  }
  ReleaseJob(*job);
  delete job;
  ReleaseStoredTexts();
  return 0;
}

}  // namespace

bool DeletionRunner::StartDeletion(DeleteJob& pending, HWND mainWindow) {
  if (CountItems(pending) == 0) return false;
  // What the user is about to confirm is what the job will destroy, or
  // nothing: a folder swapped for a link meanwhile is refused by the job.
  TakeChosenIdentities(pending);
  CKXConfirmDlg confirm(pending, this);
  if (confirm.DoModal(mainWindow) != IDOK) return false;
  return StartWorker(pending, mainWindow);
}

void DeletionRunner::OpenBatchList(DeleteJob& pending, HWND owner) {
  RunBatchList(pending, *this, owner);
}

bool DeletionRunner::StartWorker(DeleteJob& pending, HWND mainWindow) {
  if (CountItems(pending) == 0) return false;
  // The copy is made here, before the caller can change the list again.
  auto* job = new (std::nothrow) DeleteJob;
  if (!job) return false;
  BuildJob(*job);
  // Items added after the confirmation (the batch list) are held to what
  // they are now.
  TakeChosenIdentities(pending, true);
  CopyItems(*job, pending);
  // Released by the worker when its job and progress window have ended.
  HoldStoredTexts();
  kx::Handle worker(CreateThread(nullptr, 0, DeleteWorker, job, 0, nullptr));
  if (!worker) {
    ReleaseStoredTexts();
    ReleaseJob(*job);
    delete job;
    return false;
  }
  if (mainWindow)
    Keep(std::move(worker));
  else
    kx::WaitForThread(worker.Get());
  return true;
}

void DeletionRunner::Keep(kx::Handle worker) {
  std::erase_if(workers_, [](const kx::Handle& thread) {
    return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
  });
  workers_.push_back(std::move(worker));
}

void DeletionRunner::WaitForWorkers() {
  for (kx::Handle& worker : workers_) kx::WaitForThread(worker.Get());
  workers_.clear();
}

void RunDeletingJob(DeleteJob& job) {
  auto thread = std::make_unique<CKXDeletingThread>();
  if (!thread->Usable() || !thread->CreateSuspended()) return;
  thread->Resume();
  JobReport report;
  const bool ran = thread->AttachWindow();
  if (ran) {
    ConfigRecord settings;
    LoadConfig(settings);
    ShredOptions options;
    LoadShredOptions(options);
    RunJob(job, settings, *thread, options, &report);
  }
  // Ends the window's modal loop when the user has not closed it already.
  PostThreadMessageA(thread->ThreadId(), WM_QUIT, 0, 0);
  if (!thread->WaitForExit(kProgressEndTimeout)) thread.release();
  // Also after a cancel: what was destroyed until then is gone for good,
  // and the user should know what still stands.
  if (ran) ShowReport(JobReportContent(report, DescribeError));
}

void TaskbarProgress::Set(HWND window, bool show, bool busy, uint64_t total, uint64_t done) {
  if (!taskbar_ && !unavailable_) {
    unavailable_ = FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL,
                                           IID_ITaskbarList3, taskbar_.PutVoid())) ||
                   FAILED(taskbar_->HrInit());
    if (unavailable_) taskbar_.Reset();
  }
  if (!taskbar_) return;
  taskbar_->SetProgressState(window, !show  ? TBPF_NOPROGRESS
                                     : busy ? TBPF_INDETERMINATE
                                            : TBPF_NORMAL);
  if (show && !busy) taskbar_->SetProgressValue(window, done, total);
}

CKXDeletingThread::CKXDeletingThread()
    : ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      gate_(CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}

bool CKXDeletingThread::InitInstance() {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  CKXDeletingDlg window(*this);
  window.DoModal(nullptr);
  SetMainWindow(nullptr);
  return false;
}

void CKXDeletingThread::WindowReady(HWND window) {
  SetMainWindow(window);
  SetEvent(ready_.Get());
}

void CKXDeletingThread::OpenGate(bool open) {
  if (open)
    SetEvent(gate_.Get());
  else
    ResetEvent(gate_.Get());
}

bool CKXDeletingThread::AttachWindow() {
  // The window may fail to appear (no template, no memory): then the thread
  // ends without ever setting the event, and nothing must wait for it.
  HANDLE waitFor[2] = {ready_.Get(), ThreadHandle()};
  if (WaitForMultipleObjects(2, waitFor, FALSE, INFINITE) != WAIT_OBJECT_0) return false;
  window_ = MainWindow();
  bar_ = GetDlgItem(window_, IDC_PROGRESS);
  fileLabel_ = GetDlgItem(window_, IDC_FILE_LABEL);
  folderLabel_ = GetDlgItem(window_, IDC_FOLDER_LABEL);
  return true;
}

bool CKXDeletingThread::Running() const {
  if (cancelled_) return false;
  DWORD code = 0;
  return ThreadHandle() && GetExitCodeThread(ThreadHandle(), &code) && code == STILL_ACTIVE;
}

bool CKXDeletingThread::ReportProgress(DeleteJob& job, const char* fileText,
                                       const char* folderText) {
  uint32_t now = GetTickCount();
  bool labelsDue =
      (fileText || folderText) && LabelsDue(now, job.lastLabelUpdate, job.settings.updatePeriodMs);
  if (labelsDue) job.lastLabelUpdate = now;
  if (!Running()) return false;

  if (IsWindow(bar_) && !(GetWindowLongA(bar_, GWL_STYLE) & PBS_MARQUEE)) {
    BarScale scale = ScaleProgress(job.totalBytes, job.doneBytes);
    // Every message here crosses to the progress thread: only changes go.
    if (scale.range != barRange_ || shownPosition_ == UINT32_MAX) {
      barRange_ = scale.range;
      SendMessageA(bar_, PBM_SETRANGE, 0, MAKELPARAM(0, scale.range));
    }
    uint32_t position = (static_cast<uint32_t>(scale.range) << 16) | scale.position;
    if (position != shownPosition_) {
      shownPosition_ = position;
      SendMessageA(bar_, PBM_SETPOS, scale.position, 0);
      if (IsWindow(window_)) taskbar_.Set(window_, true, false, job.totalBytes, job.doneBytes);
    }
  }
  if (labelsDue) {
    if (fileText && IsWindow(fileLabel_)) SetWindowTextA(fileLabel_, fileText);
    if (folderText && IsWindow(folderLabel_)) SetWindowTextA(folderLabel_, folderText);
  }

  // Paused, or the cancel question is open: stay here until the window lets
  // the job go on, or goes away.
  if (WaitForSingleObject(gate_.Get(), 0) != WAIT_OBJECT_0) {
    HANDLE waitFor[2] = {gate_.Get(), ThreadHandle()};
    WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
  }
  return Running();
}

int CKXDeletingThread::ErrorPrompt(DeleteJob& job, const char* messageKey, const char* path,
                                   uint32_t errorCode) {
  if (!Running()) return kAnswerCancel;
  const char* ownReason = OwnReasonKey(errorCode);
  CKXMsgDlg prompt(LangText(messageKey ? messageKey : ""), PathName(path ? path : ""),
                   ownReason ? std::string(LangText(ownReason)) : kx::SystemErrorText(errorCode));
  INT_PTR answer = prompt.DoModal(IsWindow(window_) ? window_ : nullptr);
  return answer == -1 ? kAnswerCancel : static_cast<int>(answer);
}

void CKXDeletingThread::SetBusy(DeleteJob& job, bool busy) {
  if (!Running() || !IsWindow(bar_)) return;
  LONG style = GetWindowLongA(bar_, GWL_STYLE);
  SetWindowLongA(bar_, GWL_STYLE, busy ? (style | PBS_MARQUEE) : (style & ~PBS_MARQUEE));
  SendMessageA(bar_, PBM_SETMARQUEE, busy ? TRUE : FALSE, kMarqueeStepMs);
  shownPosition_ = UINT32_MAX;
  if (IsWindow(window_)) taskbar_.Set(window_, busy, busy, 0, 0);
}

void CKXDeletingThread::Cancel(DeleteJob& job) {
  bool wasRunning = Running();
  cancelled_ = true;
  if (!wasRunning) return;
  PostThreadMessageA(ThreadId(), WM_QUIT, 0, 0);
  WaitForExit(kCancelTimeout);
}

CKXDeletingDlg::CKXDeletingDlg(CKXDeletingThread& thread) : Dialog(IDD_DELETING), thread_(thread) {}

bool CKXDeletingDlg::OnInit() {
  HINSTANCE module = kx::ModuleInstance();
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadAppIcon(GetSystemMetrics(SM_CXICON))));
  Send(WM_SETICON, ICON_SMALL,
       reinterpret_cast<LPARAM>(LoadAppIcon(GetSystemMetrics(SM_CXSMICON))));
  SetCaption("Deleting");
  SetItemText(IDCANCEL, LangText("Cancel"));
  SetItemText(IDC_PAUSE, LangText("Pause"));
  // The worker fills the labels with its first report.
  SetItemText(IDC_FILE_LABEL, "");
  SetItemText(IDC_FOLDER_LABEL, "");
  SendItem(IDC_ANIMATION, ACM_OPENA, reinterpret_cast<WPARAM>(module),
           reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_SHRED_AVI)));
  thread_.WindowReady(hwnd_);
  return true;
}

bool CKXDeletingDlg::OnCommand(int id, int code, HWND control) {
  if (id != IDC_PAUSE || code != BN_CLICKED) return false;
  TogglePause();
  return true;
}

void CKXDeletingDlg::TogglePause() {
  paused_ = !paused_;
  thread_.OpenGate(!paused_ && !asking_);
  SetItemText(IDC_PAUSE, LangText(paused_ ? "Resume" : "Pause"));
  SetCaption(paused_ ? "Paused" : "Deleting");
  SendItem(IDC_PROGRESS, PBM_SETSTATE, paused_ ? PBST_PAUSED : PBST_NORMAL);
  if (paused_)
    SendItem(IDC_ANIMATION, ACM_STOP);
  else
    SendItem(IDC_ANIMATION, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
}

void CKXDeletingDlg::OnCancel() {
  if (asking_) return;
  asking_ = true;
  thread_.OpenGate(false);
  int answer = MessageBoxA(hwnd_, LangText("AskCancel"), kProductName, MB_YESNO | MB_ICONQUESTION);
  asking_ = false;
  if (answer != IDYES) {
    thread_.OpenGate(!paused_);
    return;
  }
  thread_.MarkCancelled();
  thread_.OpenGate(true);
  EndModal(IDCANCEL);
}

void CKXDeletingDlg::SetCaption(const char* key) {
  std::string caption = std::string(LangText(key)) + " - " + kProductName;
  SetText(caption.c_str());
}
