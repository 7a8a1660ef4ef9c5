#pragma once
// Names the program is known by, to the user, the registry, other instances
// and the extension. Each is written here once.

constexpr char kProductName[] = "Karvex";
// The user's settings, below HKEY_CURRENT_USER.
constexpr char kSettingsKeyPath[] = "Software\\Morvane\\Karvex";
// The switch before the mapping name on a hand-off command line.
constexpr char kHandOffSwitch[] = "-TME";

// The single-instance protocol of the interactive run.
constexpr char kMutexName[] = "KX_MUTEX";
constexpr char kActivateMessageName[] = "WM_KX_ACTIVEWINDOW";
constexpr char kCloseMessageName[] = "WM_KX_CLOSE";
