#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                        ICC_LINK_CLASS | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
  CKXApp& app = TheApp();
  app.InitInstance(instance);
  app.ExitInstance();
  OleUninitialize();
  return app.ExitCode();
}
