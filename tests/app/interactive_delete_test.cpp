// A newcomer's road through the real program: Delete one or more files,
// choose a file, confirm, and the file is destroyed. Closing the main window
// while the job runs (here: stopped at an error prompt) lets the job finish
// before the process ends, and meanwhile a new start is a program of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process_helpers.h"
#include "support/report_window.h"
#include "support/scratch_folder.h"
#include "support/window_search.h"

namespace {

using kxtest::DistPath;
using kxtest::Exists;
using kxtest::AnswerFileDialog;
using kxtest::StartProcess;
using kxtest::WaitFor;
using kxtest::WaitForWindow;

constexpr WPARAM kDeleteFilesCommand = 32771;
constexpr int kTryAgainButton = 1032;

std::string MakeFile(const std::string& folder, const char* name, size_t size) {
  const std::string path = folder + "\\" + name;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  std::vector<char> data(1 << 20, 's');
  for (size_t left = size; left > 0;) {
    DWORD chunk = static_cast<DWORD>(left < data.size() ? left : data.size());
    DWORD written = 0;
    WriteFile(file, data.data(), chunk, &written, nullptr);
    left -= chunk;
  }
  CloseHandle(file);
  return path;
}

// The program after the user chose a file from the main window and
// confirmed: the file is held open without sharing, so that the job stops at
// its error prompt and keeps running until the test lets it go on.
struct JobAtItsPrompt {
  std::string folder;
  std::string victim;
  std::string sentinel;
  PROCESS_INFORMATION program = {};
  HWND main = nullptr;
  HWND prompt = nullptr;
  HANDLE held = INVALID_HANDLE_VALUE;

  ~JobAtItsPrompt() {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    if (program.hProcess) {
      if (WaitForSingleObject(program.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(program.hProcess, 1);
      CloseHandle(program.hProcess);
      CloseHandle(program.hThread);
    }
    DeleteFileA(victim.c_str());
    DeleteFileA(sentinel.c_str());
    RemoveDirectoryA(folder.c_str());
  }

  void Start() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "kx-interactive-" + std::to_string(GetTickCount());
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    victim = MakeFile(folder, "victim.bin", 1u << 20);
    sentinel = MakeFile(folder, "sentinel.txt", 100);

    ASSERT_TRUE(StartProcess("\"" + DistPath("KXer.exe") + "\"", program));
    main = WaitForWindow(program.dwProcessId, "Karvex", 20000);
    ASSERT_NE(main, nullptr);

    PostMessageA(main, WM_COMMAND, kDeleteFilesCommand, 0);
    HWND chooser = WaitForWindow(program.dwProcessId,
                                 "Choose one or more files to delete them with Karvex", 10000);
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(AnswerFileDialog(chooser, victim.c_str()));

    held = CreateFileA(victim.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    HWND confirm = WaitForWindow(program.dwProcessId, "Confirm Delete - Karvex", 10000);
    ASSERT_NE(confirm, nullptr);
    EXPECT_TRUE(Exists(victim)) << "nothing is touched before the user agrees";
    PostMessageA(confirm, WM_COMMAND, IDOK, 0);

    prompt = WaitForWindow(program.dwProcessId, "Error - Karvex", 20000);
    ASSERT_NE(prompt, nullptr);
  }

  // Closes the main window; the process stays for its job.
  void CloseMainWindow() {
    PostMessageA(main, RegisterWindowMessageA("WM_KX_CLOSE"), 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(main); }, 10000));
    EXPECT_EQ(WaitForSingleObject(program.hProcess, 1500), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the process waits for the running job";
  }

  // Lets the job go on: the file is destroyed and the process ends.
  void Finish() {
    CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    PostMessageA(prompt, WM_COMMAND, kTryAgainButton, 0);
    EXPECT_TRUE(kxtest::CloseReport(program.dwProcessId, 60000)) << "the job ends with its report";
    EXPECT_EQ(WaitForSingleObject(program.hProcess, 60000), WAIT_OBJECT_0)
        << "the process ends once the job has ended";
    EXPECT_FALSE(Exists(victim));
    EXPECT_TRUE(Exists(sentinel));
  }
};

TEST(InteractiveRun, ChosenFileIsDestroyedAndClosingWaitsForTheJob) {
  JobAtItsPrompt run;
  ASSERT_NO_FATAL_FAILURE(run.Start());
  ASSERT_NO_FATAL_FAILURE(run.CloseMainWindow());
  EXPECT_TRUE(Exists(run.victim));
  run.Finish();
}

// The first program no longer has a window to bring forward while it only
// finishes its job: a new start must not be sent to it and end unseen.
TEST(InteractiveRun, AStartWhileTheLastWindowIsClosedButItsJobRunsOpensItsOwnWindow) {
  JobAtItsPrompt first;
  ASSERT_NO_FATAL_FAILURE(first.Start());
  ASSERT_NO_FATAL_FAILURE(first.CloseMainWindow());

  PROCESS_INFORMATION second = {};
  ASSERT_TRUE(StartProcess("\"" + DistPath("KXer.exe") + "\"", second));
  HWND window = WaitForWindow(second.dwProcessId, "Karvex", 20000);
  EXPECT_NE(window, nullptr) << "the second start shows its main window";
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindow(first.prompt)) << "the first job is still at its prompt";

  // A third start finds the second one's window, as with any running window.
  EXPECT_TRUE(kxtest::RunToEnd("\"" + DistPath("KXer.exe") + "\"", 20000))
      << "the third start ends after bringing the second forward";

  if (window) PostMessageA(window, RegisterWindowMessageA("WM_KX_CLOSE"), 0, 0);
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 20000), WAIT_OBJECT_0);
  if (WaitForSingleObject(second.hProcess, 0) != WAIT_OBJECT_0)
    TerminateProcess(second.hProcess, 1);
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);

  first.Finish();
}

}  // namespace
