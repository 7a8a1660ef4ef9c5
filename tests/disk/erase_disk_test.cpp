// The disk chooser and the disk eraser under Wine, on drive K:, whose raw
// volume is the image file k.img (laid out by make-disk-drives). The eraser
// runs its real dialog and worker; the test plays the user from a thread of
// its own and reads the image back byte for byte.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <winioctl.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/settings_store.h"
#include "base/size_text.h"
#include "disk/del_drv_dlg.h"
#include "disk/disk_ids.h"
#include "disk/drv_dlg.h"
#include "engine/chunk_window.h"
#include "engine/fill_buffer.h"
#include "framework/system_error.h"
#include "lang/english_texts.h"
#include "support/report_window.h"
#include "support/scratch_folder.h"
#include "support/screenshot.h"
#include "support/window_search.h"
#include "support/wine_drives.h"
#include "support/wine_paths.h"
#include "widgets/report_ids.h"

namespace {

constexpr char kDrive = 'K';
constexpr char kFolderDrive = 'M';
constexpr char kCdDrive = 'N';
constexpr char kEraseCaption[] = "Erase Disk";
constexpr char kChooseCaption[] = "Choose Disk";
constexpr char kQuestionCaption[] = "Karvex";
constexpr uint32_t kBlock = 0xFE00;
constexpr uint8_t kOld = 0x5A;  // what the image holds before an erase

std::string DiskFile(const char* name) { return kxtest::WinePath(KX_DISK_DIR) + "\\" + name; }
std::string ImagePath() { return DiskFile("k.img"); }

bool WriteImage(const std::string& content) { return kxtest::WriteBytes(ImagePath(), content); }
std::string ReadImage() { return kxtest::ReadBytes(ImagePath()); }

// What the shell's format dialog was asked for; under Wine it shows nothing.
std::atomic<int> g_formatCalls{0};
std::atomic<UINT> g_formatDrive{0};
std::function<void(HWND)> g_duringFormat;
DWORD WINAPI RecordFormat(HWND owner, UINT drive, UINT formatId, UINT options) {
  ++g_formatCalls;
  g_formatDrive = drive;
  if (g_duringFormat) g_duringFormat(owner);
  return 0;
}

// A message box of this process owned by `owner`, with this caption.
HWND WaitForBox(HWND owner, const char* caption, int timeoutMs = 20000) {
  HWND found = nullptr;
  kxtest::WaitFor(
      [&] {
        for (HWND w : kxtest::WindowsWithCaption(caption)) {
          if (GetWindow(w, GW_OWNER) == owner && GetDlgItem(w, 0xFFFF)) found = w;
        }
        return found != nullptr;
      },
      timeoutMs);
  return found;
}
std::string BoxText(HWND box) { return kxtest::ItemText(box, 0xFFFF); }

// The eraser's own window (message boxes share its caption).
HWND WaitForEraser() {
  HWND found = nullptr;
  kxtest::WaitFor([&] {
    for (HWND w : kxtest::WindowsWithCaption(kEraseCaption)) {
      if (GetDlgItem(w, IDC_ERASE_PROGRESS)) found = w;
    }
    return found != nullptr;
  });
  return found;
}

int BarPosition(HWND eraser) {
  return static_cast<int>(SendDlgItemMessageA(eraser, IDC_ERASE_PROGRESS, PBM_GETPOS, 0, 0));
}

// The letters of the chooser's list, in its order.
std::string ListedLetters(HWND chooser) {
  std::string letters;
  HWND list = GetDlgItem(chooser, IDC_DRIVE_LIST);
  LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_LPARAM;
    item.iItem = i;
    SendMessageA(list, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    letters += static_cast<char>(item.lParam);
  }
  return letters;
}

std::string ListedText(HWND chooser, char letter) {
  HWND list = GetDlgItem(chooser, IDC_DRIVE_LIST);
  std::string letters = ListedLetters(chooser);
  size_t index = letters.find(letter);
  if (index == std::string::npos) return "<not listed>";
  char text[300] = "";
  COMBOBOXEXITEMA item{};
  item.mask = CBEIF_TEXT;
  item.iItem = static_cast<INT_PTR>(index);
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

// Ends whatever a failed check left open, so that a failure never hangs the
// run: questions are answered No (the cancel question Yes), errors Cancel.
void Unstick(const std::atomic<bool>& ended) {
  kxtest::WaitFor(
      [&] {
        for (HWND w : kxtest::WindowsWithCaption(GetCurrentProcessId(), nullptr)) {
          int id = kxtest::WindowText(w) == kQuestionCaption ? IDYES
                   : GetDlgItem(w, IDNO)                     ? IDNO
                   : GetDlgItem(w, IDCANCEL)                 ? IDCANCEL
                                                             : IDOK;
          kxtest::Click(w, id);
        }
        Sleep(100);
        return ended.load();
      },
      30000);
}

// Picks a drive in the open chooser as a user does, and presses OK.
bool Choose(HWND chooser, char letter) {
  std::string letters = ListedLetters(chooser);
  size_t index = letters.find(letter);
  if (index == std::string::npos) {
    ADD_FAILURE() << letter << " is not among " << letters;
    return false;
  }
  HWND list = GetDlgItem(chooser, IDC_DRIVE_LIST);
  SendMessageA(list, CB_SETCURSEL, index, 0);
  SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  kxtest::Click(chooser, IDOK);
  return true;
}

// Whether no handle on the drive's raw volume is open any more, the
// eraser's included. (A lock cannot tell: Wine grants every lock.) An opening
// that shares nothing fails with a sharing violation while another is open.
bool NothingHoldsTheVolume(char letter) {
  const std::string path = std::string("\\\\.\\") + letter + ":";
  HANDLE volume = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  if (volume == INVALID_HANDLE_VALUE) return false;
  CloseHandle(volume);
  return true;
}

// The bytes an erase leaves: every block starts the pattern anew, as every
// block is written from the same buffer.
std::string Erased(size_t size, const std::string& pattern) {
  std::vector<uint8_t> block(kBlock);
  FillPattern(block.data(), block.size(), reinterpret_cast<const uint8_t*>(pattern.data()),
              static_cast<unsigned>(pattern.size()));
  std::string image;
  while (image.size() < size)
    image.append(reinterpret_cast<const char*>(block.data()),
                 std::min<size_t>(kBlock, size - image.size()));
  return image;
}

// The length of the image's head that holds the fill byte, and whether the
// rest is still what it was.
size_t OverwrittenHead(const std::string& image, char fill, char old, bool* restOld) {
  size_t head = image.find_first_not_of(fill);
  if (head == std::string::npos) head = image.size();
  *restOld = image.find_first_not_of(old, head) == std::string::npos;
  return head;
}

class EraseDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::once_flag once;
    std::call_once(once, [] {
      INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
      InitCommonControlsEx(&classes);
      RegisterEnglishTexts(nullptr);
    });
    keyPath_ = "Software\\KarvexTests\\disk-" + std::to_string(GetCurrentProcessId());
    SetSettingsKeyPath(keyPath_.c_str());
    g_formatCalls = 0;
    g_formatDrive = 0;
    g_duringFormat = nullptr;
    kxtest::WriteBytes(DiskFile("k-root\\sentinel.txt"), "keep me");
  }
  void TearDown() override {
    SetSettingsKeyPath(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, keyPath_.c_str());
    EXPECT_EQ(kxtest::ReadBytes(DiskFile("k-root\\sentinel.txt")), "keep me");
    WriteImage("");
  }

