#include "widgets/mv_button.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <vsstyle.h>

#include <algorithm>
#include <string>

#include "framework/handle.h"
#include "framework/window.h"

namespace {

constexpr UINT_PTR kButtonSubclass = 0x4D56;  // one subclass of this kind per button
constexpr int kClassicBox = 13;               // the classic check box, pixels
constexpr int kLabelGap = 4;                  // between the box and its label

// A theme handle of the button class, closed again; null without a style.
class ButtonTheme {
 public:
  explicit ButtonTheme(HWND hwnd) : theme_(IsAppThemed() ? OpenThemeData(hwnd, L"BUTTON") : nullptr) {}
  ~ButtonTheme() {
    if (theme_) CloseThemeData(theme_);
  }
  ButtonTheme(const ButtonTheme&) = delete;
  ButtonTheme& operator=(const ButtonTheme&) = delete;
  HANDLE Get() const { return theme_; }

 private:
  HANDLE theme_;
};

}  // namespace

CMVButton::~CMVButton() { Detach(); }

bool CMVButton::Attach(HWND dialog, int id) { return dialog && Attach(GetDlgItem(dialog, id)); }

bool CMVButton::Attach(HWND button) {
  if (hwnd_ || !button || !IsWindow(button)) return false;
  char className[16] = "";
  GetClassNameA(button, className, sizeof className);
  if (lstrcmpiA(className, "Button") != 0) return false;
  if (!SetWindowSubclass(button, SubclassProc, kButtonSubclass, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = button;
  Repaint();
  return true;
}

void CMVButton::Detach() {
  if (!hwnd_) return;
  RemoveWindowSubclass(hwnd_, SubclassProc, kButtonSubclass);
  if (IsWindow(hwnd_)) InvalidateRect(hwnd_, nullptr, TRUE);
  hwnd_ = nullptr;
  hot_ = false;
}

CMVButton::Kind CMVButton::GetKind() const {
  switch (GetWindowLongA(hwnd_, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return Kind::kCheck;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return Kind::kRadio;
    case BS_GROUPBOX:
      return Kind::kGroup;
    default:
      return Kind::kPush;
  }
}

LRESULT CALLBACK CMVButton::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR self) {
  auto* button = reinterpret_cast<CMVButton*>(self);
  if (msg == WM_NCDESTROY) {
    button->Detach();
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  return button->OnMessage(msg, wp, lp);
}

// The system's button paints at once on many state changes, bypassing
// WM_PAINT; each of those is painted over again in our look.
LRESULT CMVButton::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      kx::PaintWith(hwnd_, [this](HDC dc) { Paint(dc); });
      return 0;
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&track);
        Repaint();
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      Repaint();
      break;
    case WM_ENABLE:
      if (!wp) hot_ = false;
      break;
    default:
      break;
  }
  const LRESULT result = DefSubclassProc(hwnd_, msg, wp, lp);
  switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case BM_SETSTATE:
    case BM_SETCHECK:
    case BM_SETSTYLE:
    case WM_THEMECHANGED:
      Repaint();
      break;
    default:
      break;
  }
  return result;
}

