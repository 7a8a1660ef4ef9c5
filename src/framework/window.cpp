#include "framework/window.h"

namespace kx {

bool Window::SetItemText(int id, const char* text) const {
  return hwnd_ && ::SetDlgItemTextA(hwnd_, id, text ? text : "") != FALSE;
}

std::string Window::ItemText(int id) const { return TextOf(Item(id)); }

bool Window::IsChecked(int id) const {
  return hwnd_ && ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void Window::SetCheck(int id, bool checked) const {
  if (hwnd_) ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Window::EnableItem(int id, bool enable) const {
  if (HWND item = Item(id)) ::EnableWindow(item, enable ? TRUE : FALSE);
}

void Window::ShowItem(int id, bool show) const {
  if (HWND item = Item(id)) ::ShowWindow(item, show ? SW_SHOW : SW_HIDE);
}

RECT Window::ItemRect(int id) const {
  RECT r{};
  HWND item = Item(id);
  if (!item || !::GetWindowRect(item, &r)) return RECT{};
  ::MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT RectInParent(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Window::MoveItem(int id, const RECT& r) const {
  if (HWND item = Item(id)) {
    ::SetWindowPos(item, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

std::string Window::TextOf(HWND hwnd) {
  if (!hwnd) return {};
  int length = ::GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  // The length may be an overestimate (double-byte code pages); the copy
  // tells the true one.
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = ::GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

bool BringToFront(HWND window) {
  if (!IsWindow(window)) return false;
  SetForegroundWindow(window);
  if (GetForegroundWindow() == window) return true;

  HWND foreground = GetForegroundWindow();
  if (!IsWindow(foreground)) return false;
  if (foreground == window) return true;

  DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
  DWORD ownThread = GetWindowThreadProcessId(window, nullptr);
  if (foregroundThread == 0 || ownThread == 0 || foregroundThread == ownThread) return true;

  DWORD_PTR ignored = 0;
  const bool responsive = SendMessageTimeoutA(foreground, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200,
                                              &ignored) != 0;
  AttachThreadInput(foregroundThread, ownThread, TRUE);
  if (responsive) {
    SetWindowPos(foreground, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOSENDCHANGING);
    Sleep(1);
  }
  SetForegroundWindow(window);
  AttachThreadInput(foregroundThread, ownThread, FALSE);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  InvalidateRect(foreground, nullptr, TRUE);
  return true;
}

}  // namespace kx
