// Whole jobs under Wine: the worker destroys real files while the progress
// window runs on its own thread, and the test plays the user.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "base/settings_store.h"
#include "engine/shred_support.h"
#include "framework/handle.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"
#include "support/process_helpers.h"
#include "support/report_window.h"
#include "support/screenshot.h"
#include "support/window_search.h"
#include "support/wine_paths.h"
#include "ui/deleting.h"
#include "ui/deleting_ids.h"
#include "ui/prompt_ids.h"
#include "widgets/report_ids.h"

namespace {

constexpr char kRunning[] = "Deleting - Karvex";
constexpr char kPaused[] = "Paused - Karvex";
constexpr char kQuestionCaption[] = "Karvex";
constexpr char kErrorCaption[] = "Error - Karvex";
constexpr char kConfirmCaption[] = "Confirm Delete - Karvex";
// Large enough that a job lasts a few seconds under Wine.
constexpr int64_t kBigFile = 256ll << 20;
constexpr uint8_t kFill = 0xFE;

class JobWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::once_flag once;
    std::call_once(once, [] { RegisterEnglishTexts(nullptr); });
    keyPath_ = "Software\\KarvexTests\\progress-" + std::to_string(GetCurrentProcessId());
    SetSettingsKeyPath(keyPath_.c_str());
  }
  void TearDown() override {
    SetSettingsKeyPath(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, keyPath_.c_str());
  }
  std::string keyPath_;
  kxtest::ScratchFolder dir_;
};

// The tests of the progress window: each job's report is closed as soon as
// it appears.
class DeletingTest : public JobWindowTest {
 protected:
  kxtest::ReportCloser reports_;
};

class PendingList {
 public:
  PendingList() { BuildJob(job); }
  ~PendingList() { ReleaseJob(job); }
  void Add(const std::string& path) {
    ASSERT_NE(AddTopLevelItem(job, path.c_str(), nullptr), nullptr) << path;
  }
  void AddFolder(const std::string& path) {
    ASSERT_NE(AddTopLevelItem(job, path.c_str(), [](const char*) { return true; }), nullptr)
        << path;
  }
  DeleteJob job;
};

// A file of zero bytes of the given length, made without writing them.
bool MakeZeroFile(const std::string& path, int64_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end;
  end.QuadPart = size;
  bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// How a half-shredded file looks: the length of the overwritten part at its
// start, and whether everything behind it is still the original zero bytes.
struct ShredState {
  int64_t overwritten = 0;
  bool restUntouched = true;
};
ShredState ReadShredState(const std::string& path) {
  ShredState state;
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {-1, false};
  std::string block(1 << 20, '\0');
  bool inFill = true;
  DWORD got = 0;
  while (ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i) {
      uint8_t byte = static_cast<uint8_t>(block[i]);
      if (inFill && byte == kFill) {
        ++state.overwritten;
        continue;
      }
      inFill = false;
      if (byte != 0) state.restUntouched = false;
    }
  }
  CloseHandle(file);
  return state;
}

