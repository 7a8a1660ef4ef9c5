// The batch delete list as a user meets it: the real dialog with the
// program's resources runs on the test's thread and is driven from a second
// thread with the messages that clicks, drops and resizing produce.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/settings_store.h"
#include "engine/delete_job.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"
#include "support/report_window.h"
#include "support/scratch_folder.h"
#include "support/screenshot.h"
#include "support/window_search.h"
#include "ui/delete_dlg.h"
#include "ui/delete_ids.h"
#include "ui/deleting.h"
#include "ui/prompt_ids.h"

namespace {

constexpr char kCaption[] = "Karvex";
constexpr char kConfirmCaption[] = "Confirm Delete - Karvex";
constexpr char kScratchKey[] = "Software\\Morvane\\KarvexTest-batch";

class BatchList : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::once_flag once;
    std::call_once(once, [] {
      INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
      InitCommonControlsEx(&controls);
      RegisterEnglishTexts("6.0.2");
    });
    SetCursorPos(0, 0);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    SetSettingsKeyPath(kScratchKey);
    BuildJob(pending_);
  }
  void TearDown() override {
    ReleaseJob(pending_);
    SetSettingsKeyPath(nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
  }

  // Opens the batch list on this thread while drive(dialog) acts on it from
  // another; the driver must close it.
  void Run(const std::function<void(HWND)>& drive) {
    std::thread driver([&] {
      HWND dialog = kxtest::WaitForWindow(kCaption);
      if (!dialog) return;
      kxtest::WaitFor([&] { return GetDlgItem(dialog, IDC_BATCH_LIST) != nullptr; });
      drive(dialog);
    });
    RunBatchList(pending_, runner_, nullptr);
    driver.join();
  }

  // Every job ends with its report; these tests are not about it. Made
  // before the runner, so that it outlives the runner's wait for its workers.
  kxtest::ReportCloser reports_;
  DeleteJob pending_;
  DeletionRunner runner_;
};

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_BATCH_LIST); }
int Rows(HWND dialog) {
  return static_cast<int>(SendMessageA(List(dialog), LVM_GETITEMCOUNT, 0, 0));
}

