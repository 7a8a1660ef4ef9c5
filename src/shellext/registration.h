#pragma once
// The registry entries of the extension: written by DllRegisterServer,
// removed by DllUnregisterServer, all from one table. Per machine they go
// under HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE; per user under
// HKEY_CURRENT_USER\Software\Classes and HKEY_CURRENT_USER. Each build
// writes the registry view of its own width, the one that an Explorer of
// that width reads.
#include <windows.h>

// Writes every entry and registers the type library held by the module.
// The class key is wiped first, settings included.
HRESULT RegisterExtension(HMODULE module, bool perUser);
// Removes every entry (the class key with all its values) and the type
// library's registration. Entries that are already gone count as removed.
HRESULT UnregisterExtension(HMODULE module, bool perUser);