int BarPosition(HWND window) {
  return static_cast<int>(SendMessageA(GetDlgItem(window, IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

// The question box asked on the progress thread, and whether it shows `text`.
HWND WaitForQuestion(HWND progress, const std::string& text) {
  HWND found = nullptr;
  kxtest::WaitFor([&] {
    for (HWND w : kxtest::WindowsWithCaption(kQuestionCaption)) {
      if (GetWindow(w, GW_OWNER) != progress) continue;
      for (HWND child = GetWindow(w, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (kxtest::WindowText(child) == text) found = w;
      }
    }
    return found != nullptr;
  });
  return found;
}

// Pauses the job once it is writing; answers the bar position it stopped at.
int PauseWhileWriting(HWND window) {
  EXPECT_TRUE(kxtest::WaitFor([&] { return BarPosition(window) > 4000; }));
  kxtest::Click(window, IDC_PAUSE);
  EXPECT_TRUE(kxtest::WaitFor([&] { return kxtest::WindowText(window) == kPaused; }));
  // The worker stops at its next report, at most one chunk later.
  Sleep(300);
  return BarPosition(window);
}

TEST_F(DeletingTest, PauseHoldsTheWritesAndResumeGoesOn) {
  std::string big = dir_ / "big.bin";
  ASSERT_TRUE(MakeZeroFile(big, kBigFile));
  PendingList pending;
  pending.Add(big);
  bool started = false;
  std::thread worker([&] { started = DeletionRunner().StartWorker(pending.job, nullptr); });

  HWND window = kxtest::WaitForWindow(kRunning);
  ASSERT_TRUE(window);
  EXPECT_EQ(kxtest::ItemText(window, IDC_PAUSE), "&Pause");
  EXPECT_EQ(kxtest::ItemText(window, IDCANCEL), "&Cancel");
  int held = PauseWhileWriting(window);
  EXPECT_EQ(kxtest::ItemText(window, IDC_PAUSE), "&Resume");
  kxtest::SaveScreenshot(window, "progress_paused");
  Sleep(700);
  EXPECT_EQ(BarPosition(window), held) << "the job went on while paused";
  EXPECT_LT(held, 0xFFFF);

  kxtest::Click(window, IDC_PAUSE);
  EXPECT_TRUE(kxtest::WaitFor([&] { return kxtest::WindowText(window) == kRunning; }));
  EXPECT_EQ(kxtest::ItemText(window, IDC_PAUSE), "&Pause");
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(window) || BarPosition(window) > held; }));
  if (IsWindow(window)) kxtest::SaveScreenshot(window, "progress_running");
  worker.join();
  EXPECT_TRUE(started);
  EXPECT_FALSE(kxtest::Exists(big));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(DeletingTest, CancelAsksFromButtonEscapeAndCloseBoxNoKeepsThePauseYesStops) {
  std::string big = dir_ / "big.bin";
  ASSERT_TRUE(MakeZeroFile(big, kBigFile));
  PendingList pending;
  pending.Add(big);
  std::thread worker([&] { DeletionRunner().StartWorker(pending.job, nullptr); });

  HWND window = kxtest::WaitForWindow(kRunning);
  ASSERT_TRUE(window);
  int held = PauseWhileWriting(window);
  const std::string ask = TextStore().GetText("AskCancel", "Global");

  // Cancel button, answered No: still there, still paused, still holding.
  kxtest::Click(window, IDCANCEL);
  HWND question = WaitForQuestion(window, ask);
  ASSERT_TRUE(question);
  kxtest::SaveScreenshot(question, "progress_cancel_question");
  kxtest::Click(question, IDNO);
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(question); }));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(kxtest::WindowText(window), kPaused);
  EXPECT_EQ(kxtest::ItemText(window, IDC_PAUSE), "&Resume");

  // Esc asks the same, answered No.
  PostMessageA(GetDlgItem(window, IDC_PAUSE), WM_KEYDOWN, VK_ESCAPE, 1);
  question = WaitForQuestion(window, ask);
  ASSERT_TRUE(question);
  kxtest::Click(question, IDNO);
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(question); }));
  Sleep(300);
  EXPECT_EQ(BarPosition(window), held);
  EXPECT_EQ(kxtest::WindowText(window), kPaused);

  // The close box asks the same, answered Yes: the paused job stops.
  PostMessageA(window, WM_CLOSE, 0, 0);
  question = WaitForQuestion(window, ask);
  ASSERT_TRUE(question);
  kxtest::Click(question, IDYES);
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(window); }));
  worker.join();

  // The file keeps its name and length; it was overwritten as far as the bar
  // had come when the job was paused (give or take a chunk), and no further.
  ASSERT_EQ(FileSize(big), kBigFile);
  ShredState state = ReadShredState(big);
  EXPECT_TRUE(state.restUntouched);
  int64_t atPause = static_cast<int64_t>(static_cast<double>(held) / 65535.0 * kBigFile);
  EXPECT_GT(state.overwritten, 0);
  EXPECT_LE(std::llabs(state.overwritten - atPause), 2 * 0xFE00 + kBigFile / 65535 + 1)
      << "overwritten " << state.overwritten << " bar at " << atPause;
}

