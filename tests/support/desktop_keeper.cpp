// Keeps the Wine desktop of a test run open from start to end. Wine closes a
// desktop a second after its last program ends, and a program that starts in
// that second may be given the closing desktop's window and die of an X error
// ("BadWindow") before it shows anything. This program stays on the desktop,
// with a window no one sees, until the run's wineserver is ended.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HWND window =
      CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!window) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
