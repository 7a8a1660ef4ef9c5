#pragma once
// Everything the program remembers between runs lives in the registry: the
// settings record "Config" and the window states under "States" (current
// user), and the installed version "InternalVersion" (local machine). Each
// call opens its key, reads or writes one value and closes it again.
#include <windows.h>

#include <string>

#include "base/config_record.h"
#include "base/product.h"
#include "base/window_state.h"

constexpr const char* kDefaultSettingsKeyPath = kSettingsKeyPath;

// The key below HKEY_CURRENT_USER (and HKEY_LOCAL_MACHINE for the version)
// that holds the values. Tests point it at a scratch key; null restores the
// default. Not for use while other threads read settings.
void SetSettingsKeyPath(const char* keyPath);
const char* SettingsKeyPath();

// Loads "Config"; true when the stored value was used, false (defaults in the
// record) when it is missing, of another size than 148 bytes or unreadable.
bool LoadConfig(ConfigRecord& record);
// Writes the record as "Config", creating the key; true on success.
bool SaveConfig(const ConfigRecord& record);

// Loads "RandomFill" and "Verify" beside "Config". Each is on when it is a
// REG_DWORD other than 0; missing, of another type or size, it is off.
void LoadShredOptions(ShredOptions& options);
// Writes both as REG_DWORD 0 or 1, creating the key; "Config" is left as it
// is. True on success.
bool SaveShredOptions(const ShredOptions& options);

// Reads the value named record.name under "States" into the stored part; the
// record stays as it was unless exactly 28 bytes were read (answers whether).
bool LoadWindowState(WindowStateRecord& record);
// Writes the stored part as the value named record.name; true on success.
bool SaveWindowState(const WindowStateRecord& record);
// Takes the window's current placement into the record.
bool CaptureWindowState(HWND window, WindowStateRecord& record);
// Places the window as the record says. An empty rectangle (a missing value)
// is not applied, and false tells the caller to choose a position itself.
// ignoreMaximized: the window opens in its normal rectangle in any case.
bool ApplyWindowState(HWND window, const WindowStateRecord& record, bool ignoreMaximized);

// "major.minor.build" from "InternalVersion", never older than 6.0.2.
std::string ReadVersionText();