TEST_F(DeletingTest, TwoJobsAtOnceShowTwoProgressWindows) {
  std::string first = dir_ / "first.bin", second = dir_ / "second.bin";
  ASSERT_TRUE(MakeZeroFile(first, 4096));
  ASSERT_TRUE(MakeZeroFile(second, 4096));
  // Held without sharing, each file stops its job at the error prompt, so
  // both jobs are certainly running at the same moment.
  HANDLE locks[2];
  for (int i = 0; i < 2; ++i) {
    locks[i] = CreateFileA((i ? second : first).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(locks[i], INVALID_HANDLE_VALUE);
  }
  HWND mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
  // Keeps the two workers, as the application's runner does.
  DeletionRunner runner;
  // A failed check below must not leave a worker at its prompt, where the
  // runner would wait for it for ever.
  kx::ScopeExit release([&] {
    for (HANDLE& lock : locks) {
      if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
      lock = INVALID_HANDLE_VALUE;
    }
    for (HWND open : kxtest::WindowsWithCaption(kErrorCaption)) PostMessageA(open, WM_CLOSE, 0, 0);
  });
  {
    // With a main window the start returns at once and the list is free.
    PendingList pending;
    pending.Add(first);
    EXPECT_TRUE(runner.StartWorker(pending.job, mainWindow));
    ClearJob(pending.job);
    pending.Add(second);
    EXPECT_TRUE(runner.StartWorker(pending.job, mainWindow));
  }
  std::vector<HWND> windows, prompts;
  EXPECT_TRUE(kxtest::WaitFor(
      [&] {
        windows = kxtest::WindowsWithCaption(kRunning);
        prompts = kxtest::WindowsWithCaption(kErrorCaption);
        return windows.size() == 2 && prompts.size() == 2;
      },
      30000));
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_NE(GetWindowThreadProcessId(windows[0], nullptr),
            GetWindowThreadProcessId(windows[1], nullptr));
  for (HANDLE& lock : locks) {
    CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
  }
  for (HWND prompt : prompts) PostMessageA(prompt, WM_COMMAND, kAnswerTryAgain, 0);
  EXPECT_TRUE(kxtest::WaitFor(
      [&] {
        return !kxtest::Exists(first) && !kxtest::Exists(second) &&
               kxtest::WindowsWithCaption(kRunning).empty();
      },
      60000));
  runner.WaitForWorkers();
  DestroyWindow(mainWindow);
}

std::string SystemText(DWORD code) {
  char text[512] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  return text;
}

// A folder with a file that another handle holds without sharing, and one
// free file.
struct LockedFolder {
  explicit LockedFolder(const kxtest::ScratchFolder& dir)
      : folder(dir / "work"), locked(folder + "\\locked.dat"), free(folder + "\\free.dat") {
    CreateDirectoryA(folder.c_str(), nullptr);
    kxtest::WriteBytes(locked, "precious");
    kxtest::WriteBytes(free, "free content");
    lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~LockedFolder() { Unlock(); }
  void Unlock() {
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
  }
  std::string folder, locked, free;
  HANDLE lock;
};

HWND WaitForNewPrompt(HWND previous) {
  HWND found = nullptr;
  kxtest::WaitFor([&] {
    auto prompts = kxtest::WindowsWithCaption(kErrorCaption);
    found = prompts.empty() || prompts.front() == previous ? nullptr : prompts.front();
    return found != nullptr;
  });
  return found;
}

// A job on a locked folder, started without a main window (so on a thread of
// its own here) and stopped at its first error prompt. The worker is joined
// at the latest when the test ends; a prompt still open then is cancelled.
struct JobAtPrompt {
  explicit JobAtPrompt(const kxtest::ScratchFolder& dir) : work(dir) {
    if (work.lock == INVALID_HANDLE_VALUE) return;
    pending.AddFolder(work.folder);
    worker = std::thread([this] { DeletionRunner().StartWorker(pending.job, nullptr); });
    prompt = WaitForNewPrompt(nullptr);
  }
  ~JobAtPrompt() {
    for (HWND open : kxtest::WindowsWithCaption(kErrorCaption)) PostMessageA(open, WM_CLOSE, 0, 0);
    Join();
  }
  void Join() {
    if (worker.joinable()) worker.join();
  }
  LockedFolder work;
  PendingList pending;
  std::thread worker;
  HWND prompt = nullptr;
};

TEST_F(DeletingTest, ErrorPromptNamesTheItemHoldsTheWindowAndTryAgainRepeats) {
  JobAtPrompt job(dir_);
  LockedFolder& work = job.work;
  ASSERT_NE(work.lock, INVALID_HANDLE_VALUE);

  HWND prompt = job.prompt;
  ASSERT_TRUE(prompt);
  HWND progress = GetWindow(prompt, GW_OWNER);
  EXPECT_EQ(kxtest::WindowText(progress), kRunning);
  EXPECT_FALSE(IsWindowEnabled(progress)) << "Pause and Cancel must wait for the answer";
  std::string expected =
      "Cannot delete 'locked.dat':\r\n\r\n" + SystemText(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(kxtest::ItemText(prompt, IDC_PROMPT_TEXT), expected);
  kxtest::SaveScreenshot(prompt, "progress_error_prompt");

  // Still locked: Try Again fails again and asks again.
  kxtest::Click(prompt, IDC_TRY_AGAIN);
  HWND again = WaitForNewPrompt(prompt);
  ASSERT_TRUE(again);
  // Free now: Try Again destroys it, and with it the folder.
  work.Unlock();
  kxtest::Click(again, IDC_TRY_AGAIN);
  job.Join();
  EXPECT_FALSE(kxtest::Exists(work.folder));
  EXPECT_TRUE(IsWindowEnabled(progress) || !IsWindow(progress));
}

TEST_F(DeletingTest, SkipLeavesTheLockedItemAndItsFolderAndDestroysTheRest) {
  JobAtPrompt job(dir_);
  LockedFolder& work = job.work;
  ASSERT_NE(work.lock, INVALID_HANDLE_VALUE);
  HWND prompt = job.prompt;
  ASSERT_TRUE(prompt);
  kxtest::Click(prompt, IDC_SKIP);
  job.Join();
  work.Unlock();
  EXPECT_EQ(kxtest::ReadBytes(work.locked), "precious");
  EXPECT_FALSE(kxtest::Exists(work.free));
  EXPECT_TRUE(kxtest::Exists(work.folder));
}

TEST_F(DeletingTest, PausedWhileAPromptIsOpenThePromptStillAnswersAndTheJobThenHolds) {
  JobAtPrompt job(dir_);
  LockedFolder& work = job.work;
  ASSERT_NE(work.lock, INVALID_HANDLE_VALUE);
  HWND prompt = job.prompt;
  ASSERT_TRUE(prompt);
  HWND progress = GetWindow(prompt, GW_OWNER);
  // The window is disabled for the user, but a pause may already be on its
  // way when the step fails.
  PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDC_PAUSE, BN_CLICKED), 0);
  ASSERT_TRUE(kxtest::WaitFor([&] { return kxtest::WindowText(progress) == kPaused; }));
  kxtest::Click(prompt, IDC_SKIP);
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(prompt); })) << "the prompt must not freeze";
  Sleep(500);
  EXPECT_TRUE(IsWindow(progress)) << "a paused job must not run to its end";
  EXPECT_EQ(kxtest::WindowText(progress), kPaused);
  PostMessageA(progress, WM_COMMAND, MAKEWPARAM(IDC_PAUSE, BN_CLICKED), 0);
  job.Join();
  EXPECT_FALSE(IsWindow(progress));
  work.Unlock();
  EXPECT_EQ(kxtest::ReadBytes(work.locked), "precious");
}