void CMVButton::Repaint() const {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

bool CMVButton::Focused() const {
  if (GetFocus() != hwnd_) return false;
  return (SendMessageA(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

UINT CMVButton::PrefixFlag() const {
  return (SendMessageA(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
}

void CMVButton::Paint(HDC dc) const {
  if (!hwnd_ || !dc) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  // Into a bitmap first: the background, frame and label would flicker.
  kx::MemoryDC memory(CreateCompatibleDC(dc));
  kx::GdiObject bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
  const bool buffered = memory && bitmap;
  HDC target = buffered ? memory.Get() : dc;
  HGDIOBJ oldBitmap = buffered ? SelectObject(target, bitmap.Get()) : nullptr;

  HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = SelectObject(target, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(target, TRANSPARENT);
  ButtonTheme theme(hwnd_);
  FillBackground(target, client, theme.Get());
  const Kind kind = GetKind();
  if (kind == Kind::kPush)
    PaintPush(target, client, theme.Get());
  else if (kind == Kind::kGroup)
    PaintGroup(target, client, theme.Get());
  else
    PaintCheck(target, client, theme.Get(), kind);
  SelectObject(target, oldFont);

  if (buffered) {
    BitBlt(dc, 0, 0, client.right, client.bottom, target, 0, 0, SRCCOPY);
    SelectObject(target, oldBitmap);
  }
}

// The parent's colour for its controls, as the system's button asks for it.
void CMVButton::FillBackground(HDC dc, const RECT& client, HANDLE theme) const {
  HWND parent = GetParent(hwnd_);
  const UINT query = GetKind() == Kind::kPush ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
  HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageA(parent, query, reinterpret_cast<WPARAM>(dc),
                                                                reinterpret_cast<LPARAM>(hwnd_)))
                        : nullptr;
  if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &client, brush);
  SetBkMode(dc, TRANSPARENT);
}

void CMVButton::DrawLabel(HDC dc, RECT r, UINT format, HANDLE theme, int part, int state) const {
  const std::string text = kx::Window::TextOf(hwnd_);
  if (text.empty()) return;
  format |= PrefixFlag();
  const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  COLORREF colour = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  if (theme) {
    COLORREF themed = 0;
    if (SUCCEEDED(GetThemeColor(theme, part, state, TMT_TEXTCOLOR, &themed))) colour = themed;
  } else if (!enabled) {
    // The classic disabled label: engraved, a light copy one pixel down right.
    RECT shadow = r;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextA(dc, text.c_str(), -1, &shadow, format);
    colour = GetSysColor(COLOR_GRAYTEXT);
  }
  SetTextColor(dc, colour);
  DrawTextA(dc, text.c_str(), -1, &r, format);
}

void CMVButton::PaintPush(HDC dc, const RECT& client, HANDLE theme) const {
  const LRESULT state = SendMessageA(hwnd_, BM_GETSTATE, 0, 0);
  const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  const bool pressed = (state & BST_PUSHED) != 0;
  const bool focused = Focused();
  const bool isDefault = (GetWindowLongA(hwnd_, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  int part = BP_PUSHBUTTON, look = PBS_NORMAL;
  if (!enabled) look = PBS_DISABLED;
  else if (pressed) look = PBS_PRESSED;
  else if (hot_) look = PBS_HOT;
  else if (isDefault || GetFocus() == hwnd_) look = PBS_DEFAULTED;

  RECT face = client;
  if (theme) {
    if (IsThemeBackgroundPartiallyTransparent(theme, part, look)) DrawThemeParentBackground(hwnd_, dc, &face);
    DrawThemeBackground(theme, dc, part, look, &face, nullptr);
  } else {
    if (enabled && (isDefault || GetFocus() == hwnd_)) {
      FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&face, -1, -1);
    }
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  }
  RECT label = client;
  InflateRect(&label, -4, -3);
  if (pressed && !theme) OffsetRect(&label, 1, 1);
  const bool multiLine = (GetWindowLongA(hwnd_, GWL_STYLE) & BS_MULTILINE) != 0;
  UINT format = DT_CENTER | (multiLine ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
  if (multiLine) {
    RECT measure = label;
    DrawTextA(dc, kx::Window::TextOf(hwnd_).c_str(), -1, &measure, format | DT_CALCRECT | PrefixFlag());
    const int spare = (label.bottom - label.top) - (measure.bottom - measure.top);
    if (spare > 0) label.top += spare / 2;
  }
  DrawLabel(dc, label, format, theme, part, look);
  if (focused) {
    RECT ring = client;
    InflateRect(&ring, -4, -4);
    DrawFocusRect(dc, &ring);
  }
}

void CMVButton::PaintCheck(HDC dc, const RECT& client, HANDLE theme, Kind kind) const {
  const LRESULT state = SendMessageA(hwnd_, BM_GETSTATE, 0, 0);
  const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  const bool pressed = (state & BST_PUSHED) != 0;
  const LRESULT check = SendMessageA(hwnd_, BM_GETCHECK, 0, 0);
  const bool radio = kind == Kind::kRadio;
  const int part = radio ? BP_RADIOBUTTON : BP_CHECKBOX;
  // The visual style's states come in groups of four: normal, hot, pressed,
  // disabled; unchecked, checked, then mixed.
  const int group = check == BST_CHECKED ? 1 : (check == BST_INDETERMINATE && !radio ? 2 : 0);
  const int offset = !enabled ? 3 : pressed ? 2 : hot_ ? 1 : 0;
  const int look = 1 + group * 4 + offset;

  SIZE box{kClassicBox, kClassicBox};
  if (theme) GetThemePartSize(theme, dc, part, look, nullptr, TS_TRUE, &box);
  const int height = client.bottom - client.top;
  RECT boxRect{client.left, client.top + (height - box.cy) / 2, client.left + box.cx, 0};
  boxRect.bottom = boxRect.top + box.cy;
  if (theme) {
    DrawThemeBackground(theme, dc, part, look, &boxRect, nullptr);
  } else {
    UINT flags = radio ? DFCS_BUTTONRADIO : (check == BST_INDETERMINATE ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK);
    if (check != BST_UNCHECKED) flags |= DFCS_CHECKED;
    if (!enabled) flags |= DFCS_INACTIVE;
    if (pressed) flags |= DFCS_PUSHED;
    DrawFrameControl(dc, &boxRect, DFC_BUTTON, flags);
  }

  RECT label{boxRect.right + kLabelGap, client.top, client.right, client.bottom};
  const bool multiLine = (GetWindowLongA(hwnd_, GWL_STYLE) & BS_MULTILINE) != 0;
  const UINT format = DT_LEFT | (multiLine ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
  RECT measure = label;
  DrawTextA(dc, kx::Window::TextOf(hwnd_).c_str(), -1, &measure, format | DT_CALCRECT | PrefixFlag());
  if (multiLine) {
    const int spare = height - (measure.bottom - measure.top);
    if (spare > 0) label.top += spare / 2;
  }
  DrawLabel(dc, label, format, theme, part, look);
  if (Focused()) {
    // Around the label only, as the system's check box has it.
    const int textHeight = measure.bottom - measure.top;
    RECT ring{label.left - 1, multiLine ? label.top - 1 : client.top + (height - textHeight) / 2 - 1,
              std::min<LONG>(measure.right + 1, client.right), 0};
    ring.bottom = std::min<LONG>(ring.top + textHeight + 2, client.bottom);
    DrawFocusRect(dc, &ring);
  }
}

void CMVButton::PaintGroup(HDC dc, const RECT& client, HANDLE theme) const {
  const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const std::string text = kx::Window::TextOf(hwnd_);
  RECT label{client.left + 8, client.top, client.right - 8, client.top + metrics.tmHeight};
  RECT measure = label;
  DrawTextA(dc, text.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT | PrefixFlag());
  RECT frame{client.left, client.top + metrics.tmHeight / 2, client.right, client.bottom};
  const int look = enabled ? GBS_NORMAL : GBS_DISABLED;
  // The frame is broken where the caption stands.
  const int saved = SaveDC(dc);
  if (!text.empty())
    ExcludeClipRect(dc, measure.left - 2, measure.top, std::min<LONG>(measure.right + 2, label.right), measure.bottom);
  if (theme)
    DrawThemeBackground(theme, dc, BP_GROUPBOX, look, &frame, nullptr);
  else
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  RestoreDC(dc, saved);
  DrawLabel(dc, label, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS, theme, BP_GROUPBOX, look);
}
