// A newcomer's road through the real program: Delete one or more files,
// choose a file, confirm, and the file is destroyed. Closing the main window
// while the job runs (here: stopped at an error prompt) lets the job finish
// before the process ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process_helpers.h"
#include "support/scratch_folder.h"
#include "support/window_search.h"

namespace {

using kxtest::DistPath;
using kxtest::Exists;
using kxtest::FileNameBox;
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

TEST(InteractiveRun, ChosenFileIsDestroyedAndClosingWaitsForTheJob) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "kx-interactive-" + std::to_string(GetTickCount());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string victim = MakeFile(folder, "victim.bin", 1u << 20);
  const std::string sentinel = MakeFile(folder, "sentinel.txt", 100);

  PROCESS_INFORMATION program = {};
  ASSERT_TRUE(StartProcess("\"" + DistPath("KXer.exe") + "\"", program));
  HWND main = WaitForWindow(program.dwProcessId, "Karvex", 20000);
  ASSERT_NE(main, nullptr);

  PostMessageA(main, WM_COMMAND, kDeleteFilesCommand, 0);
  HWND chooser = WaitForWindow(program.dwProcessId,
                               "Choose one or more files to delete them with Karvex", 10000);
  ASSERT_NE(chooser, nullptr);
  HWND name = FileNameBox(chooser);
  ASSERT_NE(name, nullptr);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(victim.c_str()));
  PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));

  // Held open without sharing, the file stops the job at its error prompt.
  HANDLE held = CreateFileA(victim.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  HWND confirm = WaitForWindow(program.dwProcessId, "Confirm Delete - Karvex", 10000);
  ASSERT_NE(confirm, nullptr);
  EXPECT_TRUE(Exists(victim)) << "nothing is touched before the user agrees";
  PostMessageA(confirm, WM_COMMAND, IDOK, 0);

  HWND prompt = WaitForWindow(program.dwProcessId, "Error - Karvex", 20000);
  ASSERT_NE(prompt, nullptr);
  PostMessageA(main, RegisterWindowMessageA("WM_KX_CLOSE"), 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(main); }, 10000));
  EXPECT_EQ(WaitForSingleObject(program.hProcess, 1500), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the process waits for the running job";
  EXPECT_TRUE(Exists(victim));

  CloseHandle(held);
  PostMessageA(prompt, WM_COMMAND, kTryAgainButton, 0);
  EXPECT_EQ(WaitForSingleObject(program.hProcess, 60000), WAIT_OBJECT_0)
      << "the process ends once the job has ended";
  EXPECT_FALSE(Exists(victim));
  EXPECT_TRUE(Exists(sentinel));

  if (WaitForSingleObject(program.hProcess, 0) != WAIT_OBJECT_0)
    TerminateProcess(program.hProcess, 1);
  CloseHandle(program.hProcess);
  CloseHandle(program.hThread);
  DeleteFileA(sentinel.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
