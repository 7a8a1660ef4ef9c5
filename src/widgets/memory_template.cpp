#include "widgets/memory_template.h"

namespace kx {

ChildDialogTemplate::ChildDialogTemplate(short cx, short cy, DWORD extraStyle) {
  DLGTEMPLATE header{};
  header.style = WS_CHILD | DS_CONTROL | DS_SETFONT | extraStyle;
  header.cx = cx;
  header.cy = cy;
  words_.resize(sizeof header / sizeof(WORD));
  memcpy(words_.data(), &header, sizeof header);
  words_.push_back(0);  // no menu
  words_.push_back(0);  // standard dialog class
  words_.push_back(0);  // no title
  words_.push_back(8);  // point size
  for (const char* p = "MS Shell Dlg 2"; *p; ++p) words_.push_back(static_cast<WORD>(*p));
  words_.push_back(0);
}

}  // namespace kx