TEST_F(DeletingTest, CancelInTheErrorPromptEndsTheJobAndItsWindow) {
  JobAtPrompt job(dir_);
  LockedFolder& work = job.work;
  ASSERT_NE(work.lock, INVALID_HANDLE_VALUE);
  HWND prompt = job.prompt;
  ASSERT_TRUE(prompt);
  HWND progress = GetWindow(prompt, GW_OWNER);
  PostMessageA(prompt, WM_CLOSE, 0, 0);
  job.Join();
  EXPECT_FALSE(IsWindow(progress));
  work.Unlock();
  EXPECT_EQ(kxtest::ReadBytes(work.locked), "precious");
  EXPECT_TRUE(kxtest::Exists(work.folder));
}

TEST_F(DeletingTest, WithoutAMainWindowTheStartReturnsOnlyWhenTheJobHasEnded) {
  std::string file = dir_ / "report.doc";
  const int64_t size = 64ll << 20;
  ASSERT_TRUE(MakeZeroFile(file, size));
  PendingList pending;
  pending.Add(file);

  // Declined: nothing happens.
  std::thread decline([] {
    HWND confirm = kxtest::WaitForWindow(kConfirmCaption);
    if (confirm) kxtest::Click(confirm, IDCANCEL);
  });
  EXPECT_FALSE(DeletionRunner().StartDeletion(pending.job, nullptr));
  decline.join();
  EXPECT_EQ(FileSize(file), size);
  EXPECT_EQ(ReadShredState(file).overwritten, 0);

  // Confirmed: the job runs with its window, and is over on return.
  bool sawProgress = false;
  std::thread accept([&] {
    HWND confirm = kxtest::WaitForWindow(kConfirmCaption);
    if (confirm) kxtest::Click(confirm, IDOK);
    sawProgress = kxtest::WaitForWindow(kRunning, 5000) != nullptr;
  });
  EXPECT_TRUE(DeletionRunner().StartDeletion(pending.job, nullptr));
  EXPECT_FALSE(kxtest::Exists(file));
  EXPECT_TRUE(kxtest::WindowsWithCaption(kRunning).empty());
  accept.join();
  EXPECT_TRUE(sawProgress);
  // The pending list is the caller's and stays as it was.
  EXPECT_EQ(CountItems(pending.job), 1u);
}

