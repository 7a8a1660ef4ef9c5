// A hand-off run of the real program whose block tells of selected items
// that the extension could not hand over: the user hears how many before the
// confirmation, and nothing is destroyed unless the confirmation is answered.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/handoff_mapping.h"
#include "support/process_helpers.h"
#include "support/scratch_folder.h"
#include "support/screenshot.h"
#include "support/window_search.h"

namespace {

using kxtest::DistPath;
using kxtest::Exists;
using kxtest::HandOffMapping;
using kxtest::StartProcess;
using kxtest::WaitFor;
using kxtest::WaitForWindow;
using kxtest::WindowsWithCaption;

constexpr char kConfirmCaption[] = "Confirm Delete - Karvex";

BOOL CALLBACK CollectText(HWND child, LPARAM lp) {
  *reinterpret_cast<std::string*>(lp) += kxtest::WindowText(child) + "\n";
  return TRUE;
}

// Every text a window shows in its controls.
std::string ShownText(HWND window) {
  std::string text;
  EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&text));
  return text;
}

class HandOffRun : public ::testing::Test {
 protected:
  void TearDown() override {
    if (program_.hProcess) {
      if (WaitForSingleObject(program_.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(program_.hProcess, 1);
      CloseHandle(program_.hProcess);
      CloseHandle(program_.hThread);
    }
  }

  // Starts the run and answers its message window, once it shows.
  HWND StartAndWaitForMessage(const HandOffMapping& mapping) {
    if (!StartProcess("\"" + DistPath("KXer.exe") + "\" -TME" + mapping.Name(), program_))
      return nullptr;
    return WaitForWindow(program_.dwProcessId, "Karvex", 20000);
  }

  bool Ends() { return WaitForSingleObject(program_.hProcess, 20000) == WAIT_OBJECT_0; }

  kxtest::ScratchFolder scratch_{"kx-handoff-run"};
  PROCESS_INFORMATION program_ = {};
};

TEST_F(HandOffRun, TellsHowManyItemsStayBeforeItAsksAboutTheRest) {
  const std::string kept = scratch_ / "kept.txt";
  const std::string other = scratch_ / "other.txt";
  for (const std::string& path : {kept, other}) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  HandOffMapping mapping({kept, other}, 3);
  ASSERT_TRUE(mapping.Ok());

  HWND message = StartAndWaitForMessage(mapping);
  ASSERT_NE(message, nullptr) << "the run tells of the items it did not get";
  EXPECT_TRUE(mapping.Taken());
  const std::string text = ShownText(message);
  EXPECT_NE(text.find("3 of the selected items cannot be destroyed"), std::string::npos) << text;
  EXPECT_TRUE(WindowsWithCaption(program_.dwProcessId, kConfirmCaption).empty())
      << "the confirmation comes after the message";
  kxtest::SaveScreenshot(message, "handoff-run-passed-over");
  PostMessageA(message, WM_COMMAND, IDOK, 0);

  HWND confirm = WaitForWindow(program_.dwProcessId, kConfirmCaption, 20000);
  ASSERT_NE(confirm, nullptr) << "then the rest is confirmed as usual";
  EXPECT_NE(ShownText(confirm).find("these 2 items"), std::string::npos) << ShownText(confirm);
  PostMessageA(confirm, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Ends());
  EXPECT_TRUE(Exists(kept)) << "cancelled: nothing is destroyed";
  EXPECT_TRUE(Exists(other));
}

TEST_F(HandOffRun, ASelectionOfWhichNothingArrivedEndsAfterTheMessage) {
  HandOffMapping mapping({}, 2);
  ASSERT_TRUE(mapping.Ok());
  HWND message = StartAndWaitForMessage(mapping);
  ASSERT_NE(message, nullptr) << "the user hears why nothing happens";
  EXPECT_NE(ShownText(message).find("2 of the selected items"), std::string::npos)
      << ShownText(message);
  PostMessageA(message, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Ends()) << "no confirmation for an empty list";
}

}  // namespace
