#include "cmenu/cmenu_panel_logic.h"

#include <cstring>

bool CMenuOkEnabled(const ContextMenuState& state, bool ticked, const char* caption) {
  if (!caption) caption = "";
  const bool enabled = state.enabled != 0;
  const bool changed = ticked != enabled || std::strncmp(caption, state.caption, sizeof(state.caption)) != 0;
  if (!(enabled || ticked) || !changed) return false;
  return !(ticked && caption[0] == '\0');
}

void CopyMenuCaption(char (&target)[128], const char* text, CaptionLeadByteTest isLeadByte) {
  size_t n = 0;
  if (text) {
    while (text[n] && n < kMaxMenuCaption) {
      bool lead = isLeadByte && isLeadByte(static_cast<unsigned char>(text[n]));
      size_t width = lead && text[n + 1] ? 2 : 1;
      if (n + width > kMaxMenuCaption) break;
      n += width;
    }
    std::memcpy(target, text, n);
  }
  target[n] = '\0';
}
