#pragma once
// The rectangle of the window-free layout rules: left and top inside, right
// and bottom just outside, as the system's RECT.
#ifdef _WIN32
#include <windows.h>
#endif

struct Rect {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

#ifdef _WIN32
inline Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
#endif
