#pragma once
#include <windows.h>

namespace kx {

// The folder of a module's file (of the program when module is null), without
// a trailing backslash; empty when it cannot be found. At most 260 bytes.
bool ModuleFolder(HMODULE module, char (&folder)[MAX_PATH + 1]);

// The module that holds this code (the program, or the extension DLL): dialog
// templates, icons, the animation and strings are loaded from it.
HINSTANCE ModuleInstance();

// The application's main window: the one window that owns the prompts of the
// user interface thread. Null until the main window exists, and in runs
// without one (the hand-off run). Readable from any thread.
HWND AppMainWindow();
void SetAppMainWindow(HWND hwnd);

}  // namespace kx
