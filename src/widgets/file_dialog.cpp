#include "widgets/file_dialog.h"

#include <commdlg.h>

#include <algorithm>

CMVFileDialog::CMVFileDialog(HWND owner, const char* title, bool multiSelect)
    : owner_(owner), title_(title), multiSelect_(multiSelect), buffer_(kBufferSize + 2, '\0') {}

CMVFileDialog::Result CMVFileDialog::DoModal() {
  std::fill(buffer_.begin(), buffer_.end(), '\0');
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner_;
  open.lpstrFilter = "*.*\0*.*\0";
  open.lpstrFile = buffer_.data();
  // Two terminators of our own stay behind the chooser's part.
  open.nMaxFile = kBufferSize;
  open.lpstrTitle = title_;
  open.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_NODEREFERENCELINKS |
               (multiSelect_ ? OFN_ALLOWMULTISELECT : 0);
  if (GetOpenFileNameA(&open)) {
    fileOffset_ = open.nFileOffset;
    return Result::kChosen;
  }
  const DWORD error = CommDlgExtendedError();
  if (error == 0) return Result::kCancelled;
  return error == FNERR_BUFFERTOOSMALL ? Result::kTooMany : Result::kFailed;
}
