#pragma once
// CMVEdit: an edit field of a white panel, framed with a thin grey line.
// Wipe empties it so that a password typed into it does not stay behind in
// the control's memory.
#include "widgets/mv_control.h"

class CMVEdit : public CMVControl {
 public:
  static constexpr COLORREF kFrameColour = RGB(0x99, 0x99, 0x99);

  void SetLimit(int characters) const;
  // Overwrites the control's text in place with as many filler characters,
  // then empties it and its undo buffer.
  void Wipe() const;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};