std::string RowText(HWND dialog, int row, int column = 0) {
  char text[600] = "";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(List(dialog), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<std::string> Paths(HWND dialog) {
  std::vector<std::string> paths;
  for (int row = 0; row < Rows(dialog); ++row) paths.push_back(RowText(dialog, row));
  return paths;
}

bool Selected(HWND dialog, int row) {
  return (SendMessageA(List(dialog), LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

void Close(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

// Explorer's drop: a DROPFILES block posted as WM_DROPFILES; the dialog
// frees it.
void Drop(HWND dialog, const std::vector<std::string>& paths) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& p : paths) size += p.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  char* out = reinterpret_cast<char*>(drop + 1);
  for (const std::string& p : paths) {
    std::memcpy(out, p.c_str(), p.size() + 1);
    out += p.size() + 1;
  }
  GlobalUnlock(block);
  SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

// The drop of a program that names items in UTF-16.
void DropWide(HWND dialog, const std::wstring& path) {
  const size_t size = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GHND, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(drop + 1, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

// A click on a heading, as the mouse makes it.
void ClickHeading(HWND dialog, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageA(List(dialog), LVM_GETHEADER, 0, 0));
  RECT r{};
  SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(header, WM_LBUTTONUP, 0, at);
}

std::string NotInfo(HWND dialog) { return kxtest::ItemText(dialog, IDC_BATCH_INFO); }

TEST_F(BatchList, EmptyListGreysStartRemoveAllAndRemoveAlsoInTheMenu) {
  Run([&](HWND dialog) {
    EXPECT_EQ(Rows(dialog), 0);
    EXPECT_FALSE(Enabled(dialog, IDOK));
    EXPECT_FALSE(Enabled(dialog, IDC_REMOVE_ALL));
    EXPECT_FALSE(Enabled(dialog, IDC_REMOVE));
    EXPECT_TRUE(Enabled(dialog, IDC_ADD_FILES));
    EXPECT_EQ(kxtest::ItemText(dialog, IDOK), "&Start");
    EXPECT_EQ(NotInfo(dialog),
              "Please add files, folders to the list, and click Start to delete them:");
    kxtest::SaveScreenshot(dialog, "batch_empty");
    Close(dialog);
  });
}

TEST_F(BatchList, ContextMenuGreysWhatCannotBeDone) {
  kxtest::ScratchFolder scratch("kxbatch");
  kxtest::WriteBytes(scratch / "a.txt", "a");
  Run([&](HWND dialog) {
    Drop(dialog, {scratch / "a.txt"});
    // Nothing selected: Remove and Select None greyed, the rest not.
    SendMessageA(dialog, WM_COMMAND, ID_SELECT_NONE, 0);
    EXPECT_FALSE(Enabled(dialog, IDC_REMOVE));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    RECT r{};
    GetWindowRect(List(dialog), &r);
    PostMessageA(List(dialog), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List(dialog)),
                 MAKELPARAM(r.left + 40, r.top + 30));
    HMENU shown = nullptr;
    ASSERT_TRUE(kxtest::WaitFor([&] {
      HWND menu = FindWindowA("#32768", nullptr);
      if (!menu || !IsWindowVisible(menu)) return false;
      shown = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
      return shown != nullptr;
    }));
    auto greyed = [&](UINT command) {
      return (GetMenuState(shown, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    EXPECT_FALSE(greyed(IDC_ADD_FILES));
    EXPECT_FALSE(greyed(IDC_ADD_FOLDER));
    EXPECT_TRUE(greyed(IDC_REMOVE));
    EXPECT_FALSE(greyed(IDC_REMOVE_ALL));
    EXPECT_FALSE(greyed(ID_SELECT_ALL));
    EXPECT_TRUE(greyed(ID_SELECT_NONE));
    char text[64] = "";
    GetMenuStringA(shown, ID_SELECT_ALL, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Select All");
    Sleep(200);
    kxtest::SaveScreenArea({r.left - 10, r.top - 10, r.left + 300, r.top + 200},
                           "batch_context_menu");
    PostMessageA(dialog, WM_CANCELMODE, 0, 0);
    kxtest::WaitFor([] {
      return !FindWindowA("#32768", nullptr) || !IsWindowVisible(FindWindowA("#32768", nullptr));
    });
    // Select All from the menu selects every row and allows Remove.
    SendMessageA(dialog, WM_COMMAND, ID_SELECT_ALL, 0);
    EXPECT_TRUE(Selected(dialog, 0));
    EXPECT_TRUE(Enabled(dialog, IDC_REMOVE));
    Close(dialog);
  });
  // Cancel keeps the pending list.
  EXPECT_EQ(CountItems(pending_), 1u);
}

TEST_F(BatchList, DroppedFolderAndFilesGiveRowsWithTheNewestSelected) {
  kxtest::ScratchFolder scratch("kxbatch");
  CreateDirectoryA((scratch / "Photos").c_str(), nullptr);
  kxtest::WriteBytes(scratch / "one.txt", "1");
  kxtest::WriteBytes(scratch / "two.txt", "2");
  Run([&](HWND dialog) {
    Drop(dialog, {scratch / "Photos", scratch / "one.txt", scratch / "two.txt"});
    ASSERT_EQ(Rows(dialog), 3);
    EXPECT_EQ(Paths(dialog), (std::vector<std::string>{scratch / "Photos", scratch / "one.txt",
                                                       scratch / "two.txt"}));
    EXPECT_EQ(RowText(dialog, 0, 1), "Folder");
    EXPECT_EQ(RowText(dialog, 1, 1), "File");
    EXPECT_TRUE(Selected(dialog, 2));
    EXPECT_FALSE(Selected(dialog, 0));
    EXPECT_TRUE(Enabled(dialog, IDOK) && Enabled(dialog, IDC_REMOVE_ALL) &&
                Enabled(dialog, IDC_REMOVE));
    // Remove takes the selected row only.
    SendMessageA(dialog, WM_COMMAND, IDC_REMOVE, 0);
    EXPECT_EQ(Paths(dialog), (std::vector<std::string>{scratch / "Photos", scratch / "one.txt"}));
    EXPECT_FALSE(Enabled(dialog, IDC_REMOVE));
    SendMessageA(dialog, WM_COMMAND, IDC_REMOVE, 0);  // nothing selected: nothing happens
    EXPECT_EQ(Rows(dialog), 2);
    SendMessageA(dialog, WM_COMMAND, IDC_REMOVE_ALL, 0);
    EXPECT_EQ(Rows(dialog), 0);
    EXPECT_FALSE(Enabled(dialog, IDOK));
    Close(dialog);
  });
  EXPECT_EQ(CountItems(pending_), 0u);
}

TEST_F(BatchList, PathsInsideAListedFolderAreNotAddedAndTheUserIsTold) {
  kxtest::ScratchFolder scratch("kxbatch");
  const std::string cafe = scratch / "Caf\xE9";
  CreateDirectoryA(cafe.c_str(), nullptr);
  kxtest::WriteBytes(cafe + "\\x.txt", "x");
  kxtest::WriteBytes(scratch / "a.jpg", "a");
  Run([&](HWND dialog) {
    Drop(dialog, {cafe});
    Drop(dialog, {cafe + "\\x.txt"});
    EXPECT_EQ(Rows(dialog), 1) << "inside a folder whose name has a byte above 0x7F";
    EXPECT_NE(NotInfo(dialog).find("x.txt"), std::string::npos) << NotInfo(dialog);
    EXPECT_NE(NotInfo(dialog).find("already in the list"), std::string::npos);
    // The system folds the case of every letter of the code page.
    Drop(dialog, {scratch / "CAF\xC9"});
    EXPECT_EQ(Rows(dialog), 1);
    // The same file twice is one row; the other order keeps both.
    Drop(dialog, {scratch / "a.jpg", scratch / "a.jpg"});
    EXPECT_EQ(Rows(dialog), 2);
    EXPECT_TRUE(Selected(dialog, 1));
    // A good add puts the instructions back.
    SendMessageA(dialog, WM_COMMAND, IDC_REMOVE_ALL, 0);
    Drop(dialog, {cafe + "\\x.txt"});
    EXPECT_EQ(NotInfo(dialog).rfind("Please add", 0), 0u);
    Drop(dialog, {cafe});
    EXPECT_EQ(Paths(dialog), (std::vector<std::string>{cafe + "\\x.txt", cafe}));
    // A path longer than 260 bytes is named, never cut.
    const std::string longPath = scratch / (std::string(250, 'n') + ".txt");
    Drop(dialog, {longPath});
    EXPECT_EQ(Rows(dialog), 2);
    EXPECT_NE(NotInfo(dialog).find("longer than 260"), std::string::npos) << NotInfo(dialog);
    Close(dialog);
  });
}

// A name without an exact form in the code page, beside the file its
// look-alike would name: that very file is listed (by its short name), or
// the user is told; the other file never is.
TEST_F(BatchList, DroppedNameWithoutExactFormNeverListsItsLookAlike) {
  const UINT codePage = GetACP();
  if (codePage == CP_UTF8 || codePage == 932 || codePage == 936 || codePage == 949 ||
      codePage == 950)
    GTEST_SKIP() << "code page " << codePage << " has a form for every name";
  kxtest::ScratchFolder scratch("kxbatch");
  kxtest::WriteBytes(scratch / "report", "keep");
  wchar_t folder[MAX_PATH] = L"";
  MultiByteToWideChar(CP_ACP, 0, scratch.Path().c_str(), -1, folder, MAX_PATH);
  const std::wstring wide = std::wstring(folder) + L"\\\uFF52eport";
  HANDLE made = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(made, INVALID_HANDLE_VALUE);
  CloseHandle(made);
  std::vector<std::string> rows;
  std::string note, goneNote;
  int rowsAfterGone = -1;
  Run([&](HWND dialog) {
    DropWide(dialog, wide);
    rows = Paths(dialog);
    note = NotInfo(dialog);
    // Gone before it could be looked up: nothing else stands in for it.
    DropWide(dialog, std::wstring(folder) + L"\\\uFF52ecord");
    rowsAfterGone = Rows(dialog);
    goneNote = NotInfo(dialog);
    kxtest::SaveScreenshot(dialog, "batch_not_exact");
    Close(dialog);
  });
  ASSERT_LE(rows.size(), 1u);
  if (rows.empty()) EXPECT_NE(note.find("code page"), std::string::npos) << note;
  for (const std::string& row : rows) {
    EXPECT_TRUE(kxtest::SameItem(row, wide)) << row;
    EXPECT_FALSE(kxtest::SameItem(row, std::wstring(folder) + L"\\report")) << row;
  }
  EXPECT_EQ(rowsAfterGone, static_cast<int>(rows.size()));
  EXPECT_NE(goneNote.find("code page: ?ecord"), std::string::npos) << goneNote;
  DeleteFileW(wide.c_str());
}

TEST_F(BatchList, HeadingClicksSortAsTheRuleSays) {
  const char* const paths[] = {"C:\\b", "C:\\A", "C:\\c"};
  for (const char* p : paths) AddTopLevelItem(pending_, p, nullptr);
  AddTopLevelItem(pending_, "C:\\Windows", [](const char*) { return true; });
  Run([&](HWND dialog) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Paths(dialog), (V{"C:\\b", "C:\\A", "C:\\c", "C:\\Windows"}));
    ClickHeading(dialog, 0);
    EXPECT_EQ(Paths(dialog), (V{"C:\\Windows", "C:\\c", "C:\\b", "C:\\A"}));
    kxtest::SaveScreenshot(dialog, "batch_sorted");
    ClickHeading(dialog, 0);
    EXPECT_EQ(Paths(dialog), (V{"C:\\A", "C:\\b", "C:\\c", "C:\\Windows"}));
    Close(dialog);
  });
  Run([&](HWND dialog) {
    using V = std::vector<std::string>;
    ClickHeading(dialog, 1);
    EXPECT_EQ(RowText(dialog, 0, 1), "Folder");
    ClickHeading(dialog, 0);
    EXPECT_EQ(Paths(dialog).front(), "C:\\Windows");
    ClickHeading(dialog, 0);
    EXPECT_EQ(Paths(dialog).front(), "C:\\Windows");
    ClickHeading(dialog, 0);
    EXPECT_EQ(Paths(dialog), (V{"C:\\A", "C:\\b", "C:\\c", "C:\\Windows"}));
    // The dividers stay where the dialog put them.
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(dialog), LVM_GETHEADER, 0, 0));
    const int before = static_cast<int>(SendMessageA(List(dialog), LVM_GETCOLUMNWIDTH, 0, 0));
    RECT r{};
    SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right - 1, 5));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right - 60, 5));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(r.right - 60, 5));
    EXPECT_EQ(SendMessageA(List(dialog), LVM_GETCOLUMNWIDTH, 0, 0), before);
    Close(dialog);
  });
  // Sorting reorders rows only.
  EXPECT_STREQ(pending_.root.firstChild->path, "C:\\Windows");
}

