#pragma once
// kx::Window: a thin view of a window handle. It never owns the window; copy
// it freely. Controls are reached by identifier through the item helpers, so
// dialog classes need not keep a handle per control.
#include <windows.h>

#include <string>

namespace kx {

class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}

  HWND Handle() const { return hwnd_; }
  operator HWND() const { return hwnd_; }
  // True for a handle that names an existing window.
  bool IsWindow() const { return hwnd_ && ::IsWindow(hwnd_); }

  // Child control by identifier; null when there is none.
  HWND Item(int id) const { return hwnd_ ? ::GetDlgItem(hwnd_, id) : nullptr; }
  bool SetItemText(int id, const char* text) const;
  // The control's text; empty when the control is missing.
  std::string ItemText(int id) const;
  bool IsChecked(int id) const;
  void SetCheck(int id, bool checked) const;
  void EnableItem(int id, bool enable) const;
  void ShowItem(int id, bool show) const;

  bool SetText(const char* text) const { return ::SetWindowTextA(hwnd_, text) != FALSE; }
  std::string Text() const { return TextOf(hwnd_); }
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
    return ::SendMessageA(hwnd_, msg, wp, lp);
  }
  LRESULT SendItem(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
    return ::SendDlgItemMessageA(hwnd_, id, msg, wp, lp);
  }
  bool Post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
    return ::PostMessageA(hwnd_, msg, wp, lp) != FALSE;
  }
  void Show(int how) const { ::ShowWindow(hwnd_, how); }
  void Enable(bool enable) const { ::EnableWindow(hwnd_, enable ? TRUE : FALSE); }

  // A control's rectangle in this window's client coordinates; empty when the
  // control is missing.
  RECT ItemRect(int id) const;
  // Moves a child (given in this window's client coordinates) without
  // changing the stacking order.
  void MoveItem(int id, const RECT& r) const;

  // The text of any window, of any length.
  static std::string TextOf(HWND hwnd);

 protected:
  HWND hwnd_ = nullptr;
};

// A window's rectangle in its parent's client coordinates, where the parent
// places it.
RECT RectInParent(HWND hwnd);

// Forces a window of this process to the foreground, even when another
// program's window has it. False when there is no such window.
bool BringToFront(HWND window);

// Runs paint(dc) between BeginPaint and EndPaint, so the update region is
// validated even when there is nothing to paint into; a window that leaves it
// invalid is sent WM_PAINT again and again.
template <class Painter>
void PaintWith(HWND hwnd, Painter&& paint) {
  PAINTSTRUCT ps;
  if (HDC dc = ::BeginPaint(hwnd, &ps)) paint(dc);
  ::EndPaint(hwnd, &ps);
}

// For a window that paints every pixel of its client area itself: the
// background is not erased first (that would only flicker) and WM_PAINT goes
// to paint(dc). Answers whether the message was one of the two.
template <class Painter>
bool PaintsOwnBackground(HWND hwnd, UINT msg, LRESULT& result, Painter&& paint) {
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_PAINT:
      PaintWith(hwnd, paint);
      return true;
    default:
      return false;
  }
}

}  // namespace kx
