#pragma once
// The two prompts between the user and the deletion engine: the confirmation
// before every deletion, and the error prompt of a failed step.
#include <windows.h>

#include <string>

#include "engine/delete_job.h"
#include "framework/dialog.h"

// Fits the name into the pattern: the name is cut to one line of the text
// rectangle's width less three average characters, ending in "...", then
// "%1" takes it (or "%s" in a pattern without "%1") and "%2" takes the
// reason (FillPromptPattern). The dialog's font must be selected into dc.
// Answers the height in pixels of the result wrapped into the rectangle.
int FormatPromptText(const char* name, const char* pattern, HDC dc, const RECT& rect,
                     std::string& result, const char* reason = nullptr);

// Asked once before every deletion; names the single pending item or counts
// them. DoModal answers IDOK to go ahead; IDCANCEL for Cancel, Esc, the close
// box and More...; -1 when the window cannot be made.
// Opens the batch list on the pending list, modally, owned by owner (null in
// a hand-off run); returns when it has closed.
class BatchOpener {
 public:
  virtual ~BatchOpener() = default;
  virtual void OpenBatchList(DeleteJob& pending, HWND owner) = 0;
};

class CKXConfirmDlg : public kx::Dialog {
 public:
  // More... hands the pending list to the batch list instead, owned by the
  // main window (or none), and DoModal returns only after it has closed.
  // Without an opener More... only cancels.
  explicit CKXConfirmDlg(DeleteJob& pending, BatchOpener* batch = nullptr);
  INT_PTR DoModal(HWND owner);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  DeleteJob& pending_;
  BatchOpener* batch_;
  bool moreChosen_ = false;
};

// The error prompt of a failed step. DoModal answers kAnswerTryAgain,
// kAnswerSkip, kAnswerSkipAll, or kAnswerCancel for Cancel, Esc and the close
// box; -1 when the window cannot be made.
class CKXMsgDlg : public kx::Dialog {
 public:
  // message: pattern with "%1" for the name and "%2" for the reason (the
  // system's description of the error).
  CKXMsgDlg(std::string message, std::string name, std::string reason);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  std::string message_;
  std::string name_;
  std::string reason_;
};
