#include "disk/wipe_dlg.h"

#include <commctrl.h>

#include <memory>

#include "base/path_utils.h"
#include "base/size_text.h"
#include "disk/del_drv_dlg.h"
#include "disk/disk_ids.h"
#include "disk/drv_dlg.h"
#include "disk/saved_fill.h"
#include "engine/delete_job.h"
#include "engine/job_report.h"
#include "engine/progress_math.h"
#include "framework/module.h"
#include "framework/system_error.h"
#include "framework/ui_thread.h"
#include "lang/text_store.h"
#include "widgets/report_dlg.h"

namespace {

constexpr uint64_t kMiB = 1u << 20;

const char* WipeText(const char* key) { return LangText(key, "WipeFree"); }

// The system's words for the failure, under the wipe's caption; Retry and
// Cancel. Answers the pressed button.
int ShowWipeError(DWORD code, HWND owner) {
  const char* own = OwnReasonKey(code);
  std::string text = FormatWithArgs(LangText("Err", "EraseDisk"),
                                    own ? LangText(own) : kx::SystemErrorText(code).c_str());
  return MessageBoxA(owner, text.c_str(), WipeText("Title"), MB_ICONHAND | MB_RETRYCANCEL);
}

std::string SizeText(uint64_t bytes) {
  char text[100] = {};
  FormatSize(static_cast<int64_t>(bytes), text, sizeof text);
  return text;
}

}  // namespace

void RunWipeFreeSpace() {
  auto dialog = std::make_unique<CKXWipeDlg>(kx::AppMainWindow());
  dialog->Run();
}

CKXWipeDlg::CKXWipeDlg(HWND parent)
    : DiskWorkDlg(IDD_WIPE_FREE, parent, IDC_ERASE_PAUSE, IDC_ERASE_PROGRESS) {}

void CKXWipeDlg::Run() {
  DoModal(parent_);
  WaitForWorker();
}

DWORD WINAPI CKXWipeDlg::Worker(void* param) {
  auto* dialog = static_cast<CKXWipeDlg*>(param);
  {
    kx::ComScope com;
    dialog->RunWipe();
    dialog->taskbar_.Reset();
  }
  dialog->WorkerDone();
  return 0;
}

// --- Window side -------------------------------------------------------------

bool CKXWipeDlg::OnInit() {
  window_ = hwnd_;
  if (parent_) {
    for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
      LRESULT icon = SendMessageA(parent_, WM_GETICON, which, 0);
      if (icon) Send(WM_SETICON, which, icon);
    }
  }
  SetText(WipeText("Title"));
  SetItemText(IDC_DISK_GROUP, LangText("InfoTitle", "EraseDisk"));
  SetItemText(IDC_DISK_TEXT, LangText("NoDisk", "EraseDisk"));
  SetItemText(IDC_WIPE_STATUS, "");
  SetItemText(IDCANCEL, LangText("Cancel", "Global"));
  SetItemText(IDC_ERASE_PAUSE, LangText("Pause", "Global"));
  StartWorker(Worker, this);
  return true;
}

// --- Worker side -------------------------------------------------------------

void CKXWipeDlg::RunWipe() {
  if (!WindowAlive()) return;
  HWND window = window_.load();
  if (driveLetter < 'A') {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&classes);
    CKXDrvDlg chooser;
    chooser.skipSystemDrive = false;
    chooser.onlyLocalDisks = true;
    chooser.DoModal(window);
    driveLetter = chooser.selectedDrive;
    if (driveLetter < 'A' || !WindowAlive()) return;
  }
  WipeVolume volume;
  while (!MeasureWipeVolume(driveLetter, volume)) {
    if (ShowWipeError(GetLastError(), window) != IDRETRY) return;
  }
  const std::string drive = OneLine(DescribeDrive(driveLetter));
  freeText_ = SizeText(volume.freeSpace);
  const std::string driveText = FormatWithArgs(WipeText("Drive"), drive.c_str(), freeText_.c_str());
  SetDlgItemTextA(window, IDC_DISK_TEXT, driveText.c_str());
  std::string question = FormatWithArgs(WipeText("Confirm"), drive.c_str(), freeText_.c_str());
  if (MessageBoxA(window, question.c_str(), WipeText("Title"), MB_ICONQUESTION | MB_YESNO) != IDYES)
    return;
  if (!WindowAlive()) return;

  SavedFill fill;
  JobReport fillOf;
  fillOf.SetFill(fill.Settings(), fill.Options());
  WipeSummary summary;
  summary.volume = drive;
  summary.freeSpace = volume.freeSpace;
  summary.fill = fillOf.fill;
  summary.pattern = fillOf.pattern;
  SendDlgItemMessageA(window, IDC_ERASE_PROGRESS, PBM_SETRANGE, 0,
                      MAKELPARAM(0, ScaleProgress(volume.freeSpace, 0).range));
  Progress(0, volume.freeSpace);
  const ULONGLONG start = GetTickCount64();
  outcome_ = WipeFreeSpace(volume, fill.Fill(), *this);
  summary.elapsedMs = GetTickCount64() - start;
  ShowTaskbar(false, 0, 0);
  summary.written = outcome_.written;
  summary.filesMade = outcome_.filesMade;
  summary.filesRemoved = outcome_.filesRemoved;
  summary.folderRemoved = outcome_.folderRemoved;
  summary.end = outcome_.result == WipeResult::Wiped       ? WipeSummary::End::kWiped
                : outcome_.result == WipeResult::Cancelled ? WipeSummary::End::kStopped
                                                           : WipeSummary::End::kFailed;
  ShowReport(WipeReportContent(summary), WindowAlive() ? window : parent_);
}

bool CKXWipeDlg::BeforeBlock() {
  PassGate();
  return WindowAlive();
}

void CKXWipeDlg::Progress(uint64_t written, uint64_t freeSpace) {
  const uint64_t shown = written < freeSpace ? written : freeSpace;
  BarScale scale = ScaleProgress(freeSpace, shown);
  HWND window = window_.load();
  // Every message crosses to the window's thread: only changes go.
  if (scale.position != shownPosition_) {
    shownPosition_ = scale.position;
    SendDlgItemMessageA(window, IDC_ERASE_PROGRESS, PBM_SETPOS, scale.position, 0);
    ShowTaskbar(true, shown, freeSpace);
  }
  if (written / kMiB != shownMiB_) {
    shownMiB_ = written / kMiB;
    // The free space is a measure of the start: where more could be
    // written (a volume that freed space meanwhile), the total grows with it.
    const std::string done = SizeText(written);
    const std::string text = FormatWithArgs(WipeText("Written"), done.c_str(),
                                            written > freeSpace ? done.c_str() : freeText_.c_str());
    SetDlgItemTextA(window, IDC_WIPE_STATUS, text.c_str());
  }
}

bool CKXWipeDlg::RetryAfterFailure(DWORD error) {
  if (!WindowAlive()) return false;
  return ShowWipeError(error, window_.load()) == IDRETRY;
}

// The main window's taskbar button shows how far the wipe came.
void CKXWipeDlg::ShowTaskbar(bool show, uint64_t done, uint64_t total) {
  if (!parent_) return;
  if (!taskbar_ && !taskbarTried_) {
    taskbarTried_ = true;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                taskbar_.PutVoid())) ||
        FAILED(taskbar_->HrInit()))
      taskbar_.Reset();
  }
  if (!taskbar_) return;
  taskbar_->SetProgressState(parent_, show ? TBPF_NORMAL : TBPF_NOPROGRESS);
  if (show) taskbar_->SetProgressValue(parent_, done, total);
}
