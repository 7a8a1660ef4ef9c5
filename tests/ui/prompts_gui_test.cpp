// The confirmation and error prompts as real windows: shown on the test's
// thread, driven from a second thread like a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>

#include "engine/delete_job.h"
#include "framework/module.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"
#include "support/screenshot.h"
#include "support/window_search.h"
#include "ui/prompt_ids.h"
#include "ui/prompts.h"

namespace {

constexpr char kConfirmCaption[] = "Confirm Delete - Karvex";
constexpr char kErrorCaption[] = "Error - Karvex";

void LoadTexts() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterEnglishTexts(nullptr); });
}

bool TreatAsFolder(const char*) { return true; }

// Shows the dialog on this thread while `drive` acts on it from another.
template <typename Show, typename Drive>
INT_PTR ShowDriven(Show show, Drive drive) {
  std::thread driver(drive);
  INT_PTR answer = show();
  driver.join();
  return answer;
}

RECT ClientRectOf(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{sizeof(info)};
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

struct ConfirmView {
  std::string question;
  RECT text{}, icon{}, more{}, ok{}, cancel{}, client{}, frame{};
  std::string moreText, okText, cancelText;
  bool focusOnMore = false;
};

// Opens the confirmation for the pending list, reads what it shows, then
// ends it with `finish`; answers DoModal's result.
INT_PTR Confirm(DeleteJob& pending, ConfirmView& view, void (*finish)(HWND),
                const char* screenshot = nullptr, BatchOpener* batch = nullptr) {
  CKXConfirmDlg dialog(pending, batch);
  return ShowDriven([&] { return dialog.DoModal(nullptr); },
                    [&] {
                      HWND d = kxtest::WaitForWindow(kConfirmCaption);
                      if (!d) return;
                      view.question = kxtest::ItemText(d, IDC_PROMPT_TEXT);
                      view.text = ClientRectOf(d, IDC_PROMPT_TEXT);
                      view.icon = ClientRectOf(d, IDC_CONFIRM_ICON);
                      view.more = ClientRectOf(d, IDC_MORE);
                      view.ok = ClientRectOf(d, IDOK);
                      view.cancel = ClientRectOf(d, IDCANCEL);
                      GetClientRect(d, &view.client);
                      GetWindowRect(d, &view.frame);
                      view.moreText = kxtest::ItemText(d, IDC_MORE);
                      view.okText = kxtest::ItemText(d, IDOK);
                      view.cancelText = kxtest::ItemText(d, IDCANCEL);
                      view.focusOnMore = kxtest::WaitFor(
                          [&] { return FocusOf(d) == GetDlgItem(d, IDC_MORE); }, 2000);
                      if (screenshot) kxtest::SaveScreenshot(d, screenshot);
                      finish(d);
                    });
}

class PendingList {
 public:
  PendingList() { BuildJob(job); }
  ~PendingList() { ReleaseJob(job); }
  void Add(const char* path, bool folder = false) {
    ASSERT_NE(AddTopLevelItem(job, path, folder ? TreatAsFolder : nullptr), nullptr) << path;
  }
  DeleteJob job;
};

void PressOK(HWND d) { kxtest::Click(d, IDOK); }
void PressCancel(HWND d) { kxtest::Click(d, IDCANCEL); }
void PressEscape(HWND d) { PostMessageA(GetDlgItem(d, IDC_MORE), WM_KEYDOWN, VK_ESCAPE, 1); }
void PressCloseBox(HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }
void PressMore(HWND d) { kxtest::Click(d, IDC_MORE); }

TEST(ConfirmPrompt, NamesOneFileBesideTheIconAndAnswersOK) {
  LoadTexts();
  PendingList pending;
  pending.Add("C:\\Data\\report.doc");
  ConfirmView view;
  EXPECT_EQ(Confirm(pending.job, view, PressOK, "confirm_file"), IDOK);
  EXPECT_EQ(view.question, "Are you sure you want to delete 'report.doc'?");
  EXPECT_EQ(view.moreText, "&More...");
  EXPECT_EQ(view.okText, "&OK");
  EXPECT_EQ(view.cancelText, "&Cancel");
  EXPECT_TRUE(view.focusOnMore);
  // One line stands vertically centred on the icon.
  int textMiddle = (view.text.top + view.text.bottom) / 2;
  int iconMiddle = (view.icon.top + view.icon.bottom) / 2;
  EXPECT_LE(std::abs(textMiddle - iconMiddle), 1);
  EXPECT_LT(view.text.bottom - view.text.top, view.icon.bottom - view.icon.top);
}

TEST(ConfirmPrompt, FolderKeepsItsTrailingBackslashAndRootsNameThemselves) {
  LoadTexts();
  {
    PendingList pending;
    pending.Add("D:\\Photos\\", true);
    ConfirmView view;
    EXPECT_EQ(Confirm(pending.job, view, PressCancel, "confirm_folder"), IDCANCEL);
    EXPECT_EQ(view.question,
              "Are you sure you want to delete the folder 'Photos\\' and all its contents?");
  }
  {
    PendingList pending;
    pending.Add("D:\\", true);
    ConfirmView view;
    EXPECT_EQ(Confirm(pending.job, view, PressCancel), IDCANCEL);
    EXPECT_EQ(view.question, "Are you sure you want to delete the folder 'D:\\' and all its contents?");
  }
}

TEST(ConfirmPrompt, SeveralItemsAreCountedAndEscapeAndCloseBoxCancel) {
  LoadTexts();
  PendingList pending;
  pending.Add("C:\\a.txt");
  pending.Add("C:\\b.txt");
  pending.Add("C:\\Folder", true);
  ConfirmView view;
  EXPECT_EQ(Confirm(pending.job, view, PressEscape, "confirm_multi"), IDCANCEL);
  EXPECT_EQ(view.question, "Are you sure you want to delete these 3 items?");
  ConfirmView again;
  EXPECT_EQ(Confirm(pending.job, again, PressCloseBox), IDCANCEL);
  EXPECT_EQ(again.question, view.question);
}

TEST(ConfirmPrompt, LongNameIsCutWithAnEllipsisAndTheSentenceStaysWhole) {
  LoadTexts();
  std::string name(200, 'n');
  name += ".dat";
  std::string path = "C:\\" + name;
  PendingList pending;
  pending.Add(path.c_str());
  ConfirmView view;
  EXPECT_EQ(Confirm(pending.job, view, PressCancel, "confirm_long_name"), IDCANCEL);
  const std::string head = "Are you sure you want to delete '";
  const std::string tail = "...'?";
  ASSERT_GT(view.question.size(), head.size() + tail.size());
  EXPECT_EQ(view.question.substr(0, head.size()), head);
  EXPECT_EQ(view.question.substr(view.question.size() - tail.size()), tail);
  std::string shown = view.question.substr(head.size(), view.question.size() - head.size() - tail.size());
  EXPECT_FALSE(shown.empty());
  EXPECT_LT(shown.size(), name.size());
  EXPECT_EQ(name.compare(0, shown.size(), shown), 0);
}

TEST(ConfirmPrompt, TallQuestionGrowsTheDialogAndMovesTheButtonsDown) {
  LoadTexts();
  PendingList pending;
  pending.Add("C:\\Data\\report.doc");
  ConfirmView normal;
  ASSERT_EQ(Confirm(pending.job, normal, PressCancel), IDCANCEL);

  ASSERT_NE(TextStore().RegisterText("ConfirmFile", "Global",
                                     "Line one of a long question about '%1'.\\r\\nLine two.\\r\\n"
                                     "Line three.\\r\\nLine four.\\r\\nLine five.\\r\\nLine six.\\r\\n"
                                     "Line seven.",
                                     nullptr, false),
            nullptr);
  ConfirmView tall;
  INT_PTR answer = Confirm(pending.job, tall, PressCancel, "confirm_tall");
  TextStore().ClearLanguageTexts();
  ASSERT_EQ(answer, IDCANCEL);

  EXPECT_NE(tall.question.find("Line seven."), std::string::npos);
  int grow = (tall.frame.bottom - tall.frame.top) - (normal.frame.bottom - normal.frame.top);
  EXPECT_GT(grow, 0);
  EXPECT_EQ(tall.text.top, tall.icon.top);
  EXPECT_GT(tall.text.bottom - tall.text.top, normal.text.bottom - normal.text.top);
  // The text does not run into the buttons, which keep their distance to the
  // bottom edge.
  EXPECT_LE(tall.text.bottom, tall.ok.top);
  EXPECT_EQ(tall.client.bottom - tall.ok.bottom, normal.client.bottom - normal.ok.bottom);
  EXPECT_EQ(tall.client.bottom - tall.more.bottom, normal.client.bottom - normal.more.bottom);
  EXPECT_EQ(tall.client.bottom - tall.cancel.bottom, normal.client.bottom - normal.cancel.bottom);
}

struct BatchCall {
  int calls = 0;
  HWND owner = reinterpret_cast<HWND>(1);
  bool confirmationGone = false;
};
BatchCall batchCall;

class RecordBatch : public BatchOpener {
 public:
  void OpenBatchList(DeleteJob&, HWND owner) override {
    ++batchCall.calls;
    batchCall.owner = owner;
    batchCall.confirmationGone = kxtest::WindowsWithCaption(kConfirmCaption).empty();
  }
};

TEST(ConfirmPrompt, MoreOpensTheBatchListAfterTheConfirmationHasGoneAndAnswersCancel) {
  LoadTexts();
  PendingList pending;
  pending.Add("C:\\a.txt");
  batchCall = {};
  RecordBatch opener;
  ConfirmView view;
  EXPECT_EQ(Confirm(pending.job, view, PressMore, nullptr, &opener), IDCANCEL);
  EXPECT_EQ(batchCall.calls, 1);
  EXPECT_EQ(batchCall.owner, kx::AppMainWindow());
  EXPECT_TRUE(batchCall.confirmationGone);
  // The list is handed over untouched.
  EXPECT_EQ(CountItems(pending.job), 1u);
}

struct ErrorView {
  std::string text, title;
  std::string buttons[4];
  bool focusOnTryAgain = false;
};

INT_PTR ShowError(const char* pattern, const char* name, const char* reason, void (*finish)(HWND),
                  ErrorView* view = nullptr, const char* screenshot = nullptr) {
  CKXMsgDlg dialog(pattern, name, reason);
  return ShowDriven([&] { return dialog.DoModal(nullptr); },
                    [&] {
                      HWND d = kxtest::WaitForWindow(kErrorCaption);
                      if (!d) return;
                      if (view) {
                        view->text = kxtest::ItemText(d, IDC_PROMPT_TEXT);
                        int ids[4] = {IDC_TRY_AGAIN, IDC_SKIP, IDC_SKIP_ALL, IDCANCEL};
                        for (int i = 0; i < 4; ++i) view->buttons[i] = kxtest::ItemText(d, ids[i]);
                        view->focusOnTryAgain = kxtest::WaitFor(
                            [&] { return FocusOf(d) == GetDlgItem(d, IDC_TRY_AGAIN); }, 2000);
                      }
                      if (screenshot) kxtest::SaveScreenshot(d, screenshot);
                      finish(d);
                    });
}

TEST(ErrorPrompt, ShowsNameAndReasonAndEachButtonAnswersItsOwnIdentifier) {
  LoadTexts();
  const char* pattern = TextStore().GetText("ErrDelFile", "Global");
  ASSERT_NE(pattern, nullptr);
  ErrorView view;
  EXPECT_EQ(ShowError(pattern, "locked.dat", "Access denied.", PressCancel, &view, "error_prompt"),
            kAnswerCancel);
  EXPECT_EQ(view.text, "Cannot delete 'locked.dat':\r\n\r\nAccess denied.");
  EXPECT_EQ(view.buttons[0], "&Try Again");
  EXPECT_EQ(view.buttons[1], "&Skip");
  EXPECT_EQ(view.buttons[2], "Skip &All");
  EXPECT_EQ(view.buttons[3], "&Cancel");
  EXPECT_TRUE(view.focusOnTryAgain);

  EXPECT_EQ(ShowError(pattern, "a", "r", [](HWND d) { kxtest::Click(d, IDC_TRY_AGAIN); }),
            kAnswerTryAgain);
  EXPECT_EQ(ShowError(pattern, "a", "r", [](HWND d) { kxtest::Click(d, IDC_SKIP); }), kAnswerSkip);
  EXPECT_EQ(ShowError(pattern, "a", "r", [](HWND d) { kxtest::Click(d, IDC_SKIP_ALL); }),
            kAnswerSkipAll);
  // Esc and the close box cancel, they never skip.
  EXPECT_EQ(ShowError(pattern, "a", "r",
                      [](HWND d) { PostMessageA(GetDlgItem(d, IDC_TRY_AGAIN), WM_KEYDOWN, VK_ESCAPE, 1); }),
            kAnswerCancel);
  EXPECT_EQ(ShowError(pattern, "a", "r", PressCloseBox), kAnswerCancel);
}

TEST(ErrorPrompt, HostileLanguagePatternIsShownAsWritten) {
  LoadTexts();
  ErrorView view;
  EXPECT_EQ(ShowError("%s%n%n%n%s %x %2", "locked.dat", "why", PressCancel, &view), kAnswerCancel);
  EXPECT_EQ(view.text, "locked.dat%n%n%n%s %x why");
}

TEST(PromptText, NameIsCutToTheWidthOnlyWhenItDoesNotFit) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT rect{0, 0, 300, 60};
  std::string text;
  int h = FormatPromptText("short.txt", "Delete '%1'?", dc, rect, text);
  EXPECT_EQ(text, "Delete 'short.txt'?");
  EXPECT_GT(h, 0);

  std::string longName(300, 'w');
  int tallH = FormatPromptText(longName.c_str(), "'%1'\r\nsecond line", dc, rect, text);
  ASSERT_GT(text.size(), 5u);
  EXPECT_NE(text.find("...'"), std::string::npos);
  EXPECT_LT(text.size(), longName.size());
  EXPECT_GT(tallH, h);

  // No room at all: the name becomes empty, the pattern stays whole.
  RECT narrow{0, 0, 2, 60};
  FormatPromptText("name.txt", "Delete '%1'?", dc, narrow, text);
  EXPECT_EQ(text, "Delete ''?");
  DeleteDC(dc);
}

}  // namespace
