#include "disk/del_drv_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <new>

#include "base/path_utils.h"
#include "base/settings_store.h"
#include "base/size_text.h"
#include "disk/disk_ids.h"
#include "disk/disk_logic.h"
#include "disk/drv_dlg.h"
#include "disk/raw_volume.h"
#include "disk/saved_fill.h"
#include "disk/volume_guard.h"
#include "engine/delete_job.h"
#include "engine/fill_buffer.h"
#include "engine/progress_math.h"
#include "engine/random_fill.h"
#include "framework/com.h"
#include "framework/module.h"
#include "framework/system_error.h"
#include "framework/ui_thread.h"
#include "lang/text_store.h"
#include "widgets/report_dlg.h"

namespace {

constexpr UINT kFormatDefault = 0xFFFF;  // SHFMT_ID_DEFAULT
constexpr int kStepGap = 10;
constexpr int kStepLeft = 20;
constexpr int kStepTextLeft = 40;
constexpr int kIconSize = 16;

// Texts of this dialog live in their own section.
const char* EraseText(const char* key) { return LangText(key, "EraseDisk"); }

// The shell's format dialog, looked up by name so that a shell without it
// leaves the step out.
DWORD WINAPI ShellFormatDrive(HWND owner, UINT drive, UINT formatId, UINT options) {
  HMODULE shell = GetModuleHandleA("Shell32.dll");
  auto format = reinterpret_cast<CKXDelDrvDlg::FormatDriveFn>(
      reinterpret_cast<void*>(shell ? GetProcAddress(shell, "SHFormatDrive") : nullptr));
  return format ? format(owner, drive, formatId, options) : 0;
}

// The drive may not be erased whatever chose it, and a letter can be made to
// name another volume at any time: asked afresh right before every opening.
// Answers whether the drive may be opened; a refusal is shown with its reason.
bool MayErase(char letter, HWND owner) {
  const char* key = GuardTextKey(GuardOf(letter, FindGuardedVolumes()));
  if (!key) return true;
  const char drive[] = {letter, ':', '\0'};
  std::string text = FormatWithArgs(EraseText(key), drive);
  MessageBoxA(owner, text.c_str(), EraseText("Title"), MB_ICONHAND | MB_OK);
  return false;
}

}  // namespace

bool RunEraseDisk() {
  auto dialog = std::make_unique<CKXDelDrvDlg>(kx::AppMainWindow());
  dialog->driveLetter = 0;
  RunEraseDialog(*dialog);
  return true;
}

void RunEraseDialog(CKXDelDrvDlg& dialog) {
  dialog.DoModal(dialog.Parent());
  dialog.WaitForWorker();
}

std::string DescribeDrive(char letter, uint64_t size) {
  const char* noDisk = EraseText("NoDisk");
  if (letter < 'A') return DriveText(letter, nullptr, nullptr, noDisk);
  const char root[] = {letter, ':', '\\', '\0'};
  SHFILEINFOA info{};
  bool named = SHGetFileInfoA(root, 0, &info, sizeof info, SHGFI_DISPLAYNAME) != 0;
  char sizeText[100] = {};
  if (size > 0) FormatSize(static_cast<int64_t>(size), sizeText, sizeof sizeText);
  return DriveText(letter, named ? info.szDisplayName : nullptr, sizeText, noDisk);
}

int ShowEraseError(DWORD code, HWND owner, bool okOnly) {
  // A block that read back wrong has the engine's own reason, not the system's.
  const char* own = OwnReasonKey(code);
  std::string text =
      FormatWithArgs(EraseText("Err"), own ? LangText(own) : kx::SystemErrorText(code).c_str());
  UINT style = MB_ICONHAND | (okOnly ? MB_OK : MB_RETRYCANCEL);
  return MessageBoxA(owner, text.c_str(), EraseText("Title"), style);
}

DWORD WINAPI EraseWorker(void* param) {
  auto* dialog = static_cast<CKXDelDrvDlg*>(param);
  if (!dialog) return 0;
  {
    kx::ComScope com;
    dialog->RunSteps();
  }
  CloseEraseDialog(*dialog);
  return 0;
}

