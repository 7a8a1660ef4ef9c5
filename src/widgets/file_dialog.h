#pragma once
// CMVFileDialog: the open-file chooser of the widget library, for picking
// existing files, one or many. Its answer buffer holds 64 Ki characters of
// names, far more than a user selects by hand; a choice that still does not
// fit is told apart from a cancelled chooser, so that it can be reported
// rather than silently dropped.
//
// The chooser speaks UTF-16 and hands over each chosen item under a name the
// engine's code-page paths reach exactly (ShellPathToAnsi); an item without
// one is listed apart, never replaced by a look-alike name.
#include <windows.h>

#include <string>
#include <vector>

class CMVFileDialog {
 public:
  enum class Result { kChosen, kCancelled, kTooMany, kFailed };
  static constexpr DWORD kBufferSize = 64 * 1024;

  // title may be null (the system's own).
  CMVFileDialog(HWND owner, const char* title, bool multiSelect);

  Result DoModal();
  // After kChosen, in the chooser's order: the chosen items as the engine
  // reaches them (redirection undone; any length, the caller decides), and
  // the names, for the user, of those that have no such path.
  const std::vector<std::string>& Paths() const { return paths_; }
  const std::vector<std::string>& Unnamed() const { return unnamed_; }

 private:
  HWND owner_;
  std::wstring title_;
  bool multiSelect_;
  std::vector<std::string> paths_;
  std::vector<std::string> unnamed_;
};

// The name by which the engine reaches the item that a system dialog of this
// process named in UTF-16 (true, into path, redirection undone), or else the
// item's name for telling the user (false, into shown).
bool EnginePathOf(const std::u16string& shellPath, std::string& path, std::string& shown);
