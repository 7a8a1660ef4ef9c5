#pragma once
// Resources of the context-menu extension.

#define IDR_TYPELIB 1
#define IDB_MENU_BROOM15 201  // 15 x 15, 32 bits per pixel
#define IDB_MENU_BROOM13 202  // 13 x 13, 8 bits per pixel, for systems before version 6