// The counts in the folder label while the walk runs ("Total 1.2 MB found in
// 345 files."): the number of files, or -1 when the label shows none.
long long CountInLabel(HWND window) {
  const std::string label = kxtest::ItemText(window, IDC_FOLDER_LABEL);
  const size_t in = label.find(" in ");
  if (in == std::string::npos) return -1;
  return std::atoll(label.c_str() + in + 4);
}

TEST_F(DeletingTest, TheWalkOfALargeTreeShowsItsCountsAndCancelsAtOnce) {
  // 400,000 files laid out by tests/ui/make-walk-tree.
  const std::string tree = "Z:" KX_WALK_TREE;
  const std::string sample = tree + "\\d399\\f999";
  ASSERT_TRUE(kxtest::Exists(sample));
  PendingList pending;
  pending.AddFolder(tree);
  std::thread worker([&] { DeletionRunner().StartWorker(pending.job, nullptr); });

  HWND window = kxtest::WaitForWindow(kRunning);
  ASSERT_TRUE(window);
  long long first = -1, later = -1;
  EXPECT_TRUE(kxtest::WaitFor([&] { return (first = CountInLabel(window)) > 0; }));
  EXPECT_TRUE(kxtest::WaitFor([&] { return (later = CountInLabel(window)) > first; }))
      << "the counts stood still at " << first;
  kxtest::SaveScreenshot(window, "progress_preparing");
  EXPECT_LT(later, 400000) << "the walk ended before the test could look";

  kxtest::Click(window, IDCANCEL);
  HWND question = WaitForQuestion(window, TextStore().GetText("AskCancel", "Global"));
  ASSERT_TRUE(question);
  const DWORD asked = GetTickCount();
  kxtest::Click(question, IDYES);
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(window); }));
  EXPECT_LT(GetTickCount() - asked, 1000u);
  worker.join();
  // A job cancelled in its walk has touched nothing.
  EXPECT_TRUE(kxtest::Exists(sample));
  EXPECT_TRUE(kxtest::Exists(tree + "\\d0\\f0"));
}

