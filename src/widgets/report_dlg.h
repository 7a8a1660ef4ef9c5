#pragma once
// The report window at the end of a job or an erase: the summary, the list
// of items that need the user's attention, Copy (the report as text on the
// clipboard) and Save... (a text file where the user chooses). Nothing is
// written anywhere unless the user saves it. A report that closes itself
// goes after a moment; Close, Enter and Esc end any report at once.
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "widgets/report_content.h"

// How long a report that closes itself stays.
constexpr UINT kReportCloseMs = 3000;

class ReportDlg : public kx::Dialog {
 public:
  explicit ReportDlg(ReportContent content, UINT closeAfterMs = kReportCloseMs);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void Layout();
  void FillList();
  void StopClock();
  void Copy();
  void Save();

  ReportContent content_;
  UINT closeAfterMs_;
  bool clockRunning_ = false;
};

// Shows the report, owned by owner (null: a window of its own on the
// taskbar), and returns when it has closed.
void ShowReport(const ReportContent& content, HWND owner = nullptr);

// The text as UTF-16 on the clipboard (CF_UNICODETEXT); false when the
// clipboard could not be had.
bool PutTextOnClipboard(HWND owner, const std::string& text);
// Writes the text to a new file or over the one at path, as UTF-8 with a
// byte order mark so that editors take it for what it is; false with the
// reason in GetLastError.
bool WriteTextFile(const std::wstring& path, const std::string& text);
