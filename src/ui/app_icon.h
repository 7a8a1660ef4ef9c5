#pragma once
// The program's own icon, for every window that shows it.
#include <windows.h>

// The icon at size pixels square, 0 for the system's default icon size.
// Shared: the system keeps it, nobody destroys it. Null when the module has
// no such icon.
HICON LoadAppIcon(int size = 0);