// Another program that holds a file open without sharing until released.
class OtherProgramHolds {
 public:
  explicit OtherProgramHolds(const std::string& file) {
    const std::string tag = std::to_string(GetCurrentProcessId());
    const std::string ready = "KXReportReady-" + tag, go = "KXReportGo-" + tag;
    ready_.Reset(CreateEventA(nullptr, TRUE, FALSE, ready.c_str()));
    release_.Reset(CreateEventA(nullptr, TRUE, FALSE, go.c_str()));
    const std::string command =
        "\"" + kxtest::WinePath(KX_FILE_HOLDER) + "\" " + ready + " " + go + " \"" + file + "\"";
    held_ = kxtest::StartProcess(command, info_) &&
            WaitForSingleObject(ready_.Get(), 20000) == WAIT_OBJECT_0;
  }
  ~OtherProgramHolds() {
    SetEvent(release_.Get());
    if (info_.hProcess) {
      if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(info_.hProcess, 1);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }
  bool Held() const { return held_; }

 private:
  kx::Handle ready_, release_;
  PROCESS_INFORMATION info_ = {};
  bool held_ = false;
};

std::string ListText(HWND list, int row, int column) {
  char text[600] = "";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The report at the end of a job, looked at as the user sees it.
using JobReportWindow = JobWindowTest;

TEST_F(JobReportWindow, ACleanJobShowsItsCountsAndClosesItselfOrAtOnceOnEscape) {
  CreateDirectoryA((dir_ / "tree").c_str(), nullptr);
  ASSERT_TRUE(kxtest::WriteBytes(dir_ / "tree\\a.txt", std::string(1500, 'a')));
  ASSERT_TRUE(kxtest::WriteBytes(dir_ / "tree\\b.txt", std::string(548, 'b')));
  ASSERT_TRUE(kxtest::WriteBytes(dir_ / "single.txt", "c"));
  PendingList pending;
  pending.AddFolder(dir_ / "tree");
  pending.Add(dir_ / "single.txt");
  std::thread worker([&] { DeletionRunner().StartWorker(pending.job, nullptr); });

  HWND report = kxtest::WaitForReport(GetCurrentProcessId());
  ASSERT_TRUE(report);
  const DWORD shown = GetTickCount();
  EXPECT_FALSE(kxtest::Exists(dir_ / "tree")) << "the report comes when the job is over";
  EXPECT_TRUE(kxtest::WindowsWithCaption(kRunning).empty());
  const std::string summary = kxtest::ItemText(report, IDC_REPORT_SUMMARY);
  EXPECT_EQ(summary.rfind("Everything you chose was destroyed.\r\n", 0), 0u) << summary;
  EXPECT_NE(summary.find("Files destroyed: 3 (2.00 KB overwritten)"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Folders removed: 1"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Fill: the pattern FE"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Time taken: "), std::string::npos) << summary;
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(report, IDC_REPORT_LIST))) << "nothing to list";
  kxtest::SaveScreenshot(report, "report_clean");

  // Nobody answers it: it goes by itself after a few seconds.
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(report); }, 10000));
  const DWORD stayed = GetTickCount() - shown;
  EXPECT_GE(stayed, 2500u);
  EXPECT_LE(stayed, 6000u);
  worker.join();

  // Esc, and Enter where the report puts the focus, close the next ones at once.
  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(kxtest::WriteBytes(dir_ / "single.txt", "d"));
    PendingList next;
    next.Add(dir_ / "single.txt");
    std::thread again([&] { DeletionRunner().StartWorker(next.job, nullptr); });
    report = kxtest::WaitForReport(GetCurrentProcessId());
    if (report) {
      GUITHREADINFO thread{sizeof thread};
      GetGUIThreadInfo(GetWindowThreadProcessId(report, nullptr), &thread);
      EXPECT_EQ(thread.hwndFocus, GetDlgItem(report, IDOK));
      const DWORD asked = GetTickCount();
      PostMessageA(thread.hwndFocus ? thread.hwndFocus : report, WM_KEYDOWN, key, 1);
      EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(report); }, 10000));
      EXPECT_LT(GetTickCount() - asked, 1500u);
    }
    again.join();
    ASSERT_TRUE(report);
  }
}