  void SaveFill(const std::string& pattern) {
    ConfigRecord settings;
    ResetConfig(settings);
    settings.fillLength = static_cast<uint8_t>(pattern.size());
    std::copy(pattern.begin(), pattern.end(), settings.fillPattern);
    ASSERT_TRUE(SaveConfig(settings));
  }

  // Runs the eraser on this thread while `user` plays the user on another;
  // answers the dialog's last step. The dialog object is kept for checks.
  int Run(const std::function<void()>& user, RawVolume::ControlFn control = nullptr,
          char letter = 0) {
    dialog_ = std::make_unique<CKXDelDrvDlg>(nullptr);
    dialog_->driveLetter = letter;
    dialog_->SetFormatDrive(RecordFormat);
    dialog_->SetVolumeControl(control);
    std::atomic<bool> ended{false};
    std::thread player([&] {
      user();
      // The user is done: the eraser should end by itself now.
      if (!kxtest::WaitFor([&] { return ended.load(); }, 15000)) {
        ADD_FAILURE() << "the eraser did not end";
        Unstick(ended);
      }
    });
    RunEraseDialog(*dialog_);
    ended = true;
    player.join();
    return dialog_->CurrentStep();
  }

  // The user's part up to the confirmation: the eraser opens with the
  // chooser, K: is chosen, and the question appears. Answers the eraser.
  HWND ChooseK(HWND* box, const char* shot = nullptr) {
    HWND chooser = kxtest::WaitForWindow(kChooseCaption);
    HWND eraser = WaitForEraser();
    EXPECT_TRUE(chooser && eraser);
    if (!chooser || !eraser) return nullptr;
    if (shot) {
      kxtest::WaitFor([&] { return IsWindowVisible(eraser) != FALSE; });
      kxtest::SaveScreenshot(eraser, "disk-eraser-step0-choose");
      kxtest::SaveScreenshot(chooser, "disk-chooser");
    }
    EXPECT_TRUE(Choose(chooser, kDrive));
    *box = WaitForBox(eraser, kEraseCaption);
    return eraser;
  }

