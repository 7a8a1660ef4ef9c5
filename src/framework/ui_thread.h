#pragma once
// kx::UiThread: a thread that runs windows of its own.
//
// Derive, override InitInstance (build the thread's windows; answer true to
// run the message loop, false to end the thread at once, e.g. after a modal
// dialog has closed) and ExitInstance (clean-up on the thread; its answer is
// the thread's exit code). ExitInstance always runs, whatever InitInstance
// answered.
//
// Lifetime: the creator owns the object. It is not deleted when its thread
// ends; destroy it only after the thread has ended (WaitForExit), since the
// thread works on it until its last instruction. The destructor closes the
// thread handle and never waits.
#include <windows.h>

#include <atomic>

#include "framework/handle.h"

namespace kx {

class UiThread {
 public:
  UiThread() = default;
  virtual ~UiThread() = default;
  UiThread(const UiThread&) = delete;
  UiThread& operator=(const UiThread&) = delete;

  // Makes the thread suspended, so that the creator can hand it what it needs
  // before it runs; Resume starts it. False when it cannot be made.
  bool CreateSuspended(int priority = THREAD_PRIORITY_NORMAL, unsigned stackSize = 0);
  bool Resume();
  // True when the thread has ended within the time (or was never made).
  bool WaitForExit(DWORD milliseconds = INFINITE) const;

  HANDLE ThreadHandle() const { return thread_.Get(); }
  DWORD ThreadId() const { return threadId_; }
  // The window that the thread shows; null before it exists. Any thread may
  // read it; only the thread itself sets it.
  HWND MainWindow() const { return mainWindow_.load(); }
  void SetMainWindow(HWND hwnd) { mainWindow_.store(hwnd); }

  // The UiThread object whose thread is calling; null on other threads.
  static UiThread* Current();

 protected:
  virtual bool InitInstance() = 0;
  virtual int ExitInstance() { return 0; }
  // The message loop after a successful InitInstance: runs until WM_QUIT,
  // with the dialog keys of the main window; answers WM_QUIT's code.
  virtual int Run();

 private:
  static DWORD WINAPI ThreadProc(void* param);

  Handle thread_;
  DWORD threadId_ = 0;
  std::atomic<HWND> mainWindow_{nullptr};
};

// Waits until the thread has ended while the calling thread's windows (and
// any system window that talks to it) are served. A WM_QUIT that arrives
// meanwhile is posted again afterwards instead of ending the wait early, so
// a caller's loop still ends but never under a worker halfway through its work.
void WaitForThread(HANDLE thread);

}  // namespace kx
