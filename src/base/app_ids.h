#pragma once
// Resources of the application core.
#define IDR_MAINFRAME 128  // application icon
