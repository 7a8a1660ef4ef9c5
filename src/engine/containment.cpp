#include "engine/containment.h"

#include <cstring>
#include <memory>
#include <new>

#include "base/ansi_text.h"
#include "base/path_utils.h"
#include "engine/handle_ops.h"
#include "engine/overwrite_plan.h"
#include "framework/handle.h"

using namespace engine;

namespace {

// Whether name is the short (8.3) name of the item at the full path.
bool IsShortNameOf(const std::wstring& name, const std::wstring& path) {
  if (name.find(L'~') == std::wstring::npos || path.empty()) return false;
  wchar_t shortPath[MAX_PATH + 1];
  const DWORD length =
      Unredirected([&] { return GetShortPathNameW(path.c_str(), shortPath, MAX_PATH + 1); });
  if (length == 0 || length > MAX_PATH) return false;
  const std::wstring shortened(shortPath, length);
  return shortened.compare(shortened.find_last_of(L'\\') + 1, std::wstring::npos, name) == 0;
}

}  // namespace

void SelectionAnchor::Clear() {
  taken_ = false;
  anchor_.clear();
  error_ = ERROR_SUCCESS;
  volume_ = 0;
  identity_ = {};
}

void SelectionAnchor::Take(const char* path) {
  Clear();
  taken_ = true;
  char item[kMaxPathBytes + 1];
  lstrcpynA(item, path, sizeof item);
  size_t length = std::strlen(item);
  // A folder given with a trailing separator is the same folder.
  if (length > 1 && item[length - 1] == '\\' && !NamesDriveRoot(item)) item[--length] = '\0';
  const std::wstring itemName = LongPathOf(item);
  if (itemName.empty()) {
    error_ = ERROR_INVALID_NAME;
    return;
  }

  if (NamesDriveRoot(item)) {
    kx::FileHandle root(OpenFolderToLook(itemName, true));
    if (root) {
      anchor_ = FinalPathOf(root.Get());
      const FileIdentity id = IdentityOf(root.Get());
      volume_ = id.volume;
      identity_ = {id.volume, id.index, id.volume, id.index};
    }
    if (anchor_.empty()) error_ = LastErrorOr(ERROR_PATH_NOT_FOUND);
    return;
  }
  // The item's own final path would follow it if it were a link: what it
  // must be is its name as its folder lists it, in its folder's final path.
  // The folder itself may well be reached through a junction.
  char parent[kMaxPathBytes + 1];
  std::memcpy(parent, item, sizeof parent);
  PathParent(parent);
  std::wstring folder;
  {
    kx::FileHandle handle(OpenFolderToLook(LongPathOf(parent), true));
    if (handle) {
      folder = FinalPathOf(handle.Get());
      const FileIdentity id = IdentityOf(handle.Get());
      volume_ = id.volume;
      identity_.folderVolume = id.volume;
      identity_.folderIndex = id.index;
    }
  }
  if (folder.empty()) {
    error_ = LastErrorOr(ERROR_PATH_NOT_FOUND);
    return;
  }
  // The name the item bears on the disk, from a handle on the item itself.
  // It must be the name it was chosen by (or the long form of a chosen
  // short name): where the chosen one is gone, a file system that tells
  // cases apart may find a case twin under it, and a system that opens
  // what a file link leads to names the target. Both are other items.
  const std::wstring chosen = itemName.substr(itemName.find_last_of(L'\\') + 1);
  std::wstring onDisk;
  {
    kx::FileHandle handle(OpenFolderToLook(itemName));
    if (!handle) {
      error_ = LastErrorOr(ERROR_FILE_NOT_FOUND);
      return;
    }
    const FileIdentity id = IdentityOf(handle.Get());
    identity_.itemVolume = id.volume;
    identity_.itemIndex = id.index;
    const HandleFacts facts = FactsOf(handle.Get());
    // A link seen as such is named by itself.
    if (facts.known && (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      onDisk = chosen;
    } else {
      const std::wstring final = FinalPathOf(handle.Get());
      onDisk = final.substr(final.find_last_of(L'\\') + 1);
      if (onDisk != chosen && !IsShortNameOf(chosen, final)) {
        error_ = kReasonOutsideSelection;
        return;
      }
    }
  }
  if (onDisk.empty()) {
    error_ = ERROR_FILE_NOT_FOUND;
    return;
  }
  if (folder.back() != L'\\') folder += L'\\';
  anchor_ = folder + onDisk;
}

DWORD SelectionAnchor::Check(HANDLE handle, std::wstring* where) const {
  if (anchor_.empty()) return error_ != ERROR_SUCCESS ? error_ : kReasonOutsideSelection;
  std::wstring final = FinalPathOf(handle);
  if (final.empty()) {
    const DWORD error = LastErrorOr(ERROR_INVALID_FUNCTION);
    return error == ERROR_MORE_DATA ? CheckOnVolume(handle, error) : error;
  }
  if (!PathLiesInside(final.c_str(), anchor_.c_str())) return kReasonOutsideSelection;
  if (where) *where = std::move(final);
  return ERROR_SUCCESS;
}

DWORD SelectionAnchor::CheckNamed(HANDLE handle, const std::wstring& name,
                                  std::wstring* where) const {
  std::wstring final;
  const DWORD inside = Check(handle, &final);
  if (inside != ERROR_SUCCESS || final.empty()) return inside;
  const std::wstring chosen = name.substr(name.find_last_of(L'\\') + 1);
  const size_t slash = final.find_last_of(L'\\');
  if (final.compare(slash + 1, std::wstring::npos, chosen) != 0 && !IsShortNameOf(chosen, final))
    return kReasonChanged;
  if (where) *where = std::move(final);
  return ERROR_SUCCESS;
}

DWORD SelectionAnchor::CheckOnVolume(HANDLE handle, DWORD finalPathError) const {
  // The anchor as "\\?\X:\..." less its volume part, as the file system names
  // a file on its volume.
  const wchar_t* onVolume = anchor_.c_str();
  if (std::wcsncmp(onVolume, L"\\\\?\\", 4) == 0) onVolume += 4;
  if (!(onVolume[0] != L'\0' && onVolume[1] == L':') || volume_ == 0) return finalPathError;
  onVolume += 2;
  const DWORD volume = VolumeOf(handle);
  if (volume == 0) return finalPathError;
  if (volume != volume_) return kReasonOutsideSelection;
  constexpr DWORD kNameBytes = sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t);
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[kNameBytes]);
  if (!block) return ERROR_NOT_ENOUGH_MEMORY;
  auto* info = reinterpret_cast<FILE_NAME_INFO*>(block.get());
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, info, kNameBytes)) {
    return LastErrorOr(finalPathError);
  }
  const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
  return PathLiesInside(name.c_str(), onVolume) ? ERROR_SUCCESS : kReasonOutsideSelection;
}

