#pragma once
// Helpers for tests that start the program as a real process under Wine and
// look at its windows.
#include <windows.h>

#include <string>

namespace kxtest {

// A Linux path as Wine's drive Z: sees it.
inline std::string WinePath(const char* unixPath) {
  std::string path = "Z:";
  for (const char* p = unixPath; *p; ++p) path += (*p == '/') ? '\\' : *p;
  return path;
}

inline std::string DistPath(const char* name) {
  return WinePath(KX_DIST_DIR) + "\\" + name;
}

// Starts a program with a command line; the caller closes both handles.
inline bool StartProcess(const std::string& commandLine, PROCESS_INFORMATION& info) {
  STARTUPINFOA startup = {sizeof startup};
  std::string line = commandLine;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info) != 0;
}

struct WindowSearch {
  DWORD processId;
  const char* caption;
  HWND found;
};

inline BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  if (search->caption && lstrcmpA(text, search->caption) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The first visible top-level window of a process with the given caption
// (any caption when null), waiting up to timeoutMs for it to appear.
inline HWND WaitForWindow(DWORD processId, const char* caption, DWORD timeoutMs) {
  WindowSearch search = {processId, caption, nullptr};
  const DWORD start = GetTickCount();
  do {
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(50);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

// Polls a condition for up to timeoutMs.
template <typename F>
bool WaitUntil(F condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace kxtest
