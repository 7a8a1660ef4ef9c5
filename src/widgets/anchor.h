#pragma once
// Controls that keep their place when their panel is resized, and a static
// text that looks and acts like a link.
//
// A panel that changes size sends the registered message "str_NEWVC_ALIGN"
// (wParam the panel, lParam 0) to each of its children; an anchored control
// then puts each anchored edge at its offset from an edge of its reference:
// the panel's client area, or another control of the same panel (a group
// box, a neighbour). Edges without an anchor keep the control's size.
#include <windows.h>

namespace kx {

UINT AlignMessage();

struct AnchorEdge {
  bool set = false;
  HWND reference = nullptr;  // null: the parent's client area
  bool farSide = false;      // from the reference's right/bottom edge, else left/top
  int offset = 0;            // added to that edge's coordinate
};

struct Anchor {
  AnchorEdge left, right, top, bottom;

  // distance pixels inside the reference's left / right edge.
  Anchor& Left(int distance, HWND reference = nullptr) {
    left = {true, reference, false, distance};
    return *this;
  }
  Anchor& Right(int distance, HWND reference = nullptr) {
    right = {true, reference, true, -distance};
    return *this;
  }
  // The right edge at an offset from the reference's left edge (negative:
  // left of it), for a control that stands before its neighbour.
  Anchor& RightToLeftOf(HWND reference, int offset) {
    right = {true, reference, false, offset};
    return *this;
  }
  Anchor& Top(int distance, HWND reference = nullptr) {
    top = {true, reference, false, distance};
    return *this;
  }
  Anchor& Bottom(int distance, HWND reference = nullptr) {
    bottom = {true, reference, true, -distance};
    return *this;
  }
};

// Makes the control follow its anchor on every alignment message, and aligns
// it at once. Replaces an earlier anchor of the same control.
bool AnchorControl(HWND control, const Anchor& anchor);
// Shorthands relative to the parent.
bool AnchorStretch(HWND control, int margin);      // left and right edges
bool AnchorRight(HWND control, int rightDistance);  // right edge, same size

// Sends the alignment message to every child of the panel.
void AlignChildren(HWND panel);

// The rectangle an anchored control takes, given the rectangles (in the
// parent's client coordinates) of the references of its four edges.
struct AnchorReferences {
  RECT left, right, top, bottom;
};
RECT AnchoredRect(const RECT& current, const AnchorReferences& references, const Anchor& anchor);

// A static text (SS_NOTIFY) shown as a link: underlined, with the hand
// cursor, a tab stop; a click sends WM_COMMAND (STN_CLICKED) to its parent as
// any notifying static does, and so do Enter and the space bar when it has
// the keyboard focus. The parent colours it with LinkColour.
bool MakeLink(HWND staticControl);
COLORREF LinkColour();

}  // namespace kx
