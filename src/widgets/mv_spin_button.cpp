#include "widgets/mv_spin_button.h"

#include <commctrl.h>

bool CMVSpinButtonCtrl::AttachWithBuddy(HWND spin, HWND buddy) {
  if (!Attach(spin)) return false;
  SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  return true;
}

void CMVSpinButtonCtrl::SetRange(int lowest, int highest) const {
  SendMessageA(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(lowest), static_cast<LPARAM>(highest));
}

void CMVSpinButtonCtrl::SetPosition(int position) const {
  SendMessageA(Handle(), UDM_SETPOS32, 0, static_cast<LPARAM>(position));
}

int CMVSpinButtonCtrl::Position() const {
  return static_cast<int>(SendMessageA(Handle(), UDM_GETPOS32, 0, 0));
}
