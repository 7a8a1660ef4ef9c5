#pragma once
// Starting the program (or any other) as a real process under Wine; its
// windows are found with support/window_search.h.
#include <windows.h>

#include <string>

#include "support/wine_paths.h"

namespace kxtest {

// The job that every program a test starts belongs to. It ends them all
// when the test process ends, even one ended by force on a time-out, so a
// hung run never stays behind to hold the single-instance mutex or its
// windows for the tests after it.
inline HANDLE ChildrenJob() {
  static HANDLE job = [] {
    HANDLE made = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (made) SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return made;
  }();
  return job;
}

// Starts a program with a command line; the caller closes both handles.
inline bool StartProcess(const std::string& commandLine, PROCESS_INFORMATION& info) {
  STARTUPINFOA startup = {sizeof startup};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &info))
    return false;
  if (HANDLE job = ChildrenJob()) AssignProcessToJobObject(job, info.hProcess);
  ResumeThread(info.hThread);
  return true;
}

// Runs a command line and answers whether it ended within timeoutMs; one that
// did not is ended by force, so no test leaves a program behind. The exit
// code goes to *exitCode when the run ended.
inline bool RunToEnd(const std::string& commandLine, DWORD timeoutMs, DWORD* exitCode = nullptr) {
  PROCESS_INFORMATION info = {};
  if (!StartProcess(commandLine, info)) return false;
  bool ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(info.hProcess, 1);
  if (ended && exitCode && !GetExitCodeProcess(info.hProcess, exitCode)) ended = false;
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return ended;
}

}  // namespace kxtest
