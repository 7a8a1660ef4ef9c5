#include "app/app.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "app/handoff_receiver.h"
#include "base/path_utils.h"
#include "base/product.h"
#include "base/settings_store.h"
#include "base/version_text.h"
#include "cmenu/context_menu.h"
#include "cmenu/registration_params.h"
#include "framework/module.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"
#include "ui/pass_dlg.h"

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

CKXApp::~CKXApp() { ReleaseJob(pending_); }

UINT CKXApp::ActivateMessage() {
  static const UINT message = RegisterWindowMessageA(kActivateMessageName);
  return message;
}

UINT CKXApp::CloseMessage() {
  static const UINT message = RegisterWindowMessageA(kCloseMessageName);
  return message;
}

void CKXApp::InitInstance(HINSTANCE instance) {
  const char* commandLine = GetCommandLineA();

  uint64_t passedOver = 0;
  const bool handOff = ReceiveHandOff(commandLine, pending_, &passedOver);
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
  // Before anything is shown or destroyed, for hand-off and interactive runs.
  if (!PasswordAccepted(settings_, toolTip_)) return;

  if (handOff) {
    if (passedOver > 0) TellPassedOver(passedOver);
    runner_.StartDeletion(pending_, nullptr);
    return;
  }
  RunInteractive();
  // A second start may open its window while this one's jobs end.
  ReleaseInstanceMutex();
  runner_.WaitForWorkers();
}

void CKXApp::ExitInstance() { ReleaseInstanceMutex(); }

void CKXApp::ReleaseInstanceMutex() {
  if (mutex_) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
  }
}

// Told before the confirmation, so that the user knows that it covers only
// part of the selection, or that nothing of it will be destroyed.
void CKXApp::TellPassedOver(uint64_t count) {
  const std::string text =
      FormatWithArgs(LangText("ErrNotHandedOver"), std::to_string(count).c_str());
  MessageBoxA(nullptr, text.c_str(), LangText("Name"), MB_OK | MB_ICONWARNING);
}

void CKXApp::LoadStartupState() {
  ReadContextMenuState(menuState_);
  LoadConfig(settings_);
  RegisterEnglishTexts(ReadVersionText().c_str());
  TextStore().LoadActiveLanguage();
}

// "/REGCM" (also found inside "/REGCM:") registers, with the caption given
// after "/REGCM:"; "/UNREGCM" unregisters. A registration run ends before the
// password is asked for.
bool CKXApp::HandleRegistrationSwitches(const char* commandLine) {
  char value[kMaxPathBytes + 1];
  if (SwitchValue(commandLine, "/REGCM", value, sizeof value)) {
    menuState_.enabled = 1;
    SwitchValue(commandLine, "/REGCM:", value, sizeof value);
    if (value[0] == '\0') std::strcpy(value, kDefaultMenuCaption);
    value[kMaxMenuCaption] = '\0';
    std::strcpy(menuState_.caption, value);
    ApplyRegistration();
    return true;
  }
  if (SwitchValue(commandLine, "/UNREGCM", value, sizeof value)) {
    menuState_.enabled = 0;
    ApplyRegistration();
    return true;
  }
  return false;
}

// This run may itself be the elevated copy: it never starts another, and
// tells its starter through the exit code whether the change was made.
void CKXApp::ApplyRegistration() {
  const bool applied = ApplyContextMenuState(menuState_, Elevation::kNever);
  const bool lackedRights = !applied && GetLastError() == kElevationRequired;
  exitCode_ = RegistrationExitCode(applied, lackedRights);
}

void CKXApp::RunInteractive() { RunMainWindow(*this); }

void CKXApp::WinHelp() {
  char path[kMaxPathBytes + 1];
  if (!kx::ModuleFolder(nullptr, path)) return;
  if (!PathJoin(path, sizeof path, kHelpFileName)) return;
  ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
}
