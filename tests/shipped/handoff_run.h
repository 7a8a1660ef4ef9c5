#pragma once
// The program run that a pick of the extension's command starts, found as
// the child of the process that picked it (never by its caption alone: other
// tests may show the same confirmation at the same time).
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "support/report_window.h"
#include "support/window_search.h"

namespace kxtest {

// A running KXer.exe whose parent is `parent`, or 0.
inline DWORD ProgramStartedBy(DWORD parent) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {sizeof entry};
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found;
       more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parent && lstrcmpiA(entry.szExeFile, "KXer.exe") == 0)
      found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

// What a hand-off run did when the user agreed to its confirmation.
struct HandOffRun {
  bool confirmed = false;  // the confirmation came and was answered
  bool ended = false;      // and the run ended afterwards
  std::string image;       // the program file that ran
};

inline HandOffRun AgreeToHandOffRun(DWORD parent, int timeoutMs = 120000) {
  HandOffRun run;
  DWORD id = 0;
  if (!WaitFor([&] { return (id = ProgramStartedBy(parent)) != 0; }, timeoutMs)) return run;
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return run;
  char image[MAX_PATH] = "";
  DWORD length = sizeof image;
  if (QueryFullProcessImageNameA(process, 0, image, &length)) run.image = image;
  if (HWND confirm = WaitForWindow(id, "Confirm Delete - Karvex", timeoutMs)) {
    run.confirmed = true;
    PostMessageA(confirm, WM_COMMAND, IDOK, 0);
    // The run ends with its report, closed here at once.
    ReportCloser reports(id);
    run.ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  }
  CloseHandle(process);
  return run;
}

}  // namespace kxtest
