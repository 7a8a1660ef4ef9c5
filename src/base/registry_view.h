#pragma once
// Keys that a 32-bit and a 64-bit program share: the 64-bit view first, then
// the default view where that is refused (32-bit Windows before the flag
// existed).
#include <windows.h>

#include "framework/handle.h"

LONG OpenKey64OrDefault(HKEY root, const char* path, REGSAM access, kx::RegKey& key);
LONG CreateKey64OrDefault(HKEY root, const char* path, REGSAM access, kx::RegKey& key);
