#pragma once
// Starting the program (or any other) as a real process under Wine; its
// windows are found with support/window_search.h.
#include <windows.h>

#include <string>

#include "support/wine_paths.h"

namespace kxtest {

// Starts a program with a command line; the caller closes both handles.
inline bool StartProcess(const std::string& commandLine, PROCESS_INFORMATION& info) {
  STARTUPINFOA startup = {sizeof startup};
  std::string line = commandLine;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info) != 0;
}

}  // namespace kxtest
