#pragma once
// Looking into and tidying up the registry, in a chosen registry view.
#include <windows.h>

#include <string>

namespace kxtest {

// The registry view of the test program's own width.
#ifdef _WIN64
constexpr REGSAM kOwnView = KEY_WOW64_64KEY;
#else
constexpr REGSAM kOwnView = KEY_WOW64_32KEY;
#endif

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

}  // namespace kxtest
