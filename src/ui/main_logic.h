#pragma once
// Decisions of the main window that need no window: which text describes a
// command, where the panels go, and whether a saved window position can be
// used.
#include <cstdint>

#include "base/rect.h"

namespace mainwin {

// Key in section "Menu" of the status-bar description of a task-panel
// command; null for a command without one.
const char* CommandDescriptionKey(unsigned command);

// Height of the tip box for a word-wrapped text of the measured height.
int TipBoxHeight(int textHeight);

// Where the task panel ends and the right-hand panels go, from the client
// rectangle, the task panel's and the status bar's rectangles.
struct PanelLayout {
  int taskPanelHeight;
  Rect rightArea;
};
PanelLayout ComputePanelLayout(const Rect& client, const Rect& taskPanel, const Rect& statusBar);

// A stored normal-position rectangle made safe to apply: at least the minimum
// size, at most the screen's size, and moved onto the screen. False when
// there is nothing usable (empty or inverted), so the caller centres instead.
bool SanitizeWindowRect(const int32_t stored[4], int minWidth, int minHeight, const Rect& screen,
                        Rect& out);

}  // namespace mainwin
