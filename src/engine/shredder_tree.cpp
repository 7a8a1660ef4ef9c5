// The pass over a prepared tree: children before their folder, each selected
// item held to the place it had when the user confirmed it.
#include <cstring>
#include <string>
#include <vector>

#include "base/ansi_text.h"

#include "base/path_utils.h"
#include "engine/fill_buffer.h"
#include "engine/overwrite_plan.h"
#include "engine/progress_math.h"
#include "engine/shredder.h"
#include "lang/text_store.h"

namespace engine {

Shredder::Entered Shredder::EnterFolder(const Name& name) {
  for (;;) {
    DWORD code;
    kx::FileHandle folder(name.wide.empty() ? INVALID_HANDLE_VALUE : OpenFolderToLook(name.wide));
    if (!folder) {
      code = name.wide.empty() ? ERROR_INVALID_NAME : LastErrorOr(ERROR_PATH_NOT_FOUND);
    } else {
      const HandleFacts facts = FactsOf(folder.Get());
      if (!facts.known) {
        code = LastErrorOr(ERROR_INVALID_FUNCTION);
      } else if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return Entered::kLink;
      } else if (!(facts.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        code = ERROR_DIRECTORY;
      } else {
        code = anchor_.CheckNamed(folder.Get(), name.wide);
        if (code == ERROR_SUCCESS) return Entered::kInside;
      }
    }
    folder.Reset();
    if (AfterFailure("ErrDelFolder", name.shown, code) == Next::kGiveUp) return Entered::kGivenUp;
  }
}

void Shredder::ScrubIndex(const DeleteItem& item, const Name& name) {
  if (item.firstChild == nullptr || name.wide.empty()) return;
  kx::FileHandle folder(Unredirected([&] {
    return CreateFileW(name.wide.c_str(), FILE_TRAVERSE | FILE_ADD_FILE | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                       nullptr);
  }));
  if (!folder) return;
  const HandleFacts facts = FactsOf(folder.Get());
  if (!facts.known || (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !(facts.attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      anchor_.CheckNamed(folder.Get(), name.wide) != ERROR_SUCCESS)
    return;
  // The first entries get names as long as their own: they are the ones a
  // small index kept in the folder's record. Beyond them what counts is how
  // many bytes of entries the index held, which a few files of the longest
  // names cover at a fraction of the cost of one file per item. All of them
  // are held open at once; a huge folder gets the first ones only, rather
  // than using up the handles the rest of the job needs.
  constexpr size_t kSameLength = 8;
  constexpr size_t kMostLaid = 256;
  constexpr size_t kEntryBytes = 82;  // an index entry beside the name's UTF-16
  constexpr size_t kLongestName = 255;
  std::vector<std::wstring> names;
  size_t bytes = 0;
  for (const DeleteItem* child = item.firstChild; child; child = child->next) {
    const char* own = child->name ? child->name : "";
    bytes += kEntryBytes + 2 * std::strlen(own);
    if (names.size() < kSameLength)
      names.push_back(TemporaryNameBeside(WideFromAnsi(own), NextTemporaryNumber()));
  }
  const std::wstring longest(kLongestName, L'x');
  const size_t covering = bytes / (kEntryBytes + 2 * kLongestName) + 2;
  for (size_t i = 0; i < covering && names.size() < kMostLaid; ++i)
    names.push_back(TemporaryNameBeside(longest, NextTemporaryNumber()));
  ScrubFolderIndex(folder.Get(), names);
}

DWORD Shredder::CheckStillChosen(const char* path) {
  // The place was taken just now, through the same handles that give the
  // identity compared here.
  return CheckChosen(job_, path, anchor_.Identity());
}

bool Shredder::DeleteItemTree(DeleteItem& item) {
  const bool isRoot = item.parent == nullptr;
  const bool isTopLevel = !isRoot && item.parent->parent == nullptr;
  const char* label = item.name ? item.name : "";
  // The labels are worded only when the window will show them.
  const bool labelsDue =
      job_.host && LabelsDue(GetTickCount(), job_.lastLabelUpdate, job_.settings.updatePeriodMs);
  std::string folderText;
  if (labelsDue && !isRoot && item.parent->name && item.parent->name[0] != '\0')
    folderText = FormatWithArgs(LangText("InFolder"), item.parent->name);
  const char* fileLabel = labelsDue && label[0] != '\0' ? label : nullptr;
  const char* folderLabel = labelsDue && !isRoot ? folderText.c_str() : nullptr;
  if (!Report(fileLabel, folderLabel)) return false;

  // The item's path is built once; its children build theirs from the tree.
  char path[kMaxPathBytes + 1] = "";
  if (!isRoot) item.path.CopyTo(path, sizeof path);
  const Name name = NameOf(path);

  // Everything below a selected item must lie inside it, whatever its path
  // leads to by the time it is reached.
  Anchor anchor(*this, path, isTopLevel || (!isRoot && !anchor_.Taken()));

  const auto giveUp = [&] {
    job_.doneBytes += static_cast<uint64_t>(TotalSize(item));
    Report(fileLabel, folderLabel);
    return false;
  };
  if (isTopLevel) {
    // A selected item (or the folder it lies in) that is another one since
    // the user confirmed it is not touched at all.
    DWORD code;
    while ((code = CheckStillChosen(path)) != ERROR_SUCCESS) {
      if (AfterFailure(item.isFolder ? "ErrDelFolder" : "ErrDelFile", path, code) == Next::kGiveUp)
        return giveUp();
      anchor_.Take(path);
    }
  }

  if (!isRoot && item.isFolder) {
    for (bool entered = false; !entered;) {
      switch (EnterFolder(name)) {
        case Entered::kInside:
          entered = true;
          break;
        case Entered::kLink:
          // Became a link after it was walked: its listed contents would now
          // be found somewhere else, and the data it held survives there.
          if (!ReportBecameLink(name, true)) return giveUp();
          break;
        case Entered::kGivenUp:
          return giveUp();
      }
    }
  }

  bool result = true;
  for (DeleteItem* child = item.firstChild; child; child = child->next) {
    if (!Report(nullptr, nullptr)) return false;
    if (!DeleteItemTree(*child)) result = false;
  }
  // A folder with anything left inside stays in place.
  if (!result || isRoot) return result;

  if (item.isFolder) {
    if (!NamesDriveRoot(path)) {
      ScrubIndex(item, name);
      result = RemoveItem(name, true);
    }
    Report(fileLabel, folderLabel);
    return result;
  }

  const uint64_t before = job_.doneBytes;
  const int64_t shredded = ShredFile(name, item.isLink != 0, item.size);
  const uint64_t counted = job_.doneBytes - before;
  if (item.size > 0 && counted < static_cast<uint64_t>(item.size)) {
    // Shrunk, skipped or given up: the bar still reaches its end.
    job_.doneBytes += static_cast<uint64_t>(item.size) - counted;
    Report(fileLabel, folderLabel);
  }
  return shredded != kShredGivenUp;
}

bool Shredder::Delete() {
  // Built afresh from this job's settings, whatever an earlier pass left.
  FreeFillBuffer(job_.fillBuffer);
  ownsFillBuffer_ = false;
  if (!EnsureFillBuffer()) {
    // Nothing is touched: every selected item stays.
    if (job_.report)
      for (DeleteItem* item = job_.root.firstChild; item; item = item->next)
        job_.report->AddKept(item->path, ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  job_.skipAllDeleteErrors = job_.settings.skipErrors;
  job_.totalBytes = static_cast<uint64_t>(TotalSize(job_.root));
  job_.doneBytes = 0;
  if (job_.host) job_.host->SetBusy(job_, false);
  Report("", "");
  job_.lastLabelUpdate = 0;
  const bool result = DeleteItemTree(job_.root);
  FreeFillBuffer(job_.fillBuffer);
  ownsFillBuffer_ = false;
  return result;
}

bool Delete(DeleteJob& job) { return Shredder(job).Delete(); }

bool DeleteItemTree(DeleteItem& item) { return Shredder(*item.job).DeleteItemTree(item); }

int64_t Shred(const char* path, DeleteJob& job) { return Shredder(job).Shred(path); }

bool Remove(const char* path, DeleteJob& job, bool folder) {
  return Shredder(job).Remove(path, folder);
}

}  // namespace engine
