#pragma once
// CMVButton: a button of a dialog template that the widget library paints
// itself, so that push buttons, check boxes (also of several lines) and group
// boxes look the same on every panel: in the system's visual style where one
// is active (common controls 6), in the classic look otherwise, with the
// focus, hot, pressed, checked and disabled states shown.
//
// The control stays the system's button: clicks, keys, check state and
// notifications are its own; only the painting is replaced. Attach it to a
// control of a dialog by identifier once the dialog exists (OnInit):
//   CMVButton start_;  ...  start_.Attach(hwnd_, IDOK);
#include <windows.h>

class CMVButton {
 public:
  enum class Kind { kPush, kCheck, kRadio, kGroup };

  CMVButton() = default;
  ~CMVButton();
  CMVButton(const CMVButton&) = delete;
  CMVButton& operator=(const CMVButton&) = delete;

  // Takes over the painting of the dialog's control id; false when there is
  // no such button or it is already attached.
  bool Attach(HWND dialog, int id);
  bool Attach(HWND button);
  // Gives the painting back to the system (also when the window is destroyed).
  void Detach();

  HWND Handle() const { return hwnd_; }
  Kind GetKind() const;

  // Paints the button as it stands now into dc, as WM_PAINT and
  // WM_PRINTCLIENT do.
  void Paint(HDC dc) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR self);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  void Repaint() const;
  void PaintPush(HDC dc, const RECT& client, HANDLE theme) const;
  void PaintCheck(HDC dc, const RECT& client, HANDLE theme, Kind kind) const;
  void PaintGroup(HDC dc, const RECT& client, HANDLE theme) const;
  void FillBackground(HDC dc, const RECT& client, HANDLE theme) const;
  void DrawLabel(HDC dc, RECT r, UINT format, HANDLE theme, int part, int state) const;
  bool Focused() const;
  UINT PrefixFlag() const;

  HWND hwnd_ = nullptr;
  bool hot_ = false;
};