void CloseEraseDialog(CKXDelDrvDlg& dialog) {
  dialog.WorkerDone();
}

CKXDelDrvDlg::CKXDelDrvDlg(HWND parent)
    : DiskWorkDlg(IDD_ERASE_DISK, parent, IDC_ERASE_PAUSE, IDC_ERASE_PROGRESS),
      doneIcon(static_cast<HICON>(LoadImageA(kx::ModuleInstance(), MAKEINTRESOURCEA(IDI_STEP_DONE),
                                             IMAGE_ICON, kIconSize, kIconSize, 0))),
      currentIcon(
          static_cast<HICON>(LoadImageA(kx::ModuleInstance(), MAKEINTRESOURCEA(IDI_STEP_CURRENT),
                                        IMAGE_ICON, kIconSize, kIconSize, 0))),
      format_(ShellFormatDrive) {}

// --- Dialog side -------------------------------------------------------------

bool CKXDelDrvDlg::OnInit() {
  window_ = hwnd_;
  if (parent_) {
    for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
      LRESULT icon = SendMessageA(parent_, WM_GETICON, which, 0);
      if (icon) Send(WM_SETICON, which, icon);
    }
  }
  currentStep_ = 0;
  static const char* const kStepKeys[kStepCount] = {"Step1", "Step2", "Step3", "Step4", "Step5"};
  for (int i = 0; i < kStepCount; ++i) stepNames[i] = EraseText(kStepKeys[i]);
  SetText(EraseText("Title"));
  SetItemText(IDC_DISK_GROUP, EraseText("InfoTitle"));
  SetItemText(IDC_DISK_TEXT, EraseText("NoDisk"));
  SetItemText(IDCANCEL, LangText("Cancel", "Global"));
  SetItemText(IDC_ERASE_PAUSE, LangText("Pause", "Global"));

  StartWorker(EraseWorker, this);
  return true;
}

bool CKXDelDrvDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_PAINT) {
    kx::PaintWith(hwnd_, [this](HDC dc) { Paint(dc); });
    return true;
  }
  return DiskWorkDlg::OnMessage(msg, wp, lp, result);
}

RECT CKXDelDrvDlg::StepArea() const {
  kx::Window window(window_.load());
  RECT client{};
  GetClientRect(window, &client);
  RECT group = window.ItemRect(IDC_DISK_GROUP);
  RECT bar = window.ItemRect(IDC_ERASE_PROGRESS);
  return {kStepLeft, group.bottom + kStepGap, client.right - kStepGap, bar.top - kStepGap};
}

