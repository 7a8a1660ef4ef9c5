#pragma once
// CMVStatic: a text label of a white panel. It draws its text itself,
// word-wrapped on the panel's background, in grey while it is disabled
// (the system's engraved look of disabled labels is unreadable on white).
#include "widgets/mv_control.h"

class CMVStatic : public CMVControl {
 public:
  static constexpr COLORREF kDisabledColour = RGB(0x99, 0x99, 0x99);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Paint(HDC dc);
};
