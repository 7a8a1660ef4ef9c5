#include "ui/main_logic.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace mainwin {

const char* CommandDescriptionKey(unsigned command) {
  switch (command) {
    case 32771: return "DelFileInfo";
    case 32772: return "DelFolderInfo";
    case 32774: return "OptionsInfo";
    case 32775: return "HelpContentInfo";
    case 32776: return "AboutInfo";
    case 32777: return "DelDrvInfo";
    case 32778: return "DelAllInfo";
    case 32779: return "CMenuInfo";
    case 32783: return "PasswordInfo";
    case 32784: return "LanguageInfo";
    default: return nullptr;
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

bool SanitizeWindowRect(const int32_t stored[4], int minWidth, int minHeight, const Rect& screen, Rect& out) {
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

int SplitOpenFileResult(const char* buffer, size_t size, size_t fileOffset, size_t maxPathBytes,
                        PathSink found, void* context) {
  if (!buffer || size == 0) return 0;
  const size_t first = strnlen(buffer, size);
  if (first == 0 || first == size) return 0;
  // A single selection is one full path; a multiple one puts a terminator
  // right before the first name.
  const bool multiple = fileOffset > 0 && fileOffset <= size && buffer[fileOffset - 1] == '\0';
  int refused = 0;
  if (!multiple) {
    if (first <= maxPathBytes) {
      found(buffer, context);
    } else {
      ++refused;
    }
    return refused;
  }
  std::string folder(buffer, first);
  for (size_t pos = first + 1; pos < size;) {
    size_t len = strnlen(buffer + pos, size - pos);
    if (len == 0 || pos + len == size) break;
    std::string path = folder;
    if (path.back() != '\\') path += '\\';
    path.append(buffer + pos, len);
    if (path.size() <= maxPathBytes) {
      found(path.c_str(), context);
    } else {
      ++refused;
    }
    pos += len + 1;
  }
  return refused;
}

}  // namespace mainwin