TEST_F(JobReportWindow, AFileHeldByAnotherProgramIsListedAndCopyAndSaveGiveTheReportAsText) {
  const std::string folder = dir_ / "work";
  const std::string held = folder + "\\held.dat";
  CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(kxtest::WriteBytes(held, "precious"));
  ASSERT_TRUE(kxtest::WriteBytes(folder + "\\free.dat", "free"));
  OtherProgramHolds holder(held);
  ASSERT_TRUE(holder.Held());
  PendingList pending;
  pending.AddFolder(folder);
  std::thread worker([&] { DeletionRunner().StartWorker(pending.job, nullptr); });

  HWND prompt = kxtest::WaitForWindow(kErrorCaption);
  ASSERT_TRUE(prompt);
  kxtest::Click(prompt, IDC_SKIP);
  HWND report = kxtest::WaitForReport(GetCurrentProcessId());
  ASSERT_TRUE(report);
  const std::string summary = kxtest::ItemText(report, IDC_REPORT_SUMMARY);
  EXPECT_EQ(summary.rfind("Done, but 1 of the items stayed in place", 0), 0u) << summary;
  EXPECT_NE(summary.find("Files destroyed: 1 (4.00 bytes overwritten)"), std::string::npos)
      << summary;
  EXPECT_NE(summary.find("Folders removed: 0"), std::string::npos) << summary;
  HWND list = GetDlgItem(report, IDC_REPORT_LIST);
  EXPECT_TRUE(IsWindowVisible(list));
  ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(ListText(list, 0, 0), held);
  EXPECT_EQ(ListText(list, 0, 1), "Kept: held by another program");
  kxtest::SaveScreenshot(report, "report_kept");

  // A report with items kept waits for the user.
  Sleep(4000);
  ASSERT_TRUE(IsWindow(report));

  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
  kxtest::Click(report, IDC_REPORT_COPY);
  std::wstring copied;
  EXPECT_TRUE(kxtest::WaitFor([&] { return !(copied = ClipboardText()).empty(); }, 5000));
  EXPECT_EQ(copied.rfind(Wide(summary.substr(0, summary.find('\r')) + "\r\n"), 0), 0u);
  EXPECT_NE(copied.find(L"\r\n\r\n" + Wide(held) + L"\tKept: held by another program\r\n"),
            std::wstring::npos);
  EXPECT_NE(copied.find(L"Folders removed: 0\r\n"), std::wstring::npos);

  // Save... writes the same text where the user chooses, and nowhere else.
  const std::string saved = dir_ / "saved report.txt";
  kxtest::Click(report, IDC_REPORT_SAVE);
  HWND chooser = kxtest::WaitForWindow("Save As");
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(kxtest::AnswerFileDialog(chooser, saved.c_str()));
  EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(chooser); }, 10000));
  // The report writes the file once the chooser has gone.
  const std::string expected = "\xEF\xBB\xBF" + std::string(copied.begin(), copied.end());
  kxtest::WaitFor([&] { return kxtest::ReadBytes(saved) == expected; }, 10000);
  EXPECT_EQ(kxtest::ReadBytes(saved), expected);
  EXPECT_EQ(kxtest::Listing(dir_.Path()).size(), 2u) << "only the folder kept and the saved file";

  kxtest::Click(report, IDOK);
  worker.join();
  EXPECT_FALSE(IsWindow(report));
  EXPECT_TRUE(kxtest::Exists(held));
  EXPECT_FALSE(kxtest::Exists(folder + "\\free.dat"));
}

}  // namespace
