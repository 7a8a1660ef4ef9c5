#include "ui/app_icon.h"

#include "base/app_ids.h"
#include "framework/module.h"

HICON LoadAppIcon(int size) {
  const UINT flags = LR_SHARED | (size == 0 ? LR_DEFAULTSIZE : 0);
  return static_cast<HICON>(
      LoadImageA(kx::ModuleInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, flags));
}
