#include "base/settings_store.h"

#include <cstring>
#include <string>

#include "base/version_text.h"
#include "framework/handle.h"

namespace {

constexpr char kConfigValue[] = "Config";
constexpr char kRandomFillValue[] = "RandomFill";
constexpr char kVerifyValue[] = "Verify";
constexpr char kStatesKey[] = "States";
constexpr char kVersionValue[] = "InternalVersion";

char g_keyPath[MAX_PATH] = {};
bool g_keyPathSet = false;

const char* KeyPath() { return g_keyPathSet ? g_keyPath : kSettingsKeyPath; }

std::string StatesKeyPath() { return std::string(KeyPath()) + "\\" + kStatesKey; }

// The record's name, terminated even when all 64 bytes are used.
std::string ValueName(const WindowStateRecord& record) {
  return std::string(record.name, strnlen(record.name, sizeof record.name));
}

}  // namespace

void SetSettingsKeyPath(const char* keyPath) {
  if (!keyPath) keyPath = kDefaultSettingsKeyPath;
  size_t length = strnlen(keyPath, sizeof g_keyPath - 1);
  std::memcpy(g_keyPath, keyPath, length);
  g_keyPath[length] = '\0';
  g_keyPathSet = true;
}

const char* SettingsKeyPath() { return KeyPath(); }

bool LoadConfig(ConfigRecord& record) {
  ResetConfig(record);
  kx::RegKey key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, KeyPath(), key.Put()) != ERROR_SUCCESS) return false;
  // Read aside: a failed or oversized query may leave part of a value behind.
  uint8_t stored[sizeof(ConfigRecord) + 1];
  DWORD size = sizeof stored;
  if (RegQueryValueExA(key.Get(), kConfigValue, nullptr, nullptr, stored, &size) != ERROR_SUCCESS)
    return false;
  return ConfigFromStoredBytes(stored, size, record);
}

bool SaveConfig(const ConfigRecord& record) {
  kx::RegKey key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, KeyPath(), key.Put()) != ERROR_SUCCESS) return false;
  return RegSetValueExA(key.Get(), kConfigValue, 0, REG_BINARY,
                        reinterpret_cast<const BYTE*>(&record), sizeof record) == ERROR_SUCCESS;
}

namespace {

// On only for a well-formed DWORD that is not 0: a damaged value must not
// switch on what the user never chose.
uint8_t ReadSwitch(HKEY key, const char* name) {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return 0;
  return value != 0 ? 1 : 0;
}

bool WriteSwitch(HKEY key, const char* name, uint8_t on) {
  const DWORD value = on ? 1 : 0;
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value) == ERROR_SUCCESS;
}

}  // namespace

void LoadShredOptions(ShredOptions& options) {
  options = {};
  kx::RegKey key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, KeyPath(), key.Put()) != ERROR_SUCCESS) return;
  options.randomFill = ReadSwitch(key.Get(), kRandomFillValue);
  options.verify = ReadSwitch(key.Get(), kVerifyValue);
}

bool SaveShredOptions(const ShredOptions& options) {
  kx::RegKey key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, KeyPath(), key.Put()) != ERROR_SUCCESS) return false;
  const bool random = WriteSwitch(key.Get(), kRandomFillValue, options.randomFill);
  const bool verify = WriteSwitch(key.Get(), kVerifyValue, options.verify);
  return random && verify;
}

bool LoadWindowState(WindowStateRecord& record) {
  std::string name = ValueName(record);
  if (name.empty()) return false;
  kx::RegKey key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, StatesKeyPath().c_str(), key.Put()) != ERROR_SUCCESS)
    return false;
  uint8_t stored[kWindowStateStoredSize];
  DWORD size = sizeof stored;
  // Only a value of exactly the stored size is a window state; anything else
  // leaves the template position.
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, stored, &size) != ERROR_SUCCESS ||
      size != sizeof stored)
    return false;
  std::memcpy(StoredPart(record), stored, sizeof stored);
  return true;
}

bool SaveWindowState(const WindowStateRecord& record) {
  std::string name = ValueName(record);
  if (name.empty()) return false;
  kx::RegKey key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, StatesKeyPath().c_str(), key.Put()) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(key.Get(), name.c_str(), 0, REG_BINARY, StoredPart(record),
                        kWindowStateStoredSize) == ERROR_SUCCESS;
}

bool CaptureWindowState(HWND window, WindowStateRecord& record) {
  if (!window || !IsWindow(window)) return false;
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return false;
  const RECT& r = placement.rcNormalPosition;
  record.normalRect = {r.left, r.top, r.right, r.bottom};
  record.maximized =
      placement.showCmd == SW_SHOWMAXIMIZED ||
      (placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED));
  return true;
}

bool ApplyWindowState(HWND window, const WindowStateRecord& record, bool ignoreMaximized) {
  if (!window || !IsWindow(window)) return false;
  bool maximized = !ignoreMaximized && record.maximized;
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return false;
  RECT rect = {record.normalRect.left, record.normalRect.top, record.normalRect.right,
               record.normalRect.bottom};
  if (IsRectEmpty(&rect)) return false;
  placement.rcNormalPosition = rect;
  if (maximized && placement.showCmd != SW_HIDE) placement.showCmd = SW_SHOWMAXIMIZED;
  return SetWindowPlacement(window, &placement) != FALSE;
}

std::string ReadVersionText() {
  DWORD number = kMinimumVersion;
  kx::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS) {
    DWORD stored = 0;
    DWORD size = sizeof stored;
    if (RegQueryValueExA(key.Get(), kVersionValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&stored), &size) == ERROR_SUCCESS &&
        size == sizeof stored)
      number = stored;
    else
      number = 0;
  }
  return VersionText(number);
}
