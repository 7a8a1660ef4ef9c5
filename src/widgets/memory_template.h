#pragma once
// Dialog templates built in memory, for the widgets that have no resource.
#include <windows.h>

#include <vector>

namespace kx {

// A child dialog template without controls: WS_CHILD | DS_CONTROL |
// DS_SETFONT plus extraStyle, the given size in dialog units, font
// "MS Shell Dlg 2" at 8 points. The storage keeps the template alive.
class ChildDialogTemplate {
 public:
  ChildDialogTemplate(short cx, short cy, DWORD extraStyle = 0);
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

}  // namespace kx
