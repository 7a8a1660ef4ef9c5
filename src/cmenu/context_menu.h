#pragma once
// Switching the Explorer context menu on and off from the main program:
// regsvr32.exe registers the extension that matches the system, and the
// program writes the two values the extension reads into its class key.
// Writing there needs administrator rights; without them the program runs an
// elevated copy of itself with /REGCM:"caption" or /UNREGCM.
//
// The main program is 32-bit: every access to the class key asks for the
// 64-bit registry view first and falls back to the default view.
#include <windows.h>

#include "base/context_menu_state.h"

// Fills state from the registry: enabled when the class key exists, the
// caption from CMenuCaption or "Delete By Karvex". True when the key exists.
bool ReadContextMenuState(ContextMenuState& state);

// Whether a run without administrator rights may start an elevated copy of
// the program. The copy itself never may: lacking the rights it would start
// another copy, and so on for ever.
enum class Elevation { kAsk, kNever };

// Makes the registry match state; true on success. The elevated copy's
// prompt is owned by the application's main window, when there is one. With
// Elevation::kNever and no administrator rights it fails with
// kElevationRequired (ERROR_ELEVATION_REQUIRED) as the last error.
constexpr DWORD kElevationRequired = 740;
bool ApplyContextMenuState(ContextMenuState& state);
bool ApplyContextMenuState(ContextMenuState& state, Elevation elevation);

// The system's regsvr32.exe of the system's own width, by full path: the
// 64-bit one from a 32-bit process on 64-bit Windows. False when the system
// folder cannot be named.
bool RegistrarProgramPath(char (&path)[MAX_PATH + 1]);

// Runs regsvr32.exe silently on the extension beside the program; true when
// it exited with code 0.
bool RunRegistrar(bool unregister);

// Whether the process has administrator rights (asked once, cached).
bool IsUserAdmin();

// Whether the system is 64-bit x64 Windows (asked once, cached).
bool IsSystem64();

// The two above for a program at programPath, as if it were this program:
// the extension is looked for in its folder, and its path is what ExePath
// and the elevated start name.
bool ApplyContextMenuStateAt(ContextMenuState& state, const char* programPath, HWND owner,
                             Elevation elevation = Elevation::kAsk);
bool RunRegistrarAt(bool unregister, const char* programPath);
