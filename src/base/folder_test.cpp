#include "base/folder_test.h"

#include <cstring>

#include "base/ansi_text.h"
#include "base/path_utils.h"

namespace {

using DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using RevertRedirectionFn = BOOL(WINAPI*)(PVOID);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// Older systems lack these functions, so they are looked up by name, once.
struct Redirection {
  DisableRedirectionFn disable = nullptr;
  RevertRedirectionFn revert = nullptr;
  bool wow64 = false;
};

const Redirection& TheRedirection() {
  static const Redirection redirection = [] {
    Redirection r;
    HMODULE kernel = GetModuleHandleA("Kernel32.dll");
    r.disable = Lookup<DisableRedirectionFn>(kernel, "Wow64DisableWow64FsRedirection");
    r.revert = Lookup<RevertRedirectionFn>(kernel, "Wow64RevertWow64FsRedirection");
    BOOL wow64 = FALSE;
    if (auto isWow64 = Lookup<IsWow64ProcessFn>(kernel, "IsWow64Process"))
      r.wow64 = isWow64(GetCurrentProcess(), &wow64) && wow64;
    return r;
  }();
  return redirection;
}

}  // namespace

bool IsWow64() { return TheRedirection().wow64; }

Wow64RedirectionOff::Wow64RedirectionOff() {
  const Redirection& r = TheRedirection();
  if (r.wow64 && r.disable && r.revert) active_ = r.disable(&old_) != FALSE;
}

Wow64RedirectionOff::~Wow64RedirectionOff() {
  if (active_) TheRedirection().revert(old_);
}

bool IsFolder(const char* path) {
  // Asked by its long name: "report." is not "report", which may be a folder.
  const std::wstring name = LongPathOf(path);
  if (name.empty()) return false;
  DWORD attributes;
  {
    Wow64RedirectionOff redirectionOff;
    attributes = GetFileAttributesW(name.c_str());
  }
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string UnredirectedName(const char* shown) {
  if (!shown) return {};
  char windows[MAX_PATH + 1] = "";
  const UINT length = IsWow64() ? GetSystemWindowsDirectoryA(windows, sizeof windows) : 0;
  if (length == 0 || length >= sizeof windows) return shown;
  // The answer is never longer than what was shown.
  std::string name(std::strlen(shown) + 1, '\0');
  if (!UnredirectedPath(shown, windows, name.data(), name.size())) return shown;
  name.resize(std::strlen(name.c_str()));
  return name;
}
