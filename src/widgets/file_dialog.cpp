#include "widgets/file_dialog.h"

#include <commdlg.h>

#include "base/ansi_text.h"
#include "base/folder_test.h"
#include "widgets/open_file_result.h"

namespace {

// Longer than any path the system opens.
constexpr size_t kLongestPath = 32767;

}  // namespace

bool EnginePathOf(const std::u16string& shellPath, std::string& path, std::string& shown) {
  std::string ansi(kLongestPath * 3 + 1, '\0');
  if (!ShellPathToAnsi(shellPath.data(), shellPath.size(), ansi.data(), ansi.size())) {
    shown = ShownName(shellPath.data(), shellPath.size());
    return false;
  }
  // The system dialogs see the folders with redirection on, the engine
  // with it off.
  path = UnredirectedName(ansi.c_str());
  return true;
}

CMVFileDialog::CMVFileDialog(HWND owner, const char* title, bool multiSelect)
    : owner_(owner), title_(WideFromAnsi(title)), multiSelect_(multiSelect) {}

CMVFileDialog::Result CMVFileDialog::DoModal() {
  paths_.clear();
  unnamed_.clear();
  // Two terminators of our own stay behind the chooser's part.
  std::vector<wchar_t> buffer(kBufferSize + 2, L'\0');
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner_;
  open.lpstrFilter = L"*.*\0*.*\0";
  open.lpstrFile = buffer.data();
  open.nMaxFile = kBufferSize;
  open.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  open.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_NODEREFERENCELINKS |
               (multiSelect_ ? OFN_ALLOWMULTISELECT : 0);
  if (!GetOpenFileNameW(&open)) {
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return Result::kCancelled;
    return error == FNERR_BUFFERTOOSMALL ? Result::kTooMany : Result::kFailed;
  }
  SplitOpenFileResult(reinterpret_cast<const char16_t*>(buffer.data()), buffer.size(),
                      open.nFileOffset, kLongestPath, [this](const std::u16string& chosen) {
                        std::string path, shown;
                        if (EnginePathOf(chosen, path, shown)) {
                          paths_.push_back(std::move(path));
                        } else {
                          unnamed_.push_back(std::move(shown));
                        }
                      });
  return Result::kChosen;
}
