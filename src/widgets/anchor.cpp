#include "widgets/anchor.h"

#include <commctrl.h>

#include <memory>

#include "framework/handle.h"

namespace kx {
namespace {

constexpr UINT_PTR kAnchorSubclass = 0x4B58;  // one id per kind of subclass
constexpr UINT_PTR kLinkSubclass = 0x4B59;

struct AnchorState {
  Anchor anchor;
  bool aligning = false;
};

RECT RectInParent(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Align(HWND control, AnchorState& state) {
  if (state.aligning) return;  // two controls anchored to each other
  state.aligning = true;
  HWND parent = GetParent(control);
  RECT reference{};
  HWND ref = state.anchor.reference;
  if (ref && IsWindow(ref) && GetParent(ref) == parent) {
    // The reference may not have followed the panel yet.
    SendMessageA(ref, AlignMessage(), reinterpret_cast<WPARAM>(parent), 0);
    reference = RectInParent(ref);
  } else {
    GetClientRect(parent, &reference);
  }
  const RECT current = RectInParent(control);
  const RECT target = AnchoredRect(current, reference, state.anchor);
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

RECT AnchoredRect(const RECT& current, const RECT& reference, const Anchor& a) {
  RECT r = current;
  const int width = current.right - current.left;
  const int height = current.bottom - current.top;
  if (a.left != kNoAnchor && a.right != kNoAnchor) {
    r.left = reference.left + a.left;
    r.right = reference.right - a.right;
    if (r.right < r.left) r.right = r.left;
  } else if (a.left != kNoAnchor) {
    r.left = reference.left + a.left;
    r.right = r.left + width;
  } else if (a.right != kNoAnchor) {
    r.right = reference.right - a.right;
    r.left = r.right - width;
  }
  if (a.top != kNoAnchor && a.bottom != kNoAnchor) {
    r.top = reference.top + a.top;
    r.bottom = reference.bottom - a.bottom;
    if (r.bottom < r.top) r.bottom = r.top;
  } else if (a.top != kNoAnchor) {
    r.top = reference.top + a.top;
    r.bottom = r.top + height;
  } else if (a.bottom != kNoAnchor) {
    r.bottom = reference.bottom - a.bottom;
    r.top = r.bottom - height;
  }
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

bool AnchorStretch(HWND control, int margin) {
  Anchor a;
  a.left = margin;
  a.right = margin;
  return AnchorControl(control, a);
}

bool AnchorRight(HWND control, int rightDistance) {
  Anchor a;
  a.right = rightDistance;
  return AnchorControl(control, a);
}

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
