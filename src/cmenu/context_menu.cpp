#include "cmenu/context_menu.h"

#include <shellapi.h>

#include <atomic>
#include <cstring>

#include "base/folder_test.h"
#include "base/menu_ext_names.h"
#include "base/path_utils.h"
#include "base/registry_view.h"
#include "cmenu/cmenu_panel_logic.h"
#include "cmenu/registration_params.h"
#include "framework/handle.h"
#include "framework/module.h"

namespace {

constexpr DWORD kMaxCaptionRead = 260;

enum : int { kUnknown = 0, kYes = 1, kNo = 2 };

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

LONG SetString(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1));
}

// Starts a program through the shell and waits for it to end without a time
// limit. False when it could not be started or gave no process handle.
bool RunAndWait(SHELLEXECUTEINFOA& info, DWORD* exitCode) {
  info.fMask |= SEE_MASK_NOCLOSEPROCESS;
  if (!ShellExecuteExA(&info) || info.hProcess == nullptr) return false;
  kx::Handle process(info.hProcess);
  WaitForSingleObject(process.Get(), INFINITE);
  return exitCode == nullptr || GetExitCodeProcess(process.Get(), exitCode);
}

bool ProgramPath(char (&path)[MAX_PATH + 1]) {
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return n != 0 && n < MAX_PATH;
}

bool StartElevatedCopy(const ContextMenuState& state, const char* programPath, HWND owner) {
  char parameters[160];
  if (!ElevationParameters(state, parameters, sizeof parameters)) return false;
  SHELLEXECUTEINFOA info = {sizeof info};
  info.hwnd = owner;
  info.lpVerb = "runas";
  info.lpFile = programPath;  // the shell takes the file unquoted
  info.lpParameters = parameters;
  info.nShow = SW_HIDE;
  if (!RunAndWait(info, nullptr)) return false;
  // The copy answers with no exit code of its own; the registry tells
  // whether it did the work.
  ContextMenuState now;
  return ReadContextMenuState(now) == (state.enabled != 0);
}

}  // namespace

bool ReadContextMenuState(ContextMenuState& state) {
  std::memset(&state, 0, sizeof state);
  kx::RegKey key;
  if (OpenKey64OrDefault(HKEY_CLASSES_ROOT, kMenuExtClassKey, KEY_READ, key) != ERROR_SUCCESS) {
    std::strcpy(state.caption, kDefaultMenuCaption);
    return false;
  }
  state.enabled = 1;
  char raw[kMaxCaptionRead + 1];
  DWORD size = kMaxCaptionRead;
  if (RegQueryValueExA(key.Get(), kMenuCaptionValue, nullptr, nullptr, reinterpret_cast<BYTE*>(raw),
                       &size) != ERROR_SUCCESS ||
      size > kMaxCaptionRead) {
    size = 0;
  }
  raw[size] = '\0';
  // A caption stored by someone else may be longer than the panel allows.
  CopyMenuCaption(state.caption, raw, &IsLeadByte);
  if (state.caption[0] == '\0') std::strcpy(state.caption, kDefaultMenuCaption);
  return true;
}

bool IsSystem64() {
  static std::atomic<int> known{kUnknown};
  int answer = known.load();
  if (answer == kUnknown) {
    using NativeInfo = void(WINAPI*)(LPSYSTEM_INFO);
    auto getNativeSystemInfo = reinterpret_cast<NativeInfo>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("Kernel32.dll"), "GetNativeSystemInfo")));
    answer = kNo;
    if (getNativeSystemInfo) {
      SYSTEM_INFO info = {};
      getNativeSystemInfo(&info);
      if (info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64) answer = kYes;
    }
    known.store(answer);
  }
  return answer == kYes;
}

