#include "framework/module.h"

#include <atomic>
#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;

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

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

namespace {
std::atomic<HWND> appMainWindow{nullptr};
}  // namespace

HWND AppMainWindow() { return appMainWindow.load(); }

void SetAppMainWindow(HWND hwnd) { appMainWindow.store(hwnd); }

}  // namespace kx
