#include "widgets/folder_browser.h"

#include <shlobj.h>

#include "base/ansi_text.h"
#include "framework/com.h"
#include "widgets/file_dialog.h"

namespace {

// File-system folders only, new style, usage hint, no "New Folder" button,
// link targets not translated.
constexpr UINT kBrowseFlags = 0x741;

}  // namespace

ChosenFolder BrowseForFolder(HWND owner, const char* title) {
  const std::wstring wideTitle = WideFromAnsi(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = wideTitle.empty() ? nullptr : wideTitle.c_str();
  browse.ulFlags = kBrowseFlags;
  const kx::CoTaskMemPtr<ITEMIDLIST> chosen(SHBrowseForFolderW(&browse));
  ChosenFolder folder;
  if (!chosen) return folder;
  wchar_t path[MAX_PATH + 1] = L"";
  if (SHGetPathFromIDListW(chosen.Get(), path) && path[0]) {
    folder.result = EnginePathOf(reinterpret_cast<const char16_t*>(path), folder.path, folder.shown)
                        ? ChosenFolder::Result::kChosen
                        : ChosenFolder::Result::kUnnamed;
    return folder;
  }
  folder.result = ChosenFolder::Result::kNoPath;
  SHFILEINFOW info{};
  SHGetFileInfoW(reinterpret_cast<const wchar_t*>(chosen.Get()), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_DISPLAYNAME);
  const size_t units = wcsnlen(info.szDisplayName, MAX_PATH);
  folder.shown =
      units ? ShownName(reinterpret_cast<const char16_t*>(info.szDisplayName), units) : "?";
  return folder;
}