void CKXDelDrvDlg::Paint(HDC dc) {
  RECT area = StepArea();
  HFONT font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  kx::SelectGuard keepFont(dc,
                           font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const int step = currentStep_.load();
  for (int i = 0; i < kStepCount; ++i) {
    StepRow row = StepRowAt(area.top, area.bottom, metrics.tmHeight, i);
    HICON icon = i < step ? doneIcon.Get() : i == step ? currentIcon.Get() : nullptr;
    if (icon)
      DrawIconEx(dc, kStepLeft, row.iconTop, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    RECT text = {kStepTextLeft, row.top, area.right, row.top + row.height};
    DrawTextA(dc, stepNames[i].c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

// --- Worker side -------------------------------------------------------------

void CKXDelDrvDlg::SetStep(int step) {
  currentStep_ = step;
  HWND window = window_.load();
  if (!WindowAlive()) return;
  RECT area = StepArea();
  InvalidateRect(window, &area, TRUE);
}

void CKXDelDrvDlg::SetDiskText(const std::string& text) {
  if (WindowAlive()) SetDlgItemTextA(window_.load(), IDC_DISK_TEXT, text.c_str());
}

void CKXDelDrvDlg::RunSteps() {
  if (!WindowAlive()) return;
  HWND window = window_.load();
  SetDiskText(DescribeDrive(driveLetter));
  if (driveLetter < 'A') {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&classes);
    CKXDrvDlg chooser;
    chooser.DoModal(window);
    driveLetter = chooser.selectedDrive;
    if (driveLetter < 'A' || !WindowAlive()) return;
  }
  SetDiskText(DescribeDrive(driveLetter));
  SetStep(1);

  RawVolume volume(control_);
  for (;;) {
    if (!MayErase(driveLetter, window)) return;
    if (volume.Open(driveLetter)) break;
    if (ShowEraseError(volume.LastError(), window, false) != IDRETRY) return;
  }
  while (!volume.Lock()) {
    if (ShowEraseError(volume.LastError(), window, false) != IDRETRY) return;
  }
  const uint64_t size = volume.Measure();
  if (size == 0) {
    ShowEraseError(volume.LastError(), window, true);
    return;
  }
  const std::string diskText = DescribeDrive(driveLetter, size);
  SetDiskText(diskText);
  SetStep(2);
  std::string question = FormatWithArgs(EraseText("Confirm"), diskText.c_str());
  if (MessageBoxA(window, question.c_str(), EraseText("Title"), MB_ICONWARNING | MB_YESNO) != IDYES)
    return;
  if (!WindowAlive()) return;

  SetStep(3);
  const ULONGLONG start = GetTickCount64();
  EraseVolume(volume, size);
  report_.elapsedMs = GetTickCount64() - start;
  // Dismounted while still locked: no one may write the file system's stale
  // view back onto the erased volume before it goes.
  volume.Dismount();
  volume.Unlock();
  volume.Close();
  if (outcome_.result == EraseResult::Erased) FormatVolume();
  report_.volume = OneLine(DescribeDrive(driveLetter));
  report_.size = size;
  report_.written = outcome_.written;
  report_.failedBlocks = outcome_.failedBlocks;
  report_.end = outcome_.result == EraseResult::Erased      ? EraseSummary::End::kErased
                : outcome_.result == EraseResult::Cancelled ? EraseSummary::End::kStopped
                                                            : EraseSummary::End::kFailed;
  // Also after a cancel: the user should know how far the erase came.
  ShowReport(EraseReportContent(report_), WindowAlive() ? window : parent_);
}

void CKXDelDrvDlg::EraseVolume(RawVolume& volume, uint64_t size) {
  SavedFill fill;
  if (!fill.Usable()) {
    outcome_ = EraseOutcome{};
    outcome_.error = ERROR_NOT_ENOUGH_MEMORY;
    ShowEraseError(outcome_.error, window_.load(), true);
    return;
  }
  JobReport fillOf;
  fillOf.SetFill(fill.Settings(), fill.Options());
  report_.fill = fillOf.fill;
  report_.pattern = fillOf.pattern;
  report_.verified = fillOf.verified;
  bar_ = GetDlgItem(window_.load(), IDC_ERASE_PROGRESS);
  BarScale scale = ScaleProgress(size, 0);
  SendMessageA(bar_, PBM_SETRANGE, 0, MAKELPARAM(0, scale.range));
  SendMessageA(bar_, PBM_SETPOS, 0, 0);
  shownPosition_ = 0;
  outcome_ = OverwriteVolume(volume, size, volume.ReportedSectorSize(), fill.Fill(), *this);
}

void CKXDelDrvDlg::FormatVolume() {
  if (!WindowAlive()) return;
  SetStep(4);
  if (format_) format_(window_.load(), static_cast<UINT>(driveLetter - 'A'), kFormatDefault, 0);
  if (!WindowAlive()) return;
  SetStep(5);
}

bool CKXDelDrvDlg::BeforeBlock() {
  PassGate();
  return WindowAlive();
}

void CKXDelDrvDlg::Progress(uint64_t done, uint64_t total) {
  BarScale scale = ScaleProgress(total, done);
  // Every message crosses to the dialog's thread: only changes go.
  if (scale.position == shownPosition_) return;
  shownPosition_ = scale.position;
  SendMessageA(bar_, PBM_SETPOS, scale.position, 0);
}

bool CKXDelDrvDlg::RetryAfterFailure(DWORD error, bool flush) {
  if (!WindowAlive()) return false;
  return ShowEraseError(error, window_.load(), false) == IDRETRY;
}
