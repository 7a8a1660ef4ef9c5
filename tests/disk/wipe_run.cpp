// wipe_run <letter> <Unix folder> wipe|cancel|fail|kill|close [screenshots]: makes the
// folder a fixed drive of the running Wine session under the letter, wipes
// that drive's free space from the real program's main window, as a user who
// chooses it and confirms, and removes the drive again. "cancel" cancels the
// wipe once it has written something; "fail" expects the error prompt of a
// write that failed and answers Cancel; "kill" ends the process once the wipe
// has written something, "close" tells the program to close then. Answers 0 only when the wipe
// ended as asked, with its report, and nothing it made is left at the drive's root. The wipe's
// forensic test scans the image afterwards.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "disk/disk_ids.h"
#include "disk/wipe_logic.h"
#include "framework/handle.h"
#include "support/process_helpers.h"
#include "support/report_window.h"
#include "support/scratch_folder.h"
#include "support/screenshot.h"
#include "support/window_search.h"
#include "support/wine_drives.h"

namespace {

constexpr WPARAM kWipeFreeCommand = 32788;
constexpr char kTitle[] = "Wipe Free Space";
constexpr int kMessageText = 0xFFFF;

int Fail(const std::string& what) {
  std::fprintf(stderr, "wipe_run: %s\n", what.c_str());
  return 1;
}

// A window of the process with this caption that holds the control.
HWND WaitForWindowWith(DWORD process, const char* caption, int id, int timeoutMs = 20000) {
  HWND found = nullptr;
  kxtest::WaitFor(
      [&] {
        for (HWND w : kxtest::WindowsWithCaption(process, caption)) {
          if (GetDlgItem(w, id)) found = w;
        }
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

// Where the chooser lists the drive: it offers the fixed and removable
// drives in the order of their letters.
int ChooserIndex(char letter) {
  int index = 0;
  const DWORD drives = GetLogicalDrives();
  for (char l = 'A'; l < letter; ++l) {
    const char root[] = {l, ':', '\\', '\0'};
    if ((drives >> (l - 'A')) & 1 && OfferedForWipe(GetDriveTypeA(root))) ++index;
  }
  return index;
}

std::string AllText(HWND window) {
  std::string text;
  for (HWND item = GetWindow(window, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT))
    text += " [" + kxtest::WindowText(item) + "]";
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

class Program {
 public:
  bool Start() {
    if (!kxtest::StartProcess("\"" + kxtest::DistPath("KXer.exe") + "\"", info_)) return false;
    process_.Reset(info_.hProcess);
    thread_.Reset(info_.hThread);
    return true;
  }
  DWORD Id() const { return info_.dwProcessId; }
  // Ends the process as the system does, with no word to it.
  int Kill() {
    TerminateProcess(process_.Get(), 1);
    WaitForSingleObject(process_.Get(), 30000);
    return 0;
  }
  // Tells the program to close while it wipes: it ends (a report on the way
  // is closed) or it fails.
  int Close() {
    kxtest::ReportCloser reports(info_.dwProcessId);
    for (HWND w : kxtest::WindowsWithCaption(info_.dwProcessId, "Karvex"))
      PostMessageA(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.Get(), 60000) == WAIT_OBJECT_0) return 0;
    TerminateProcess(process_.Get(), 1);
    return Fail("the program did not end when told to close");
  }
  // Closes the main window; false when the program did not end.
  bool End(HWND main) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.Get(), 30000) == WAIT_OBJECT_0) return true;
    TerminateProcess(process_.Get(), 1);
    return false;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  kx::Handle process_;
  kx::Handle thread_;
};

int Wipe(char letter, const std::string& mode, bool screenshots) {
  Program program;
  if (!program.Start()) return Fail("cannot start KXer.exe");
  const DWORD pid = program.Id();
  HWND main = kxtest::WaitForWindow(pid, "Karvex", 60000);
  if (!main) return Fail("no main window");
  PostMessageA(main, WM_COMMAND, kWipeFreeCommand, 0);

  HWND chooser = kxtest::WaitForWindow(pid, "Choose Disk", 20000);
  if (!chooser) return Fail("no disk chooser");
  HWND wipe = WaitForWindowWith(pid, kTitle, IDC_ERASE_PROGRESS);
  if (!wipe) return Fail("no wipe window");
  SendDlgItemMessageA(chooser, IDC_DRIVE_LIST, CB_SETCURSEL, ChooserIndex(letter), 0);
  if (screenshots && mode != "cancel") kxtest::SaveScreenshot(chooser, "wipe-chooser");
  kxtest::Click(chooser, IDOK);

  HWND question = WaitForWindowWith(pid, kTitle, kMessageText);
  if (!question) return Fail("no confirmation");
  const std::string asked = kxtest::ItemText(question, kMessageText);
  const char drive[] = {letter, ':', '\0'};
  if (asked.find(drive) == std::string::npos || asked.find("Free space") == std::string::npos) {
    kxtest::Click(question, IDNO);
    program.End(main);
    return Fail("the confirmation names another drive: " + asked);
  }
  if (screenshots && mode != "cancel") kxtest::SaveScreenshot(question, "wipe-confirm");
  kxtest::Click(question, IDYES);

  int result = 0;
  if (mode == "kill" || mode == "close") {
    HWND bar = GetDlgItem(wipe, IDC_ERASE_PROGRESS);
    if (!kxtest::WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) > 0; }, 60000))
      return Fail("the bar never moved");
    return mode == "kill" ? program.Kill() : program.Close();
  }
  if (mode == "cancel") {
    HWND bar = GetDlgItem(wipe, IDC_ERASE_PROGRESS);
    if (!kxtest::WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) > 0; }, 60000))
      result = Fail("the bar never moved");
    // A wipe under way: the one moment the progress window is seen alone
    // (the cancel run shows nothing else; the plain run the rest).
    if (screenshots) kxtest::SaveScreenshot(wipe, "wipe-progress");
    kxtest::Click(wipe, IDCANCEL);
    HWND ask = WaitForWindowWith(pid, "Karvex", IDYES);
    if (ask)
      kxtest::Click(ask, IDYES);
    else
      result = Fail("no cancel question");
  } else if (mode == "fail") {
    HWND prompt = WaitForWindowWith(pid, kTitle, IDRETRY, 120000);
    if (prompt) {
      std::printf("wipe_run: the prompt said:%s\n", AllText(prompt).c_str());
      if (screenshots) kxtest::SaveScreenshot(prompt, "wipe-error");
      kxtest::Click(prompt, IDCANCEL);
    } else {
      result = Fail("no error prompt");
    }
  }

  // An error prompt in a wipe that should run through would wait for ever.
  HWND report = nullptr;
  kxtest::WaitFor(
      [&] {
        report = kxtest::WaitForReport(pid, 0);
        HWND prompt = mode == "fail" ? nullptr : WaitForWindowWith(pid, kTitle, IDRETRY, 0);
        if (prompt) result = Fail("the wipe stopped at an error prompt:" + AllText(prompt));
        return report || prompt;
      },
      600000);
  if (!report) {
    program.End(main);
    return result ? result : Fail("no report");
  }
  const std::string summary = kxtest::ItemText(report, 1080);
  std::printf("wipe_run: the report said: %s\n", summary.c_str());
  if (screenshots && mode != "cancel") kxtest::SaveScreenshot(report, "wipe-report");
  const char* expected = mode == "cancel" ? "was stopped"
                         : mode == "fail" ? "failed"
                                          : "was overwritten";
  if (summary.find(expected) == std::string::npos)
    result = Fail("the report does not say it " + std::string(expected));
  PostMessageA(report, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  kxtest::WaitFor([&] { return !IsWindow(wipe); }, 20000);
  if (!program.End(main)) result = Fail("the program did not end");
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4)
    return Fail("usage: wipe_run <letter> <Unix folder> wipe|cancel|fail [screenshots]");
  const char letter = static_cast<char>(argv[1][0] & ~0x20);
  if (!kxtest::DefineWineDrive(letter, DRIVE_FIXED, argv[2]))
    return Fail("cannot define the drive");
  const std::string root = std::string(1, letter) + ":\\";
  char fileSystem[MAX_PATH + 1] = {};
  GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                        sizeof fileSystem);
  std::printf("wipe_run: %c: holds %s\n", letter, fileSystem);
  int result = Wipe(letter, argv[3], argc > 4);
  // A killed process may leave its empty folder, which the next wipe takes.
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((root + "KX*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    const std::string folder = root + found.cFileName;
    // The system closes a killed process's handles a moment after it ends.
    const bool empty = kxtest::WaitFor([&] { return kxtest::Listing(folder).empty(); }, 10000);
    std::printf("wipe_run: left at the drive's root: %s (%s)\n", found.cFileName,
                empty ? "empty" : "not empty");
    if (std::string(argv[3]) != "kill" || !empty) result = Fail("the wipe left " + folder);
    FindClose(find);
  }
  kxtest::DefineWineDrive(letter, DRIVE_FIXED, std::string());
  return result;
}