void TakeChosenIdentities(DeleteJob& job, bool keepTaken) {
  if (job.chosen == nullptr) job.chosen = new (std::nothrow) ChosenIdentities;
  if (job.chosen == nullptr) return;
  for (const DeleteItem* top = job.root.firstChild; top != nullptr; top = top->next) {
    char path[kMaxPathBytes + 1];
    if (!top->path.CopyTo(path, sizeof path)) continue;
    if (keepTaken && job.chosen->Find(path) != nullptr) continue;
    SelectionAnchor anchor;
    anchor.Take(path);
    job.chosen->Set(path, anchor.Identity());
  }
}

namespace {

// Two sightings of one thing differ only when both saw it (a file another
// program holds cannot always be looked at, and says so later by itself).
bool Differ(uint32_t volumeThen, uint64_t indexThen, uint32_t volumeNow, uint64_t indexNow) {
  const bool then = volumeThen != 0 || indexThen != 0;
  const bool now = volumeNow != 0 || indexNow != 0;
  return then && now && (volumeThen != volumeNow || indexThen != indexNow);
}

}  // namespace

DWORD CheckChosen(const DeleteJob& job, const char* path, const ChosenIdentity& now) {
  if (job.chosen == nullptr) return ERROR_SUCCESS;
  const ChosenIdentity* then = job.chosen->Find(path);
  if (then == nullptr) return ERROR_SUCCESS;
  if (Differ(then->folderVolume, then->folderIndex, now.folderVolume, now.folderIndex) ||
      Differ(then->itemVolume, then->itemIndex, now.itemVolume, now.itemIndex))
    return kReasonChanged;
  return ERROR_SUCCESS;
}