  std::string keyPath_;
  std::unique_ptr<CKXDelDrvDlg> dialog_;
  // Every erase ends with its report; closed at once unless a test looks at it.
  std::unique_ptr<kxtest::ReportCloser> reports_ = std::make_unique<kxtest::ReportCloser>();
};

TEST_F(EraseDisk, EveryByteTakesTheSavedPatternAndTheDiskGoesToFormat) {
  struct Case {
    size_t size;
    std::string pattern;
  };
  const Case cases[] = {
      {3 * kBlock, "\xFE"},        // three whole blocks, the default fill
      {kBlock + 512, ""},          // one block and one sector, zeros
      {2 * kBlock + 4096, "ABC"},  // a string, begun anew in every block
  };
  bool first = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    SaveFill(c.pattern);
    g_formatCalls = 0;
    ASSERT_TRUE(WriteImage(std::string(c.size, static_cast<char>(kOld))));
    std::string question;
    int barEnd = -1, barRange = -1;
    // Read while the format dialog is up: right after it the eraser closes.
    g_duringFormat = [&](HWND owner) {
      if (first) kxtest::SaveScreenshot(owner, "disk-eraser-step4-format");
      barEnd = BarPosition(owner);
      barRange =
          static_cast<int>(SendDlgItemMessageA(owner, IDC_ERASE_PROGRESS, PBM_GETRANGE, FALSE, 0));
    };
    int step = Run([&] {
      HWND box = nullptr;
      HWND eraser = ChooseK(&box, first ? "shots" : nullptr);
      ASSERT_TRUE(box);
      question = BoxText(box);
      if (first) {
        kxtest::SaveScreenshot(eraser, "disk-eraser-step2-confirm");
        kxtest::SaveScreenshot(box, "disk-eraser-confirm-question");
      }
      kxtest::Click(box, IDYES);
      ASSERT_TRUE(kxtest::WaitFor([&] { return g_formatCalls > 0; }));
    });
    first = false;
    EXPECT_EQ(step, 5);
    EXPECT_EQ(dialog_->Outcome().result, EraseResult::Erased);
    EXPECT_EQ(dialog_->Outcome().failedBlocks, 0u);
    std::string image = ReadImage();
    EXPECT_EQ(image.size(), c.size);  // written in place, never grown
    EXPECT_TRUE(image == Erased(c.size, c.pattern));
    EXPECT_EQ(g_formatCalls, 1);
    EXPECT_EQ(g_formatDrive, static_cast<UINT>(kDrive - 'A'));
    EXPECT_EQ(barEnd, barRange);  // the bar ends full
    char size[100];
    FormatSize(static_cast<int64_t>(c.size), size, sizeof size);
    EXPECT_NE(question.find(std::string("K:")), std::string::npos) << question;
    EXPECT_NE(question.find(size), std::string::npos) << question;
    EXPECT_NE(question.find("All data will be lost!"), std::string::npos) << question;
    EXPECT_TRUE(NothingHoldsTheVolume(kDrive));
  }
}

// Answers every failure with Cancel and keeps the error it was shown.
class CancellingHost : public EraseHost {
 public:
  DWORD shown = 0;
  bool BeforeBlock() override { return true; }
  void Progress(uint64_t, uint64_t) override {}
  bool RetryAfterFailure(DWORD error, bool) override {
    shown = error;
    return false;
  }
};

bool FailingRandom(uint8_t*, uint32_t) {
  SetLastError(ERROR_GEN_FAILURE);
  return false;
}

