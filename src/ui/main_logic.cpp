#include "ui/main_logic.h"

#include <algorithm>

namespace mainwin {

const char* CommandDescriptionKey(unsigned command) {
  switch (command) {
    case 32771:
      return "DelFileInfo";
    case 32772:
      return "DelFolderInfo";
    case 32774:
      return "OptionsInfo";
    case 32775:
      return "HelpContentInfo";
    case 32776:
      return "AboutInfo";
    case 32777:
      return "DelDrvInfo";
    case 32778:
      return "DelAllInfo";
    case 32779:
      return "CMenuInfo";
    case 32783:
      return "PasswordInfo";
    case 32784:
      return "LanguageInfo";
    default:
      return nullptr;
  }
}

int TipBoxHeight(int textHeight) { return textHeight < 16 ? 26 : textHeight + 10; }

PanelLayout ComputePanelLayout(const Rect& client, const Rect& taskPanel, const Rect& statusBar) {
  const int bottom = statusBar.top + (client.bottom - statusBar.bottom);
  PanelLayout layout;
  layout.taskPanelHeight = bottom - client.top;
  layout.rightArea = {taskPanel.right, 0, client.right, bottom};
  return layout;
}

bool SanitizeWindowRect(const int32_t stored[4], int minWidth, int minHeight, const Rect& screen,
                        Rect& out) {
  // 64-bit arithmetic: a damaged value may hold any four numbers.
  int64_t left = stored[0], top = stored[1], right = stored[2], bottom = stored[3];
  if (right <= left || bottom <= top) return false;
  const int64_t screenW = std::max<int64_t>(screen.Width(), minWidth);
  const int64_t screenH = std::max<int64_t>(screen.Height(), minHeight);
  int64_t width = std::clamp<int64_t>(right - left, minWidth, screenW);
  int64_t height = std::clamp<int64_t>(bottom - top, minHeight, screenH);
  left = std::clamp<int64_t>(left, screen.left, screen.left + screenW - width);
  top = std::clamp<int64_t>(top, screen.top, screen.top + screenH - height);
  out = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
         static_cast<int>(top + height)};
  return true;
}

}  // namespace mainwin