TEST_F(BatchList, GrowingMovesTheButtonsAndWidensThePathsAndReopeningRestores) {
  for (int i = 0; i < 4; ++i) {
    std::string p =
        "C:\\A very long folder name that goes on\\and on and on\\deeper and deeper\\file" +
        std::to_string(i) + ".txt";
    AddTopLevelItem(pending_, p.c_str(), nullptr);
  }
  RECT opened{};
  Run([&](HWND dialog) {
    GetWindowRect(dialog, &opened);
    kxtest::SaveScreenshot(dialog, "batch_long_paths");
    // Not smaller than it opened.
    SetWindowPos(dialog, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
    RECT small{};
    GetWindowRect(dialog, &small);
    EXPECT_EQ(small.right - small.left, opened.right - opened.left);
    EXPECT_EQ(small.bottom - small.top, opened.bottom - opened.top);
    SetWindowPos(dialog, nullptr, 40, 30, 700, 500, SWP_NOZORDER);
    RECT client{};
    GetClientRect(dialog, &client);
    const RECT cancel = kxtest::InParent(GetDlgItem(dialog, IDCANCEL));
    const RECT start = kxtest::InParent(GetDlgItem(dialog, IDOK));
    const RECT add = kxtest::InParent(GetDlgItem(dialog, IDC_ADD_FILES));
    const RECT removeAll = kxtest::InParent(GetDlgItem(dialog, IDC_REMOVE_ALL));
    const RECT list = kxtest::InParent(List(dialog));
    EXPECT_EQ(cancel.right, client.right - 10);
    EXPECT_EQ(cancel.bottom, client.bottom - 10);
    EXPECT_EQ(start.right, cancel.left - 5);
    EXPECT_EQ(start.bottom, client.bottom - 10);
    EXPECT_EQ(add.right, client.right - 10);
    EXPECT_EQ(removeAll.right, client.right - 10);
    EXPECT_EQ(list.right, add.left - 5);
    EXPECT_EQ(list.bottom, start.top - 5);
    RECT listClient{};
    GetClientRect(List(dialog), &listClient);
    EXPECT_EQ(SendMessageA(List(dialog), LVM_GETCOLUMNWIDTH, 0, 0) +
                  SendMessageA(List(dialog), LVM_GETCOLUMNWIDTH, 1, 0),
              listClient.right);
    kxtest::SaveScreenshot(dialog, "batch_grown");
    ShowWindow(dialog, SW_MAXIMIZE);
    Close(dialog);
  });
  Run([&](HWND dialog) {
    EXPECT_FALSE(IsZoomed(dialog));
    RECT r{};
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 700);
    EXPECT_EQ(r.bottom - r.top, 500);
    Close(dialog);
  });
}