TEST_F(EraseDisk, RandomFillWithVerifyGivesEveryBlockNewDataAndAFailingGeneratorWritesNothing) {
  SaveFill("\xFE");
  ASSERT_TRUE(SaveShredOptions({1, 1}));
  const size_t size = (kVerifyWindowChunks + 1) * kBlock + 4096;  // more than one verified window
  ASSERT_TRUE(WriteImage(std::string(size, static_cast<char>(kOld))));
  int step = Run([&] {
    HWND box = nullptr;
    ChooseK(&box);
    ASSERT_TRUE(box);
    kxtest::Click(box, IDYES);
    ASSERT_TRUE(kxtest::WaitFor([&] { return g_formatCalls > 0; }));
  });
  EXPECT_EQ(step, 5);
  EXPECT_EQ(dialog_->Outcome().result, EraseResult::Erased);
  EXPECT_EQ(dialog_->Outcome().failedBlocks, 0u);
  const std::string image = ReadImage();
  ASSERT_EQ(image.size(), size);
  std::vector<std::string> heads;
  for (size_t at = 0; at < size; at += kBlock) {
    const std::string block = image.substr(at, kBlock);
    // Neither the old contents nor the saved pattern nor any short repetition.
    for (size_t period = 1; period <= 128; ++period)
      ASSERT_NE(block.compare(period, std::string::npos, block, 0, block.size() - period), 0)
          << "block at " << at << " repeats every " << period << " bytes";
    heads.push_back(block.substr(0, 512));
  }
  for (size_t i = 1; i < heads.size(); ++i) EXPECT_NE(heads[i], heads[i - 1]) << i;

  // The generator failing is a failed erase that never falls back to a pattern.
  const std::string before(2 * kBlock, static_cast<char>(kOld));
  ASSERT_TRUE(WriteImage(before));
  RawVolume volume;
  ASSERT_TRUE(volume.Open(kDrive));
  EraseFill fill;
  fill.random = FailingRandom;
  fill.verify = true;
  CancellingHost host;
  const EraseOutcome outcome = OverwriteVolume(volume, before.size(), 512, fill, host);
  volume.Close();
  EXPECT_EQ(outcome.result, EraseResult::Failed);
  EXPECT_EQ(outcome.error, static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_EQ(host.shown, static_cast<DWORD>(ERROR_GEN_FAILURE));
  EXPECT_EQ(outcome.written, 0u);
  EXPECT_TRUE(ReadImage() == before);
}

TEST_F(EraseDisk, AnEraseEndsWithAReportOfTheVolumeTheFillAndTheTime) {
  reports_.reset();  // looked at here
  SaveFill("ABC");
  ASSERT_TRUE(WriteImage(std::string(2 * kBlock, static_cast<char>(kOld))));
  std::string summary;
  DWORD stayed = 0;
  Run([&] {
    HWND box = nullptr;
    ChooseK(&box);
    ASSERT_TRUE(box);
    kxtest::Click(box, IDYES);
    HWND report = kxtest::WaitForReport(GetCurrentProcessId());
    ASSERT_TRUE(report);
    const DWORD shown = GetTickCount();
    summary = kxtest::ItemText(report, IDC_REPORT_SUMMARY);
    kxtest::SaveScreenshot(report, "disk-eraser-report");
    // Every byte written without a failure: it goes by itself.
    EXPECT_TRUE(kxtest::WaitFor([&] { return !IsWindow(report); }, 10000));
    stayed = GetTickCount() - shown;
  });
  EXPECT_EQ(dialog_->Outcome().result, EraseResult::Erased);
  EXPECT_EQ(summary.rfind("The disk was overwritten from its first byte to its last.\r\n", 0), 0u)
      << summary;
  char size[100];
  FormatSize(static_cast<int64_t>(2 * kBlock), size, sizeof size);
  EXPECT_NE(summary.find("Volume: K:"), std::string::npos) << summary;
  EXPECT_NE(summary.find(std::string("Size: ") + size), std::string::npos) << summary;
  EXPECT_NE(summary.find("Fill: the pattern 41 42 43"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Read back and compared after writing: no"), std::string::npos);
  EXPECT_NE(summary.find("Failed writes: 0"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Time taken: "), std::string::npos) << summary;
  EXPECT_EQ(summary.find('\t'), std::string::npos) << "no tabs in the summary";
  EXPECT_GE(stayed, 2500u);
}

TEST_F(EraseDisk, NoAtTheQuestionLeavesTheDiskAsItWasAndLetsGoOfIt) {
  std::string before;
  for (int i = 0; i < 3 * static_cast<int>(kBlock); ++i)
    before += static_cast<char>(i * 7 + i / 300);
  ASSERT_TRUE(WriteImage(before));
  int step = Run([&] {
    HWND box = nullptr;
    ChooseK(&box);
    ASSERT_TRUE(box);
    kxtest::Click(box, IDNO);
  });
  EXPECT_EQ(step, 2);
  EXPECT_TRUE(ReadImage() == before);
  EXPECT_EQ(g_formatCalls, 0);
  EXPECT_TRUE(NothingHoldsTheVolume(kDrive));
}

TEST_F(EraseDisk, CancellingTheChooserEndsTheEraserWithoutTouchingAnything) {
  ASSERT_TRUE(WriteImage(std::string(kBlock, static_cast<char>(kOld))));
  int step = Run([&] {
    HWND chooser = kxtest::WaitForWindow(kChooseCaption);
    ASSERT_TRUE(chooser);
    kxtest::Click(chooser, IDCANCEL);
  });
  EXPECT_EQ(step, 0);
  EXPECT_EQ(ReadImage(), std::string(kBlock, static_cast<char>(kOld)));
  EXPECT_TRUE(NothingHoldsTheVolume(kDrive));
}

// The pause is pressed while the question is open (the message a click
// sends), so that the worker meets a closed gate at its very first block on
// any machine, however fast.
TEST_F(EraseDisk, CancelWhilePausedStopsBeforeTheNextBlockAndNeverFormats) {
  const std::string before(16 * kBlock, static_cast<char>(kOld));
  ASSERT_TRUE(WriteImage(before));
  std::string pausedLabel, imageWhilePaused;
  int barWhilePaused = -1;
  int step = Run([&] {
    HWND box = nullptr;
    HWND eraser = ChooseK(&box);
    ASSERT_TRUE(box);
    SendMessageA(eraser, WM_COMMAND, MAKEWPARAM(IDC_ERASE_PAUSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(eraser, IDC_ERASE_PAUSE)));
    kxtest::Click(box, IDYES);
    kxtest::WaitFor([&] { return !IsWindow(box); });
    Sleep(500);
    pausedLabel = kxtest::ItemText(eraser, IDC_ERASE_PAUSE);
    barWhilePaused = BarPosition(eraser);
    imageWhilePaused = ReadImage();
    kxtest::SaveScreenshot(eraser, "disk-eraser-step3-paused");
    kxtest::Click(eraser, IDCANCEL);
    HWND question = WaitForBox(eraser, kQuestionCaption);
    ASSERT_TRUE(question);
    EXPECT_EQ(BoxText(question), "Are you sure you want to cancel the operation?");
    kxtest::SaveScreenshot(question, "disk-eraser-cancel-question");
    kxtest::Click(question, IDYES);
  });
  EXPECT_EQ(step, 3);
  EXPECT_EQ(pausedLabel, "&Resume");
  EXPECT_EQ(barWhilePaused, 0);
  EXPECT_TRUE(imageWhilePaused == before);
  EXPECT_EQ(dialog_->Outcome().result, EraseResult::Cancelled);
  EXPECT_TRUE(ReadImage() == before);
  EXPECT_EQ(g_formatCalls, 0);
  EXPECT_TRUE(NothingHoldsTheVolume(kDrive));
}

TEST_F(EraseDisk, ResumeLetsAPausedEraseGoOnToTheEnd) {
  ASSERT_TRUE(WriteImage(std::string(8 * kBlock, static_cast<char>(kOld))));
  std::string resumedLabel;
  bool heldWhilePaused = false;
  int step = Run([&] {
    HWND box = nullptr;
    HWND eraser = ChooseK(&box);
    ASSERT_TRUE(box);
    SendMessageA(eraser, WM_COMMAND, MAKEWPARAM(IDC_ERASE_PAUSE, BN_CLICKED), 0);
    kxtest::Click(box, IDYES);
    kxtest::WaitFor([&] { return !IsWindow(box); });
    Sleep(300);
    heldWhilePaused = ReadImage() == std::string(8 * kBlock, static_cast<char>(kOld));
    kxtest::Click(eraser, IDC_ERASE_PAUSE);
    kxtest::WaitFor([&] { return kxtest::ItemText(eraser, IDC_ERASE_PAUSE) == "&Pause"; });
    resumedLabel = kxtest::ItemText(eraser, IDC_ERASE_PAUSE);
  });
  EXPECT_TRUE(heldWhilePaused);
  EXPECT_EQ(resumedLabel, "&Pause");
  EXPECT_EQ(step, 5);
  EXPECT_TRUE(ReadImage() == Erased(8 * kBlock, "\xFE"));
  EXPECT_EQ(g_formatCalls, 1);
}

// Wine grants every lock, so the refusal comes from a stand-in for the
// system call. The refused handle is marked by its file position, which
// belongs to the opened handle: a repeated opening would start at 0.
constexpr LONGLONG kMark = 12345;
std::atomic<int> g_lockRefusals{0};
std::atomic<int> g_lockRequests{0};
std::atomic<bool> g_sameHandleRetried{false};
LONGLONG Position(HANDLE h) {
  LARGE_INTEGER zero{}, now{};
  return SetFilePointerEx(h, zero, &now, FILE_CURRENT) ? now.QuadPart : -1;
}
BOOL WINAPI RefuseFirstLock(HANDLE h, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                            DWORD* returned, OVERLAPPED* overlapped) {
  if (code == FSCTL_LOCK_VOLUME) {
    int request = g_lockRequests++;
    if (request > 0) g_sameHandleRetried = Position(h) == kMark;
    if (request < g_lockRefusals) {
      LARGE_INTEGER mark{};
      mark.QuadPart = kMark;
      SetFilePointerEx(h, mark, nullptr, FILE_BEGIN);
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
  }
  return DeviceIoControl(h, code, in, inSize, out, outSize, returned, overlapped);
}

TEST_F(EraseDisk, RetryAfterAFailedLockRepeatsOnlyTheLock) {
  const std::string before(2 * kBlock, static_cast<char>(kOld));
  ASSERT_TRUE(WriteImage(before));
  g_lockRefusals = 1;
  g_sameHandleRetried = false;
  g_lockRequests = 0;
  std::string errorText, afterRetry;
  bool retryOffered = false;
  int step = Run(
      [&] {
        HWND chooser = kxtest::WaitForWindow(kChooseCaption);
        HWND eraser = WaitForEraser();
        ASSERT_TRUE(chooser && eraser);
        ASSERT_TRUE(Choose(chooser, kDrive));
        HWND error = WaitForBox(eraser, kEraseCaption);
        ASSERT_TRUE(error);
        errorText = BoxText(error);
        retryOffered = GetDlgItem(error, IDRETRY) && GetDlgItem(error, IDCANCEL);
        kxtest::SaveScreenshot(eraser, "disk-eraser-step1-gathering");
        kxtest::SaveScreenshot(error, "disk-eraser-lock-error");
        kxtest::Click(error, IDRETRY);
        kxtest::WaitFor([&] { return !IsWindow(error); });
        HWND next = WaitForBox(eraser, kEraseCaption);
        ASSERT_TRUE(next);
        afterRetry = BoxText(next);
        kxtest::Click(next, GetDlgItem(next, IDNO) ? IDNO : IDCANCEL);
      },
      RefuseFirstLock);
  EXPECT_TRUE(retryOffered);
  EXPECT_EQ(g_lockRequests, 2);
  EXPECT_TRUE(g_sameHandleRetried);
  EXPECT_EQ(errorText.rfind("The operation can not be performed.\r\n\r\n", 0), 0u) << errorText;
  EXPECT_NE(errorText.find(kx::SystemErrorText(ERROR_ACCESS_DENIED)), std::string::npos)
      << errorText;
  EXPECT_EQ(afterRetry.rfind("Are you sure you want to erase the following disk?", 0), 0u)
      << afterRetry;
  EXPECT_EQ(step, 2);
  EXPECT_TRUE(ReadImage() == before);
  EXPECT_EQ(g_formatCalls, 0);
}

TEST_F(EraseDisk, AnEmptyVolumeEndsWithTheErrorAndNothingIsWritten) {
  ASSERT_TRUE(WriteImage(""));
  std::string errorText;
  bool okOnly = false;
  int step = Run([&] {
    HWND chooser = kxtest::WaitForWindow(kChooseCaption);
    HWND eraser = WaitForEraser();
    ASSERT_TRUE(chooser && eraser);
    ASSERT_TRUE(Choose(chooser, kDrive));
    HWND error = WaitForBox(eraser, kEraseCaption);
    ASSERT_TRUE(error);
    errorText = BoxText(error);
    okOnly = GetDlgItem(error, IDOK) && !GetDlgItem(error, IDRETRY);
    kxtest::Click(error, IDOK);
  });
  EXPECT_EQ(step, 1);
  EXPECT_TRUE(okOnly);
  EXPECT_EQ(errorText.rfind("The operation can not be performed.", 0), 0u) << errorText;
  EXPECT_EQ(ReadImage(), "");
  EXPECT_EQ(g_formatCalls, 0);
  EXPECT_TRUE(NothingHoldsTheVolume(kDrive));
}

// Runs only under write-limited, which refuses writes past a limit in any
// file: the eraser meets a write that fails for real.
TEST_F(EraseDisk, AFailedWriteIsReportedAndTheDiskIsNotFormatted) {
  const char* limitText = std::getenv("KX_WRITE_LIMIT_KIB");
  if (!limitText) GTEST_SKIP() << "needs the write limit of write-limited";
  const size_t limit = static_cast<size_t>(std::atoi(limitText)) * 1024;
  const size_t size = 2 * limit;
  // The image is made as a sparse file beyond the limit: only its length is set.
  ASSERT_TRUE(WriteImage(std::string(limit, static_cast<char>(kOld))));
  {
    HANDLE file =
        CreateFileA(ImagePath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
  }
  std::vector<std::string> errors;
  int step = Run([&] {
    HWND box = nullptr;
    HWND eraser = ChooseK(&box);
    ASSERT_TRUE(box);
    kxtest::Click(box, IDYES);
    kxtest::WaitFor([&] { return !IsWindow(box); });
    for (int answer : {IDRETRY, IDCANCEL}) {
      HWND error = WaitForBox(eraser, kEraseCaption);
      ASSERT_TRUE(error);
      errors.push_back(BoxText(error));
      if (answer == IDRETRY) {
        kxtest::SaveScreenshot(eraser, "disk-eraser-write-error");
        kxtest::SaveScreenshot(error, "disk-eraser-write-error-box");
      }
      kxtest::Click(error, answer);
      kxtest::WaitFor([&] { return !IsWindow(error); });
    }
  });
  ASSERT_EQ(errors.size(), 2u);
  for (const std::string& text : errors)
    EXPECT_EQ(text.rfind("The operation can not be performed.\r\n\r\n", 0), 0u) << text;
  EXPECT_GT(errors[0].size(), std::string("The operation can not be performed.\r\n\r\n").size());
  EXPECT_EQ(step, 3);
  EXPECT_EQ(dialog_->Outcome().result, EraseResult::Failed);
  EXPECT_EQ(dialog_->Outcome().failedBlocks, 2u);
  EXPECT_LE(dialog_->Outcome().written, limit);
  EXPECT_EQ(g_formatCalls, 0);
  std::string image = ReadImage();
  EXPECT_EQ(image.size(), size);
  // Blocks before the failing one are written; of the failing one, at most
  // the part below the limit.
  bool restOld = false;
  size_t head = OverwrittenHead(image.substr(0, limit), '\xFE', kOld, &restOld);
  EXPECT_GE(head, dialog_->Outcome().written);
  EXPECT_LT(head, dialog_->Outcome().written + kBlock);
  EXPECT_GT(dialog_->Outcome().written, 0u);
  EXPECT_TRUE(restOld);
  EXPECT_TRUE(NothingHoldsTheVolume(kDrive));
}

// The volume's own requests, in the order the eraser makes them.
std::mutex g_controlsLock;
std::vector<DWORD> g_controls;
BOOL WINAPI RecordControl(HANDLE h, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                          DWORD* returned, OVERLAPPED* overlapped) {
  if (code == FSCTL_LOCK_VOLUME || code == FSCTL_UNLOCK_VOLUME || code == FSCTL_DISMOUNT_VOLUME) {
    std::lock_guard<std::mutex> hold(g_controlsLock);
    g_controls.push_back(code);
  }
  return DeviceIoControl(h, code, in, inSize, out, outSize, returned, overlapped);
}

TEST_F(EraseDisk, TheErasedVolumeIsDismountedWhileItIsStillLocked) {
  ASSERT_TRUE(WriteImage(std::string(2 * kBlock, static_cast<char>(kOld))));
  g_controls.clear();
  int step = Run(
      [&] {
        HWND box = nullptr;
        ChooseK(&box);
        ASSERT_TRUE(box);
        kxtest::Click(box, IDYES);
      },
      RecordControl);
  EXPECT_EQ(step, 5);
  std::lock_guard<std::mutex> hold(g_controlsLock);
  EXPECT_EQ(g_controls,
            (std::vector<DWORD>{FSCTL_LOCK_VOLUME, FSCTL_DISMOUNT_VOLUME, FSCTL_UNLOCK_VOLUME}));
}

// The first letter from S on that names nothing yet.
char UnusedLetter() {
  DWORD used = GetLogicalDrives();
  for (char letter = 'S'; letter <= 'Y'; ++letter) {
    if (!((used >> (letter - 'A')) & 1)) return letter;
  }
  return 0;
}

// Other letters for the system's and the program's volumes: a letter
// substituted for one of their folders, and a second Wine drive on C:'s own
// folder. The chooser leaves them out; the eraser, given one directly,
// refuses it and says why.
TEST_F(EraseDisk, TheSystemAndTheProgramVolumesAreRefusedUnderAnyLetter) {
  wchar_t programFolder[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, programFolder, MAX_PATH);
  *wcsrchr(programFolder, L'\\') = L'\0';
  const std::string cFolder = kxtest::UnixPathOf(L"C:\\");
  ASSERT_FALSE(cFolder.empty());
  const char letter = UnusedLetter();
  ASSERT_NE(letter, 0);
  const wchar_t name[] = {static_cast<wchar_t>(letter), L':', L'\0'};
  struct Case {
    const wchar_t* substitute;  // else a drive on cFolder
    const char* reason;
  } const cases[] = {
      {L"C:\\windows", "the running Windows."},
      {programFolder, "the running Karvex."},
      {nullptr, "the running Windows."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.substitute ? c.substitute : L"drive on C:'s folder");
    ASSERT_TRUE(c.substitute ? DefineDosDeviceW(0, name, c.substitute) != FALSE
                             : kxtest::DefineWineDrive(letter, DRIVE_FIXED, cFolder));
    std::string listed, refusal;
    Run([&] {
      HWND chooser = kxtest::WaitForWindow(kChooseCaption);
      ASSERT_TRUE(chooser);
      listed = ListedLetters(chooser);
      kxtest::Click(chooser, IDCANCEL);
    });
    int step = Run(
        [&] {
          HWND box = WaitForBox(WaitForEraser(), kEraseCaption);
          ASSERT_TRUE(box);
          refusal = BoxText(box);
          kxtest::Click(box, IDOK);
        },
        nullptr, letter);
    if (c.substitute)
      DefineDosDeviceW(DDD_REMOVE_DEFINITION, name, nullptr);
    else  // Wine 8 keeps listing the letter after this; the guard still refuses it.
      kxtest::DefineWineDrive(letter, DRIVE_FIXED, "");
    EXPECT_NE(listed.find(kDrive), std::string::npos) << listed;
    EXPECT_EQ(listed.find(letter), std::string::npos) << listed;
    EXPECT_EQ(refusal,
              std::string("The disk ") + letter + ": can not be erased: it holds " + c.reason);
    EXPECT_EQ(step, 1);
    EXPECT_EQ(dialog_->Outcome().written, 0u);
    EXPECT_EQ(g_formatCalls, 0);
  }
}

class ChooseDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::once_flag once;
    std::call_once(once, [] {
      INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
      InitCommonControlsEx(&classes);
      RegisterEnglishTexts(nullptr);
    });
  }

  // Runs the chooser here while `user` looks at it from another thread.
  char Run(const std::function<void(HWND)>& user) {
    CKXDrvDlg chooser;
    std::thread player([&] {
      HWND window = kxtest::WaitForWindow(kChooseCaption);
      ASSERT_TRUE(window);
      kxtest::WaitFor([&] { return IsWindowVisible(window) != FALSE; });
      user(window);
    });
    chooser.DoModal(nullptr);
    player.join();
    return chooser.selectedDrive;
  }
};

TEST_F(ChooseDisk, ListsDrivesInLetterOrderWithoutTheSystemTheProgramAndCdRomDrives) {
  ASSERT_EQ(GetDriveTypeA("N:\\"), static_cast<UINT>(DRIVE_CDROM));
  std::string letters, kText, mText;
  bool okEnabled = false;
  RECT list{}, ok{}, client{};
  char chosen = Run([&](HWND window) {
    letters = ListedLetters(window);
    kText = ListedText(window, kDrive);
    mText = ListedText(window, kFolderDrive);
    okEnabled = IsWindowEnabled(GetDlgItem(window, IDOK)) != FALSE;
    HWND combo = reinterpret_cast<HWND>(
        SendDlgItemMessageA(window, IDC_DRIVE_LIST, CBEM_GETCOMBOCONTROL, 0, 0));
    GetWindowRect(combo, &list);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&list), 2);
    ok = kxtest::InParent(GetDlgItem(window, IDOK));
    GetClientRect(window, &client);
    kxtest::SaveScreenshot(window, "disk-chooser-list");
    Choose(window, kFolderDrive);
  });
  EXPECT_EQ(chosen, kFolderDrive);
  EXPECT_EQ(letters.find('C'), std::string::npos) << letters;  // the system folder's
  EXPECT_EQ(letters.find('Z'), std::string::npos) << letters;  // the program's
  EXPECT_EQ(letters.find(kCdDrive), std::string::npos) << letters;
  EXPECT_NE(letters.find(kDrive), std::string::npos) << letters;
  EXPECT_NE(letters.find(kFolderDrive), std::string::npos) << letters;
  for (size_t i = 1; i < letters.size(); ++i) EXPECT_LT(letters[i - 1], letters[i]) << letters;
  EXPECT_TRUE(okEnabled);

  ULARGE_INTEGER total{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("M:\\", nullptr, &total, nullptr));
  char size[100];
  FormatSize(static_cast<int64_t>(total.QuadPart), size, sizeof size);
  const std::string suffix = std::string(" [") + size + "]";
  ASSERT_GE(mText.size(), suffix.size());
  EXPECT_EQ(mText.substr(mText.size() - suffix.size()), suffix) << mText;
  EXPECT_GT(mText.size(), suffix.size()) << "a display name comes first";
  EXPECT_NE(kText, "<not listed>");

  EXPECT_EQ(ok.top, list.bottom + 10);
  EXPECT_EQ(client.bottom, list.bottom + (ok.bottom - ok.top) + 20);
}

TEST_F(ChooseDisk, CancelChoosesNothing) {
  char chosen = Run([](HWND window) { kxtest::Click(window, IDCANCEL); });
  EXPECT_EQ(chosen, 0);
}

}  // namespace
