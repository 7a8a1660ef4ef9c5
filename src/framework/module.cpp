#include "framework/module.h"

#include <cstring>

namespace kx {

bool ModuleFolder(HMODULE module, char (&folder)[MAX_PATH + 1]) {
  folder[0] = '\0';
  DWORD n = GetModuleFileNameA(module, folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    folder[0] = '\0';
    return false;
  }
  char* slash = std::strrchr(folder, '\\');
  if (slash) *slash = '\0';
  return true;
}

}  // namespace kx
