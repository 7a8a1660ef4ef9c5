#pragma once
// CKXDeleteDlg: the batch delete list. The user gathers files and folders
// (chooser, folder browser, dropped from Explorer) and destroys them in one
// job. The dialog keeps no list of its own: every row stands for a top-level
// item of the pending list and the rows are rebuilt after every change.
#include <windows.h>

#include <string>
#include <vector>

#include "base/window_state.h"
#include "engine/delete_job.h"
#include "framework/dialog.h"
#include "widgets/list_ctrl.h"
#include "widgets/mv_button.h"

class DeletionRunner;

// Why paths were not added, gathered over one add, for the note the user
// reads in place of the dialog's instructions.
struct NotAdded {
  std::vector<std::string> listed;   // already listed or inside a listed folder
  std::vector<std::string> tooLong;  // longer than 260 bytes
  std::vector<std::string> noPath;   // folders without a file-system path
  std::vector<std::string> unnamed;  // items without an exact name in the code page
  bool tooMany = false;              // more files than the chooser can answer
  bool Any() const {
    return tooMany || !listed.empty() || !tooLong.empty() || !noPath.empty() || !unnamed.empty();
  }
};
// The note for what was not added; empty when everything was.
std::string NotAddedNote(const NotAdded& notAdded);

class CKXDeleteDlg : public kx::Dialog {
 public:
  CKXDeleteDlg(DeleteJob& pending, DeletionRunner& runner);
  // Always IDCANCEL. After Start, once the window has gone, the pending list
  // goes through the confirmation and is destroyed; with no main window this
  // returns when that job has ended.
  INT_PTR DoModal(HWND owner);

  CKXListCtrl& List() { return list_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void OnOK() override;

 private:
  void SetTexts();
  void ShowPendingList();
  void UpdateBatchButtons();
  void LayoutBatchDialog();
  void AddFiles();
  void AddFolder();
  void AddDropped(HDROP drop);
  void RemoveSelected();
  void RemoveAll();
  // Adds one path, or records why not; true when it was added.
  bool AddPath(const std::string& path, NotAdded& notAdded);
  // Rebuilds the rows and selects the newest after an add; tells what was
  // not added.
  void FinishAdding(int added, const NotAdded& notAdded);

  DeleteJob& pending_;
  DeletionRunner& runner_;
  WindowStateRecord state_{};
  SIZE minSize_{0, 0};
  CKXListCtrl list_;
  CMVButton buttons_[6];
  bool startChosen_ = false;
};

// The batch list on the pending list, as the main window and the
// confirmation's More... open it.
void RunBatchList(DeleteJob& pending, DeletionRunner& runner, HWND owner);
