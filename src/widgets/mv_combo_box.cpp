#include "widgets/mv_combo_box.h"

void CMVComboBox::SetEntries(const std::vector<std::string>& texts) const {
  HWND hwnd = Handle();
  if (!hwnd) return;
  const int selected = Selection();
  SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd, CB_RESETCONTENT, 0, 0);
  for (const std::string& text : texts)
    SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (selected >= 0 && selected < Count()) Select(selected);
  SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
}

int CMVComboBox::Count() const { return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0)); }

int CMVComboBox::Selection() const {
  return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0));
}

void CMVComboBox::Select(int index) const { SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
