#pragma once
// What the tests of the Explorer extension and of its registration share:
// running regsvr32, looking into the registry, a scratch folder.
#include <windows.h>

#include <string>

#include "support/process_helpers.h"

namespace kxtest {

#ifdef _WIN64
constexpr REGSAM kOwnView = KEY_WOW64_64KEY;
#else
constexpr REGSAM kOwnView = KEY_WOW64_32KEY;
#endif

constexpr char kClassKey[] = "CLSID\\{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";
constexpr char kApprovedKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kClsidText[] = "{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";

// Runs a command line and answers its exit code, or -1 when it did not start
// or did not end within a minute.
inline int Run(const std::string& commandLine) {
  PROCESS_INFORMATION info = {};
  if (!StartProcess(commandLine, info)) return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(info.hProcess, &code)) {
    code = static_cast<DWORD>(-1);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

inline int Regsvr32(const std::string& arguments) { return Run("regsvr32.exe " + arguments); }

inline bool KeyExists(HKEY root, const std::string& path, REGSAM view = kOwnView) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A string value, or "<none>" when the key or the value is missing.
inline std::string RegString(HKEY root, const std::string& path, const char* name,
                             REGSAM view = kOwnView) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return "<none>";
  }
  char value[1024];
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  LONG error = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (error != ERROR_SUCCESS) return "<none>";
  value[size] = '\0';
  return value;
}

inline void SetRegString(HKEY root, const std::string& path, const char* name,
                         const std::string& value, REGSAM view = kOwnView) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

inline void DeleteRegTree(HKEY root, const std::string& path, REGSAM view = kOwnView) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExA(root, path.c_str(), view, 0);
  }
}

inline bool ReadFileText(const std::string& path, std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  text.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return true;
}

// A fresh folder below the temporary folder (whose path holds no blank
// under Wine), removed with its files when the object goes. name may hold
// a blank.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* name = "kxmext") {
    char temp[MAX_PATH + 1];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount());
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          DeleteFileA((path_ + "\\" + found.cFileName).c_str());
        }
      } while (FindNextFileA(find, &found));
      FindClose(find);
    }
    RemoveDirectoryA(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

}  // namespace kxtest
