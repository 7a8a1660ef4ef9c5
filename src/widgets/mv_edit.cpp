#include "widgets/mv_edit.h"

#include <string>

LRESULT CMVEdit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = Default(msg, wp, lp);
  if (msg == WM_NCPAINT && (GetWindowLongA(Handle(), GWL_STYLE) & WS_BORDER)) {
    if (HDC dc = GetWindowDC(Handle())) {
      RECT r{};
      GetWindowRect(Handle(), &r);
      OffsetRect(&r, -r.left, -r.top);
      HBRUSH frame = CreateSolidBrush(kFrameColour);
      FrameRect(dc, &r, frame);
      DeleteObject(frame);
      ReleaseDC(Handle(), dc);
    }
  }
  return result;
}

void CMVEdit::SetLimit(int characters) const {
  SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void CMVEdit::Wipe() const {
  HWND hwnd = Handle();
  if (!hwnd) return;
  const int length = GetWindowTextLengthA(hwnd);
  if (length > 0) {
    // The same length keeps the control's buffer, so the filler lands where
    // the text was.
    std::string filler(static_cast<size_t>(length), 'x');
    SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filler.c_str()));
  }
  SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  SendMessageA(hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
}
