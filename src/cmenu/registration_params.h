#pragma once
// What the main program hands to regsvr32.exe and to its own elevated copy
// when it switches the Explorer extension on or off. Plain text work, so
// that it can be checked where no elevation prompt can be shown.
#include <cstddef>

#include "base/context_menu_state.h"

// Room for a program path of 260 bytes in double quotes.
constexpr size_t kQuotedPathSize = 263;

// The extension that matches the system, "KXMExt64.dll" on 64-bit x64
// Windows and "KXMExt.dll" otherwise.
const char* ExtensionFileName(bool system64);

// The extension's path in the folder of programPath, in double quotes when it
// holds a blank. False when it does not fit in outSize bytes.
bool ExtensionPathFor(const char* programPath, bool system64, char* out, size_t outSize);

// regsvr32's parameters: " /s ", "/u " when unregistering, the DLL path.
bool RegistrarParameters(bool unregister, const char* dllPath, char* out, size_t outSize);

// The program path as it is stored in ExePath: in double quotes when it holds
// a blank. False when it does not fit.
bool ExePathValue(const char* programPath, char* out, size_t outSize);

// The caption as it is registered: double quotes left out, at most 127
// bytes. The caption reaches the elevated copy inside double quotes, so a
// quote in it would end the value early; leaving quotes out on every path
// keeps what the elevated copy registers equal to what an administrator's
// own run registers.
void CaptionToRegister(const char* caption, char (&out)[128]);

// The exit code of a registration run (/REGCM, /UNREGCM): 0 when the change
// was made, 740 (elevation required) when it failed for lack of rights, 1
// for any other failure.
int RegistrationExitCode(bool applied, bool lackedRights);

// The elevated copy's parameters: " /REGCM:" and the registered caption in
// double quotes when state.enabled is 1, " /UNREGCM" when it is 0.
bool ElevationParameters(const ContextMenuState& state, char* out, size_t outSize);
