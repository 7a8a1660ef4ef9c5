#include "widgets/mv_static.h"

#include <string>

#include "framework/window.h"

LRESULT CMVStatic::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      kx::PaintWith(Handle(), [this](HDC dc) { Paint(dc); });
      return 0;
    case WM_ENABLE:
    case WM_SETTEXT: {
      LRESULT result = Default(msg, wp, lp);
      InvalidateRect(Handle(), nullptr, TRUE);
      return result;
    }
    default:
      return Default(msg, wp, lp);
  }
}

void CMVStatic::Paint(HDC dc) {
  HWND hwnd = Handle();
  HWND parent = GetParent(hwnd);
  RECT client{};
  GetClientRect(hwnd, &client);
  // The parent's colour answer gives the background, as for any static.
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_WINDOW));
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, IsWindowEnabled(hwnd) ? GetSysColor(COLOR_WINDOWTEXT) : kDisabledColour);
  const std::string text = kx::Window::TextOf(hwnd);
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  UINT format = DT_WORDBREAK | DT_EDITCONTROL;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if ((style & SS_TYPEMASK) == SS_CENTER) format |= DT_CENTER;
  if ((style & SS_TYPEMASK) == SS_RIGHT) format |= DT_RIGHT;
  DrawTextA(dc, text.c_str(), -1, &client, format);
  if (old) SelectObject(dc, old);
}
