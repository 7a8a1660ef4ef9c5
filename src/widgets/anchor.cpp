#include "widgets/anchor.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "framework/handle.h"
#include "framework/window.h"

namespace kx {
namespace {

constexpr UINT_PTR kAnchorSubclass = 0x4B58;  // one id per kind of subclass
constexpr UINT_PTR kLinkSubclass = 0x4B59;

struct AnchorState {
  Anchor anchor;
  bool aligning = false;
};

RECT ReferenceRect(HWND control, const AnchorEdge& edge) {
  HWND parent = GetParent(control);
  RECT r{};
  if (edge.set && edge.reference && IsWindow(edge.reference) && GetParent(edge.reference) == parent &&
      edge.reference != control) {
    // The reference may not have followed the panel yet.
    SendMessageA(edge.reference, AlignMessage(), reinterpret_cast<WPARAM>(parent), 0);
    return RectInParent(edge.reference);
  }
  GetClientRect(parent, &r);
  return r;
}

void Align(HWND control, AnchorState& state) {
  if (state.aligning) return;  // controls anchored to each other
  state.aligning = true;
  const Anchor& a = state.anchor;
  const AnchorReferences refs{ReferenceRect(control, a.left), ReferenceRect(control, a.right),
                              ReferenceRect(control, a.top), ReferenceRect(control, a.bottom)};
  const RECT current = RectInParent(control);
  const RECT target = AnchoredRect(current, refs, a);
  if (!EqualRect(&current, &target)) {
    SetWindowPos(control, nullptr, target.left, target.top, target.right - target.left,
                 target.bottom - target.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(control, nullptr, TRUE);
  }
  state.aligning = false;
}

LRESULT CALLBACK AnchorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
  auto* state = reinterpret_cast<AnchorState*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, AnchorProc, id);
    delete state;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (msg == AlignMessage() && state) {
    Align(hwnd, *state);
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

struct LinkState {
  GdiObject font;
};

LRESULT CALLBACK LinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
  auto* state = reinterpret_cast<LinkState*>(data);
  switch (msg) {
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, LinkProc, id);
      delete state;
      break;
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      return TRUE;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_STATIC;
    case WM_KEYDOWN:
      if (wp == VK_RETURN || wp == VK_SPACE) {
        SendMessageA(GetParent(hwnd), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(hwnd), STN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
        return 0;
      }
      break;
    case WM_SETFONT: {
      // Whatever font the panel gives, the link shows it underlined.
      LOGFONTA lf{};
      HFONT given = reinterpret_cast<HFONT>(wp);
      if (GetObjectA(given ? given : GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) {
        lf.lfUnderline = TRUE;
        HFONT underlined = CreateFontIndirectA(&lf);
        LRESULT r = DefSubclassProc(hwnd, msg, reinterpret_cast<WPARAM>(underlined), lp);
        state->font.Reset(underlined);
        return r;
      }
      break;
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

UINT AlignMessage() {
  static const UINT message = RegisterWindowMessageA("str_NEWVC_ALIGN");
  return message;
}

namespace {

int EdgePosition(const AnchorEdge& edge, LONG nearSide, LONG farSide) {
  return (edge.farSide ? farSide : nearSide) + edge.offset;
}

// One direction: both edges anchored stretch the control (never inverted),
// one edge moves it at its size.
void Place(const AnchorEdge& low, const AnchorEdge& high, const RECT& lowRef, const RECT& highRef,
           bool horizontal, LONG& start, LONG& end) {
  const LONG size = end - start;
  const LONG lowNear = horizontal ? lowRef.left : lowRef.top;
  const LONG lowFar = horizontal ? lowRef.right : lowRef.bottom;
  const LONG highNear = horizontal ? highRef.left : highRef.top;
  const LONG highFar = horizontal ? highRef.right : highRef.bottom;
  if (low.set && high.set) {
    start = EdgePosition(low, lowNear, lowFar);
    end = std::max(start, static_cast<LONG>(EdgePosition(high, highNear, highFar)));
  } else if (low.set) {
    start = EdgePosition(low, lowNear, lowFar);
    end = start + size;
  } else if (high.set) {
    end = EdgePosition(high, highNear, highFar);
    start = end - size;
  }
}

}  // namespace

RECT AnchoredRect(const RECT& current, const AnchorReferences& refs, const Anchor& a) {
  RECT r = current;
  Place(a.left, a.right, refs.left, refs.right, true, r.left, r.right);
  Place(a.top, a.bottom, refs.top, refs.bottom, false, r.top, r.bottom);
  return r;
}

bool AnchorControl(HWND control, const Anchor& anchor) {
  if (!control || !IsWindow(control)) return false;
  DWORD_PTR old = 0;
  if (GetWindowSubclass(control, AnchorProc, kAnchorSubclass, &old)) {
    reinterpret_cast<AnchorState*>(old)->anchor = anchor;
  } else {
    auto state = std::make_unique<AnchorState>();
    state->anchor = anchor;
    if (!SetWindowSubclass(control, AnchorProc, kAnchorSubclass, reinterpret_cast<DWORD_PTR>(state.get())))
      return false;
    state.release();
  }
  SendMessageA(control, AlignMessage(), reinterpret_cast<WPARAM>(GetParent(control)), 0);
  return true;
}

bool AnchorStretch(HWND control, int margin) { return AnchorControl(control, Anchor().Left(margin).Right(margin)); }

bool AnchorRight(HWND control, int rightDistance) { return AnchorControl(control, Anchor().Right(rightDistance)); }

void AlignChildren(HWND panel) {
  for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    SendMessageA(child, AlignMessage(), reinterpret_cast<WPARAM>(panel), 0);
}

bool MakeLink(HWND control) {
  if (!control || !IsWindow(control)) return false;
  auto state = std::make_unique<LinkState>();
  if (!SetWindowSubclass(control, LinkProc, kLinkSubclass, reinterpret_cast<DWORD_PTR>(state.get())))
    return false;
  state.release();
  LONG style = GetWindowLongA(control, GWL_STYLE);
  SetWindowLongA(control, GWL_STYLE, style | SS_NOTIFY | WS_TABSTOP);
  SendMessageA(control, WM_SETFONT, SendMessageA(control, WM_GETFONT, 0, 0), TRUE);
  return true;
}

COLORREF LinkColour() { return RGB(0, 102, 204); }

}  // namespace kx
