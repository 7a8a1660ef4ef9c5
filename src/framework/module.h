#pragma once
#include <windows.h>

namespace kx {

// The folder of a module's file (of the program when module is null), without
// a trailing backslash; empty when it cannot be found. At most 260 bytes.
bool ModuleFolder(HMODULE module, char (&folder)[MAX_PATH + 1]);

}  // namespace kx
