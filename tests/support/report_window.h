#pragma once
// The report window that ends every job and erase. Tests that are not about
// it close it as soon as it appears, so that a run waits neither for a user
// nor for a summary to close itself.
#include <windows.h>

#include <atomic>
#include <thread>

#include "support/window_search.h"

namespace kxtest {

constexpr char kReportCaption[] = "Report - Karvex";

// The report window of a process, waiting up to timeoutMs for it.
inline HWND WaitForReport(DWORD processId, int timeoutMs = 20000) {
  return WaitForWindow(processId, kReportCaption, timeoutMs);
}

// Closes the process's report the way its Close button does; false when none
// appeared within timeoutMs.
inline bool CloseReport(DWORD processId, int timeoutMs = 20000) {
  HWND report = WaitForReport(processId, timeoutMs);
  if (!report) return false;
  PostMessageA(report, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

// Closes every report of a process (this one by default) that appears while
// it lives; counts them.
class ReportCloser {
 public:
  explicit ReportCloser(DWORD processId = GetCurrentProcessId())
      : watcher_([this, processId] {
          while (!stop_) {
            for (HWND report : WindowsWithCaption(processId, kReportCaption)) {
              // Posted once per window: it may take a moment to go.
              if (report == last_) continue;
              last_ = report;
              ++closed_;
              PostMessageA(report, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            Sleep(10);
          }
        }) {}
  ~ReportCloser() {
    stop_ = true;
    watcher_.join();
  }
  ReportCloser(const ReportCloser&) = delete;
  ReportCloser& operator=(const ReportCloser&) = delete;
  int Closed() const { return closed_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int> closed_{0};
  HWND last_ = nullptr;
  std::thread watcher_;
};

}  // namespace kxtest
