#pragma once
// CMVControl: the base of the widget library's controls that take over a
// control of a dialog template. It subclasses the control's window for the
// life of the window (or of the object, whichever ends first) and hands
// every message to WindowProc.
#include <windows.h>

class CMVControl {
 public:
  CMVControl() = default;
  virtual ~CMVControl();
  CMVControl(const CMVControl&) = delete;
  CMVControl& operator=(const CMVControl&) = delete;

  // Takes over the control; false when it is no window or already taken.
  bool Attach(HWND control);
  bool AttachItem(HWND dialog, int id) { return Attach(GetDlgItem(dialog, id)); }
  HWND Handle() const { return hwnd_; }
  operator HWND() const { return hwnd_; }

 protected:
  // Default handling for messages WindowProc does not take.
  LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return Default(msg, wp, lp); }
  virtual void OnAttached() {}

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data);
  void Detach();

  HWND hwnd_ = nullptr;
  UINT msg_ = 0;
};
