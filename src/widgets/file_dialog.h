#pragma once
// CMVFileDialog: the open-file chooser of the widget library, for picking
// existing files, one or many. Its answer buffer holds 64 KiB of names, far
// more than a user selects by hand; a choice that still does not fit is told
// apart from a cancelled chooser, so that it can be reported rather than
// silently dropped.
#include <windows.h>

#include <vector>

class CMVFileDialog {
 public:
  enum class Result { kChosen, kCancelled, kTooMany, kFailed };
  static constexpr DWORD kBufferSize = 64 * 1024;

  // title may be null (the system's own).
  CMVFileDialog(HWND owner, const char* title, bool multiSelect);

  Result DoModal();
  // After kChosen: the chooser's answer (a full path, or a folder followed by
  // names, each terminated, ending in an empty string) and where the first
  // name starts.
  const char* Buffer() const { return buffer_.data(); }
  size_t BufferSize() const { return buffer_.size(); }
  size_t FileOffset() const { return fileOffset_; }

 private:
  HWND owner_;
  const char* title_;
  bool multiSelect_;
  std::vector<char> buffer_;
  size_t fileOffset_ = 0;
};
