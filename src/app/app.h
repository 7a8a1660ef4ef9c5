#pragma once
// The application object: decides from the command line which kind of run
// this is (hand-off, registration, interactive) and runs it to the end. It
// owns the pending list, the settings record of the user interface and the
// context-menu state for the life of the process.
#include <windows.h>

#include <vector>

#include "app/config_record.h"
#include "cmenu/context_menu_state.h"
#include "engine/delete_job.h"
#include "framework/handle.h"

constexpr char kProductName[] = "Karvex";
constexpr char kMutexName[] = "KX_MUTEX";
constexpr char kActivateMessageName[] = "WM_KX_ACTIVEWINDOW";
constexpr char kCloseMessageName[] = "WM_KX_CLOSE";

class CKXApp {
 public:
  CKXApp();
  ~CKXApp();
  CKXApp(const CKXApp&) = delete;
  CKXApp& operator=(const CKXApp&) = delete;

  // The whole program; the process ends when it returns.
  void InitInstance(HINSTANCE instance);
  void ExitInstance();

  // Opens "KXHelp.chm" beside the program through the shell.
  void WinHelp();
  // Forces a window of this process to the foreground.
  static bool BringToFront(HWND window);

  DeleteJob& PendingList() { return pending_; }
  ConfigRecord& Settings() { return settings_; }
  ContextMenuState& MenuState() { return menuState_; }
  HINSTANCE Instance() const { return instance_; }
  HICON Icon() const { return icon_; }
  HBRUSH BackgroundBrush() const { return brush_; }
  HWND MainWindow() const { return mainWindow_; }
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  // Keeps the worker thread of a job started while the main window is open:
  // the interactive run lets every job finish before the process ends, so
  // closing the main window never cuts a job off halfway through a file.
  void KeepWorker(kx::Handle worker);

  // The registered messages of the single-instance protocol.
  static UINT ActivateMessage();
  static UINT CloseMessage();

 private:
  bool HandleRegistrationSwitches(const char* commandLine);
  void LoadStartupState();
  void RunInteractive();
  void WaitForWorkers();

  HINSTANCE instance_ = nullptr;
  HANDLE mutex_ = nullptr;
  DeleteJob pending_;
  ConfigRecord settings_;
  ContextMenuState menuState_;
  HICON icon_ = nullptr;
  HBRUSH brush_ = nullptr;
  HWND mainWindow_ = nullptr;
  std::vector<kx::Handle> workers_;
};

// The one application object of the process.
CKXApp& TheApp();
