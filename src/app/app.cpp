#include "app/app.h"

#include <shellapi.h>

#include <cstring>

#include "app/folder_test.h"
#include "app/handoff_receiver.h"
#include "app/path_utils.h"
#include "app/settings_store.h"
#include "app/app_ids.h"
#include "cmenu/context_menu.h"
#include "engine/deleting.h"
#include "framework/module.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"
#include "ui/main_dlg.h"

namespace {

constexpr char kHelpFileName[] = "KXHelp.chm";

void SetDefaultMenuState(ContextMenuState& state) {
  state.enabled = 0;
  std::strcpy(state.caption, kDefaultMenuCaption);
}

}  // namespace

CKXApp& TheApp() {
  static CKXApp app;
  return app;
}

CKXApp::CKXApp() {
  BuildJob(pending_);
  ResetConfig(settings_);
  SetDefaultMenuState(menuState_);
}

CKXApp::~CKXApp() {
  ReleaseJob(pending_);
  if (brush_) DeleteObject(brush_);
}

UINT CKXApp::ActivateMessage() {
  static const UINT message = RegisterWindowMessageA(kActivateMessageName);
  return message;
}

UINT CKXApp::CloseMessage() {
  static const UINT message = RegisterWindowMessageA(kCloseMessageName);
  return message;
}

void CKXApp::InitInstance(HINSTANCE instance) {
  instance_ = instance;
  const char* commandLine = GetCommandLineA();

  const bool handOff = ReceiveHandOff(commandLine, pending_);
  bool registration = false;
  if (!handOff) registration = HandleRegistrationSwitches(commandLine);
  if (!handOff && !registration) {
    mutex_ = CreateMutexA(nullptr, FALSE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      PostMessageA(HWND_BROADCAST, ActivateMessage(), 0, 0);
      return;
    }
  }

  LoadStartupState();
  if (registration) return;

  if (handOff) {
    StartDeletion(pending_, nullptr);
    return;
  }
  RunInteractive();
  WaitForWorkers();
}

void CKXApp::KeepWorker(kx::Handle worker) {
  std::erase_if(workers_, [](const kx::Handle& thread) {
    return WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
  });
  workers_.push_back(std::move(worker));
}

// Their progress windows stay open and can still be paused or cancelled.
void CKXApp::WaitForWorkers() {
  for (kx::Handle& worker : workers_) WaitForThread(worker.Get());
  workers_.clear();
}

void CKXApp::ExitInstance() {
  if (mutex_) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
}

void CKXApp::LoadStartupState() {
  icon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                        0, 0, LR_DEFAULTSIZE | LR_SHARED));
  if (!brush_) brush_ = CreateSolidBrush(RGB(255, 255, 255));
  ReadContextMenuState(menuState_);
  LoadConfig(settings_);
  RegisterEnglishTexts(ReadVersionText().c_str());
  TextStore().LoadActiveLanguage();
}

// "/REGCM" (also found inside "/REGCM:") registers, with the caption given
// after "/REGCM:"; "/UNREGCM" unregisters. Handled before the settings are
// loaded, so neither asks for the password.
bool CKXApp::HandleRegistrationSwitches(const char* commandLine) {
  char value[kMaxPathBytes + 1];
  if (SwitchValue(commandLine, "/REGCM", value, sizeof value)) {
    menuState_.enabled = 1;
    SwitchValue(commandLine, "/REGCM:", value, sizeof value);
    if (value[0] == '\0') std::strcpy(value, kDefaultMenuCaption);
    value[kMaxMenuCaption] = '\0';
    std::strcpy(menuState_.caption, value);
    ApplyContextMenuState(menuState_);
    return true;
  }
  if (SwitchValue(commandLine, "/UNREGCM", value, sizeof value)) {
    menuState_.enabled = 0;
    ApplyContextMenuState(menuState_);
    return true;
  }
  return false;
}

void CKXApp::RunInteractive() {
  RunMainWindow(*this);
  mainWindow_ = nullptr;
}

void CKXApp::WinHelp() {
  char path[kMaxPathBytes + 1];
  if (!kx::ModuleFolder(nullptr, path)) return;
  if (!PathJoin(path, sizeof path, kHelpFileName)) return;
  ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}

bool CKXApp::BringToFront(HWND window) {
  if (!IsWindow(window)) return false;
  SetForegroundWindow(window);
  if (GetForegroundWindow() == window) return true;

  HWND foreground = GetForegroundWindow();
  if (!IsWindow(foreground)) return false;
  if (foreground == window) return true;

  DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
  DWORD ownThread = GetWindowThreadProcessId(window, nullptr);
  if (foregroundThread == 0 || ownThread == 0 || foregroundThread == ownThread) return true;

  DWORD_PTR ignored = 0;
  const bool responsive = SendMessageTimeoutA(foreground, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200,
                                              &ignored) != 0;
  AttachThreadInput(foregroundThread, ownThread, TRUE);
  if (responsive) {
    SetWindowPos(foreground, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOSENDCHANGING);
    Sleep(1);
  }
  SetForegroundWindow(window);
  AttachThreadInput(foregroundThread, ownThread, FALSE);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  InvalidateRect(foreground, nullptr, TRUE);
  return true;
}
