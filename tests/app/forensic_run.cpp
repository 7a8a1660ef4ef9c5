// forensic_run <path>...: destroys the paths through a hand-off run of the
// real program, as a user who confirms, and answers 0 only when the run ended
// without an error prompt and none of the paths is left. The forensic test
// scans the disk afterwards; this part only gets the job done.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/handoff_mapping.h"
#include "support/process_helpers.h"
#include "support/report_window.h"
#include "support/scratch_folder.h"
#include "support/window_search.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "forensic_run: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: forensic_run <path>...");
  std::vector<std::string> paths(argv + 1, argv + argc);
  for (const std::string& path : paths)
    if (!kxtest::Exists(path)) return Fail(("not there before the run: " + path).c_str());

  kxtest::HandOffMapping mapping(paths);
  if (!mapping.Ok()) return Fail("cannot make the hand-off block");
  PROCESS_INFORMATION program = {};
  if (!kxtest::StartProcess("\"" + kxtest::DistPath("KXer.exe") + "\" -TME" + mapping.Name(),
                            program))
    return Fail("cannot start KXer.exe");
  kx::Handle process(program.hProcess);
  kx::Handle thread(program.hThread);

  HWND confirm = kxtest::WaitForWindow(program.dwProcessId, "Confirm Delete - Karvex", 30000);
  if (!confirm) return Fail("no confirmation appeared");
  PostMessageA(confirm, WM_COMMAND, IDOK, 0);
  // The run ends with its report, closed here at once.
  kxtest::ReportCloser reports(program.dwProcessId);

  // A prompt would wait for an answer forever: it is a failure of its own,
  // told as such rather than as a time-out.
  HWND prompt = nullptr;
  const bool ended = kxtest::WaitFor(
      [&] {
        const auto prompts = kxtest::WindowsWithCaption(program.dwProcessId, "Error - Karvex");
        prompt = prompts.empty() ? nullptr : prompts.front();
        return prompt || WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
      },
      60000);
  if (prompt) {
    // What it says tells which step failed.
    std::string text;
    for (HWND item = GetWindow(prompt, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT))
      text += " [" + kxtest::WindowText(item) + "]";
    return Fail(("the run stopped at an error prompt:" + text).c_str());
  }
  if (!ended) return Fail("the run did not end within 60 s");

  int left = 0;
  for (const std::string& path : paths)
    if (kxtest::Exists(path)) {
      std::fprintf(stderr, "forensic_run: still there after the run: %s\n", path.c_str());
      ++left;
    }
  return left == 0 ? 0 : 1;
}
