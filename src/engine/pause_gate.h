#pragma once
// The gate a worker passes between two pieces of work. The window's thread
// closes it while the user has paused or is being asked whether to cancel,
// so the worker holds still between two pieces, never inside one, and never
// while holding anything the window needs. A manual-reset event: set while
// the worker may go on.
#include <windows.h>

#include "framework/handle.h"

class PauseGate {
 public:
  PauseGate() : open_(CreateEventA(nullptr, TRUE, TRUE, nullptr)) {}
  // False when the event could not be made; nothing may wait on it then.
  bool Usable() const { return open_.Valid(); }

  void Set(bool open) const {
    if (open)
      SetEvent(open_.Get());
    else
      ResetEvent(open_.Get());
  }
  bool IsOpen() const { return WaitForSingleObject(open_.Get(), 0) == WAIT_OBJECT_0; }
  // Returns once the gate is open, or at once when `abandon` (optional: a
  // thread or event that ends the wait for good) is signalled.
  void Pass(HANDLE abandon = nullptr) const {
    if (IsOpen()) return;
    HANDLE waitFor[2] = {open_.Get(), abandon};
    WaitForMultipleObjects(abandon ? 2 : 1, waitFor, FALSE, INFINITE);
  }

 private:
  kx::Handle open_;
};
