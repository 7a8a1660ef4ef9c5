#include "widgets/mv_control.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kControlSubclass = 0x4B5A;
}

CMVControl::~CMVControl() { Detach(); }

bool CMVControl::Attach(HWND control) {
  if (hwnd_ || !control || !IsWindow(control)) return false;
  if (!SetWindowSubclass(control, SubclassProc, kControlSubclass, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = control;
  OnAttached();
  return true;
}

void CMVControl::Detach() {
  if (hwnd_ && IsWindow(hwnd_)) RemoveWindowSubclass(hwnd_, SubclassProc, kControlSubclass);
  hwnd_ = nullptr;
}

LRESULT CMVControl::Default(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(hwnd_, msg, wp, lp); }

LRESULT CALLBACK CMVControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<CMVControl*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, id);
    if (self) self->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (!self) return DefSubclassProc(hwnd, msg, wp, lp);
  try {
    return self->WindowProc(msg, wp, lp);
  } catch (...) {
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
}
