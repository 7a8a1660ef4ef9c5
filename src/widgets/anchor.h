#pragma once
// Controls that keep their place when their panel is resized, and a static
// text that looks and acts like a link.
//
// A panel that changes size sends the registered message "str_NEWVC_ALIGN"
// (wParam the panel, lParam 0) to each of its children; an anchored control
// then moves its edges to the distances it was given from the panel's edges,
// or from another control's edges.
#include <windows.h>

namespace kx {

UINT AlignMessage();

constexpr int kNoAnchor = -0x7FFF;

struct Anchor {
  // The control whose edges the distances are measured from; null for the
  // parent's client area.
  HWND reference = nullptr;
  // Distances inward from the reference's edges, or kNoAnchor. With both
  // edges of a direction given the control stretches; with one it keeps its
  // size and follows that edge.
  int left = kNoAnchor;
  int right = kNoAnchor;
  int top = kNoAnchor;
  int bottom = kNoAnchor;
};

// Makes the control follow its anchor on every alignment message, and aligns
// it once at once. Replaces an earlier anchor of the same control.
bool AnchorControl(HWND control, const Anchor& anchor);
// Shorthands for the common cases, relative to the parent.
bool AnchorStretch(HWND control, int margin);      // left and right edges
bool AnchorRight(HWND control, int rightDistance);  // right edge, same size

// Sends the alignment message to every child of the panel.
void AlignChildren(HWND panel);

// The rectangle an anchored control takes: pure arithmetic on rectangles in
// the parent's client coordinates.
RECT AnchoredRect(const RECT& current, const RECT& reference, const Anchor& anchor);

// A static text (SS_NOTIFY) shown as a link: underlined, link-coloured, with
// the hand cursor; a click sends WM_COMMAND (STN_CLICKED) to its parent as
// any notifying static does, and so do Enter and the space bar when it has
// the keyboard focus.
bool MakeLink(HWND staticControl);
COLORREF LinkColour();

}  // namespace kx