// Presses OK in the confirmation, and waits until the job has ended.
void ConfirmWithOk() {
  HWND confirm = kxtest::WaitForWindow(kConfirmCaption);
  ASSERT_NE(confirm, nullptr);
  kxtest::Click(confirm, IDOK);
}

TEST_F(BatchList, StartDestroysExactlyTheListedItems) {
  kxtest::ScratchFolder scratch("kxbatch");
  CreateDirectoryA((scratch / "gone").c_str(), nullptr);
  kxtest::WriteBytes(scratch / "gone\\inner.bin", std::string(70000, 'g'));
  kxtest::WriteBytes(scratch / "gone.txt", "listed");
  kxtest::WriteBytes(scratch / "gone.txt.keep", "sentinel 1");
  kxtest::WriteBytes(scratch / "goner", "sentinel 2");
  CreateDirectoryA((scratch / "stays").c_str(), nullptr);
  kxtest::WriteBytes(scratch / "stays\\s.txt", "sentinel 3");
  Run([&](HWND dialog) {
    Drop(dialog, {scratch / "gone", scratch / "gone.txt"});
    ASSERT_EQ(Rows(dialog), 2);
    kxtest::Click(dialog, IDOK);
    ConfirmWithOk();
  });
  // RunBatchList returned: with no main window, the job has ended.
  EXPECT_FALSE(kxtest::Exists(scratch / "gone"));
  EXPECT_FALSE(kxtest::Exists(scratch / "gone.txt"));
  EXPECT_EQ(kxtest::ReadBytes(scratch / "gone.txt.keep"), "sentinel 1");
  EXPECT_EQ(kxtest::ReadBytes(scratch / "goner"), "sentinel 2");
  EXPECT_EQ(kxtest::ReadBytes(scratch / "stays\\s.txt"), "sentinel 3");
  EXPECT_EQ(kxtest::Listing(scratch.Path()).size(), 3u);
}

