#pragma once
// CMVSpinButtonCtrl: the arrows beside a number field. The field (its
// buddy) shows the position as a plain integer; the arrows and the arrow
// keys change it within the range.
#include "widgets/mv_control.h"

class CMVSpinButtonCtrl : public CMVControl {
 public:
  // Takes over the spin button and makes buddy its field.
  bool AttachWithBuddy(HWND spin, HWND buddy);
  void SetRange(int lowest, int highest) const;
  void SetPosition(int position) const;
  // The position the field's text stands for, clamped to the range.
  int Position() const;
};
