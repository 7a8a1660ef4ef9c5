#pragma once
// The folder browser of the widget library: the system's browser for one
// file-system folder, answering it under a name the engine's code-page paths
// reach exactly (ShellPathToAnsi), never under a look-alike.
#include <windows.h>

#include <string>

struct ChosenFolder {
  enum class Result { kCancelled, kChosen, kNoPath, kUnnamed };
  Result result = Result::kCancelled;
  // kChosen: the folder as the engine reaches it (redirection undone; any
  // length, the caller decides).
  std::string path;
  // kNoPath (a virtual folder) and kUnnamed (no exact name): its name for
  // the user.
  std::string shown;
};

// title may be null.
ChosenFolder BrowseForFolder(HWND owner, const char* title);