// The hand-off run: its confirmation has no main window; More... opens the
// batch list on the handed-over items.
TEST_F(BatchList, MoreFromAHandOffConfirmationOpensTheListWhoseStartDestroys) {
  kxtest::ScratchFolder scratch("kxbatch");
  kxtest::WriteBytes(scratch / "a.txt", "a");
  kxtest::WriteBytes(scratch / "b.txt", "b");
  kxtest::WriteBytes(scratch / "keep.txt", "sentinel");
  AddTopLevelItem(pending_, (scratch / "a.txt").c_str(), nullptr);
  AddTopLevelItem(pending_, (scratch / "b.txt").c_str(), nullptr);
  std::vector<std::string> shown;
  std::thread driver([&] {
    HWND confirm = kxtest::WaitForWindow(kConfirmCaption);
    ASSERT_NE(confirm, nullptr);
    kxtest::Click(confirm, IDC_MORE);
    HWND dialog = kxtest::WaitForWindow(kCaption);
    ASSERT_NE(dialog, nullptr);
    kxtest::WaitFor([&] { return Rows(dialog) == 2; });
    shown = Paths(dialog);
    kxtest::Click(dialog, IDOK);
    ConfirmWithOk();
  });
  EXPECT_FALSE(runner_.StartDeletion(pending_, nullptr))
      << "the first confirmation starts nothing itself";
  driver.join();
  EXPECT_EQ(shown, (std::vector<std::string>{scratch / "a.txt", scratch / "b.txt"}));
  EXPECT_FALSE(kxtest::Exists(scratch / "a.txt"));
  EXPECT_FALSE(kxtest::Exists(scratch / "b.txt"));
  EXPECT_EQ(kxtest::ReadBytes(scratch / "keep.txt"), "sentinel");
}

TEST_F(BatchList, CancelInTheListOpenedByMoreDestroysNothing) {
  kxtest::ScratchFolder scratch("kxbatch");
  kxtest::WriteBytes(scratch / "a.txt", "a");
  AddTopLevelItem(pending_, (scratch / "a.txt").c_str(), nullptr);
  std::thread driver([&] {
    HWND confirm = kxtest::WaitForWindow(kConfirmCaption);
    ASSERT_NE(confirm, nullptr);
    kxtest::Click(confirm, IDC_MORE);
    HWND dialog = kxtest::WaitForWindow(kCaption);
    ASSERT_NE(dialog, nullptr);
    Close(dialog);
  });
  EXPECT_FALSE(runner_.StartDeletion(pending_, nullptr));
  driver.join();
  EXPECT_EQ(kxtest::ReadBytes(scratch / "a.txt"), "a");
  EXPECT_EQ(CountItems(pending_), 1u);
}

}  // namespace