bool IsUserAdmin() {
  static std::atomic<int> known{kUnknown};
  int answer = known.load();
  if (answer != kUnknown) return answer == kYes;

  answer = kNo;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                               DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
    BOOL member = FALSE;
    if (CheckTokenMembership(nullptr, administrators, &member) && member) answer = kYes;
    FreeSid(administrators);
  }
  if (answer != kYes) {
    kx::Handle token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_READ, token.Put())) {
      DWORD type = TokenElevationTypeDefault;
      DWORD size = sizeof type;
      if (GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof type, &size) &&
          type == TokenElevationTypeFull) {
        answer = kYes;
      }
    }
  }
  known.store(answer);
  return answer == kYes;
}

bool RegistrarProgramPath(char (&path)[MAX_PATH + 1]) {
  // A 32-bit process on 64-bit Windows reaches the 64-bit System32 only
  // through its alias; there, GetSystemDirectory names the 32-bit copy.
  if (IsSystem64() && IsWow64()) {
    const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
    if (n != 0 && n < MAX_PATH && PathJoin(path, sizeof path, "Sysnative\\regsvr32.exe") &&
        GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
      return true;
  }
  const UINT n = GetSystemDirectoryA(path, MAX_PATH);
  return n != 0 && n < MAX_PATH && PathJoin(path, sizeof path, "regsvr32.exe");
}

bool RunRegistrarAt(bool unregister, const char* programPath) {
  char registrar[MAX_PATH + 1];
  if (!RegistrarProgramPath(registrar)) return false;
  char dllPath[kQuotedPathSize];
  char parameters[kQuotedPathSize + 8];
  if (!ExtensionPathFor(programPath, IsSystem64(), dllPath, sizeof dllPath) ||
      !RegistrarParameters(unregister, dllPath, parameters, sizeof parameters)) {
    return false;
  }
  SHELLEXECUTEINFOA info = {sizeof info};
  info.fMask = SEE_MASK_FLAG_NO_UI;
  // By full path: a regsvr32.exe in the current folder or early on PATH is
  // not the system's.
  info.lpFile = registrar;
  info.lpParameters = parameters;
  info.nShow = SW_HIDE;
  DWORD exitCode = 1;
  return RunAndWait(info, &exitCode) && exitCode == 0;
}

bool RunRegistrar(bool unregister) {
  char programPath[MAX_PATH + 1];
  return ProgramPath(programPath) && RunRegistrarAt(unregister, programPath);
}

bool ApplyContextMenuStateAt(ContextMenuState& state, const char* programPath, HWND owner,
                             Elevation elevation) {
  char exePath[kQuotedPathSize];
  if (!ExePathValue(programPath, exePath, sizeof exePath)) return false;

  if (!IsUserAdmin()) {
    if (elevation == Elevation::kNever) {
      SetLastError(kElevationRequired);
      return false;
    }
    return StartElevatedCopy(state, programPath, owner);
  }

  const bool registered = RunRegistrarAt(state.enabled == 0, programPath);
  if (state.enabled == 0) return registered;

  // Registering wipes the class key, so the values go in afterwards. They go
  // in even when regsvr32 failed, and the menu then counts as on.
  kx::RegKey key;
  if (CreateKey64OrDefault(HKEY_CLASSES_ROOT, kMenuExtClassKey, KEY_WRITE, key) != ERROR_SUCCESS)
    return false;
  char caption[128];
  CaptionToRegister(state.caption, caption);
  return SetString(key.Get(), kExePathValue, exePath) == ERROR_SUCCESS &&
         SetString(key.Get(), kMenuCaptionValue, caption) == ERROR_SUCCESS;
}

bool ApplyContextMenuState(ContextMenuState& state) {
  return ApplyContextMenuState(state, Elevation::kAsk);
}

bool ApplyContextMenuState(ContextMenuState& state, Elevation elevation) {
  char programPath[MAX_PATH + 1];
  return ProgramPath(programPath) &&
         ApplyContextMenuStateAt(state, programPath, kx::AppMainWindow(), elevation);
}
