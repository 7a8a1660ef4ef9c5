#include "framework/ui_thread.h"

namespace kx {
namespace {
thread_local UiThread* currentThread = nullptr;
}  // namespace

bool UiThread::CreateSuspended(int priority, unsigned stackSize) {
  if (thread_) return false;
  DWORD id = 0;
  HANDLE h = ::CreateThread(nullptr, stackSize, ThreadProc, this, CREATE_SUSPENDED, &id);
  if (!h) return false;
  thread_.Reset(h);
  threadId_ = id;
  if (priority != THREAD_PRIORITY_NORMAL) ::SetThreadPriority(h, priority);
  return true;
}

bool UiThread::Resume() { return thread_ && ::ResumeThread(thread_.Get()) != static_cast<DWORD>(-1); }

bool UiThread::WaitForExit(DWORD milliseconds) const {
  return !thread_ || ::WaitForSingleObject(thread_.Get(), milliseconds) == WAIT_OBJECT_0;
}

UiThread* UiThread::Current() { return currentThread; }

int UiThread::Run() {
  MSG msg;
  for (;;) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return -1;
    HWND main = MainWindow();
    if (main && ::IsDialogMessageA(main, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

DWORD WINAPI UiThread::ThreadProc(void* param) {
  auto* self = static_cast<UiThread*>(param);
  currentThread = self;
  int code = 0;
  try {
    if (self->InitInstance()) self->Run();
    code = self->ExitInstance();
  } catch (...) {
    code = -1;
  }
  currentThread = nullptr;
  return static_cast<DWORD>(code);
}

void WaitForThread(HANDLE thread) {
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    DWORD exitCode = 0;
    if (!GetExitCodeThread(thread, &exitCode) || exitCode != STILL_ACTIVE) break;
    DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) break;
    if (woke != WAIT_OBJECT_0 + 1) {
      WaitForSingleObject(thread, INFINITE);
      break;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace kx
