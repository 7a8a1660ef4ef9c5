#pragma once
// Finding top-level windows (of this process or of a program the test
// started), waiting for them and for other conditions, and reaching the
// controls the tests drive.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kxtest {

// Polls until the condition holds or the time is up; answers the condition.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 20000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

inline std::string WindowText(HWND hwnd) {
  char text[1024] = "";
  // WM_GETTEXT instead of GetWindowText: the latter does not ask windows of
  // the process that belong to other threads for controls' texts reliably.
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

inline std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

namespace detail {
struct CaptionSearch {
  DWORD processId;
  const char* caption;
  std::vector<HWND> found;
};
// A caption of another process is read without a message, so a program
// whose window thread is busy cannot hold up the search.
inline std::string Caption(HWND hwnd, DWORD processId) {
  if (processId == GetCurrentProcessId()) return WindowText(hwnd);
  char text[256] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}
inline BOOL CALLBACK CollectByCaption(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<CaptionSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->processId && IsWindowVisible(hwnd) &&
      (!s->caption || Caption(hwnd, pid) == s->caption))
    s->found.push_back(hwnd);
  return TRUE;
}
}  // namespace detail

// Visible top-level windows of a process with this caption (any caption when
// null), in the system's order from the top.
inline std::vector<HWND> WindowsWithCaption(DWORD processId, const char* caption) {
  detail::CaptionSearch search{processId, caption, {}};
  EnumWindows(detail::CollectByCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::vector<HWND> WindowsWithCaption(const std::string& caption) {
  return WindowsWithCaption(GetCurrentProcessId(), caption.c_str());
}

// The first of those windows, waiting up to timeoutMs for one to appear.
inline HWND WaitForWindow(DWORD processId, const char* caption, int timeoutMs = 20000) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        auto windows = WindowsWithCaption(processId, caption);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

inline HWND WaitForWindow(const std::string& caption, int timeoutMs = 20000) {
  return WaitForWindow(GetCurrentProcessId(), caption.c_str(), timeoutMs);
}

// Where a window sits in its parent's client area. Measured here rather than
// with the framework's helper, which the layout code under test uses itself.
inline RECT InParent(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Clicks a button without waiting for what the click starts (a click may open
// a modal prompt on the window's thread).
inline void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The file-name box of the explorer-style file dialog, in either of its
// layouts (an edit inside a combo box, or a plain edit).
inline HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, 0x47C)) {
    if (HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr)) return edit;
    return combo;
  }
  return GetDlgItem(dialog, 0x480);
}

// Types name into a file dialog's name box and presses its OK button, without
// waiting for what that starts; false when the dialog has no name box.
inline bool AnswerFileDialog(HWND dialog, const char* name) {
  HWND box = FileNameBox(dialog);
  if (!box) return false;
  SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return true;
}
inline bool AnswerFileDialog(HWND dialog, const wchar_t* name) {
  HWND box = FileNameBox(dialog);
  if (!box) return false;
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return true;
}

}  // namespace kxtest
