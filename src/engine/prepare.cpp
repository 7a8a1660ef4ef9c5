#include "engine/prepare.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/folder_test.h"
#include "base/path_match.h"
#include "base/path_utils.h"
#include "base/size_text.h"
#include "engine/progress_math.h"
#include "framework/handle.h"
#include "lang/text_store.h"

namespace {

enum class Walked { Done, Unreadable, Cancelled };

bool Report(DeleteJob& job, const char* fileText, const char* folderText) {
  return job.host == nullptr || job.host->ReportProgress(job, fileText, folderText);
}

// Without a host there is nobody to ask, and nothing may be guessed.
int Ask(DeleteJob& job, const char* path, DWORD error) {
  if (job.host == nullptr) return kAnswerCancel;
  return job.host->ErrorPrompt(job, "ErrGFC", path, error);
}

void CancelJob(DeleteJob& job) {
  if (job.host != nullptr) job.host->Cancel(job);
}

bool Vanished(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

int64_t SizeOf(DWORD high, DWORD low) {
  return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

// The system calls that take a path run with file-system redirection off, so
// that a 32-bit build walks the folders the user chose and not their 32-bit
// stand-ins. Nothing else runs in that state: prompts may load libraries.
bool ReadAttributes(const char* path, DWORD& attributes, int64_t& size, DWORD& error) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  Wow64RedirectionOff redirectionOff;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
    error = GetLastError();
    return false;
  }
  attributes = data.dwFileAttributes;
  size = SizeOf(data.nFileSizeHigh, data.nFileSizeLow);
  return true;
}

HANDLE StartListing(const char* pattern, WIN32_FIND_DATAA& data, DWORD& error) {
  Wow64RedirectionOff redirectionOff;
  HANDLE find = FindFirstFileA(pattern, &data);
  error = find == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  return find;
}

void CountFile(DeleteJob& job, int64_t size) {
  job.totalBytes += static_cast<uint64_t>(size);
  job.doneBytes = job.totalBytes;
  ++job.fileCount;
}

// The totals so far, in the label the progress window shows while the walk
// runs; worded only when the window will show it.
bool ReportTotals(DeleteJob& job) {
  if (job.host == nullptr) return true;
  if (!LabelsDue(GetTickCount(), job.lastLabelUpdate, job.settings.updatePeriodMs))
    return Report(job, nullptr, nullptr);
  char sizeText[200];
  if (FormatSize(static_cast<int64_t>(job.totalBytes), sizeText, sizeof sizeText) == nullptr) {
    sizeText[0] = '\0';
  }
  char countText[24];
  std::snprintf(countText, sizeof countText, "%llu",
                static_cast<unsigned long long>(job.fileCount));
  char label[1024];
  FormatWithArgs(label, sizeof label, LangText("PrepareInfo"), sizeText, countText);
  return Report(job, nullptr, label);
}

// The name under which an entry is walked, or null when it cannot be one
// component of a path. A name that the system could not give in the ANSI code
// page comes with question marks in it; the short name still names the entry.
// A name with a separator in it (a foreign file system can show one) would
// lead elsewhere, perhaps out of the selection, once joined to the path.
const char* EntryName(const WIN32_FIND_DATAA& data) {
  const char* name = data.cFileName;
  if (std::strchr(name, '?') != nullptr && data.cAlternateFileName[0] != '\0') {
    name = data.cAlternateFileName;
  }
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return nullptr;
  if (std::strpbrk(name, "\\/") != nullptr) return nullptr;
  return name;
}

Walked WalkItem(DeleteItem& item, const WIN32_FIND_DATAA* listed, DWORD& error);

Walked ListFolder(DeleteItem& folder) {
  DeleteJob& job = *folder.job;
  // The folder's path is built once for its whole listing; its entries are
  // stored by name under it.
  char folderPath[kMaxPathBytes + 1];
  folder.path.CopyTo(folderPath, sizeof folderPath);
  char pattern[kMaxPathBytes + 1];
  std::memcpy(pattern, folderPath, sizeof pattern);
  bool fits = PathJoin(pattern, sizeof pattern, "*.*");

  WIN32_FIND_DATAA data;
  kx::FindHandle find;
  for (;;) {
    DWORD error = ERROR_FILENAME_EXCED_RANGE;
    if (fits) find.Reset(StartListing(pattern, data, error));
    if (find) break;
    // Only a drive root can be listed with nothing in it, not even "." and "..".
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return Walked::Done;
    if (job.skipAllListErrors) return Walked::Done;
    const AfterError next = NextStepAfter(Ask(job, folderPath, error), job.skipAllListErrors);
    if (next == AfterError::kTryAgain) continue;
    if (next == AfterError::kSkip) return Walked::Done;
    CancelJob(job);
    return Walked::Cancelled;
  }

  do {
    const char* name = EntryName(data);
    if (name == nullptr) continue;
    // An entry whose path would be too long is neither counted nor destroyed.
    DeleteItem* child =
        AddNamedChild(folder, name, SizeOf(data.nFileSizeHigh, data.nFileSizeLow), false);
    if (child == nullptr) continue;
    DWORD error = 0;
    if (WalkItem(*child, &data, error) == Walked::Cancelled) return Walked::Cancelled;
  } while (FindNextFileA(find.Get(), &data));
  return Walked::Done;
}

// Walks one item; listed holds what its folder's listing said about it, so
// that the entry is not looked up a second time.
Walked WalkItem(DeleteItem& item, const WIN32_FIND_DATAA* listed, DWORD& error) {
  DeleteJob& job = *item.job;
  if (!Report(job, nullptr, nullptr)) return Walked::Cancelled;
  FreeChildren(item);
  item.isFolder = 0;
  item.size = 0;
  if (item.path.Length() == 0) {
    error = ERROR_FILE_NOT_FOUND;
    return Walked::Unreadable;
  }

  DWORD attributes;
  int64_t size;
  if (listed != nullptr) {
    attributes = listed->dwFileAttributes;
    size = SizeOf(listed->nFileSizeHigh, listed->nFileSizeLow);
  } else if (!ReadAttributes(item.path, attributes, size, error)) {
    return Walked::Unreadable;
  }

  // A link or junction is removed as itself: what it points to is not part
  // of the selection.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Walked::Done;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    item.isFolder = 1;
    return ListFolder(item);
  }
  item.size = size;
  CountFile(job, size);
  return ReportTotals(job) ? Walked::Done : Walked::Cancelled;
}

}  // namespace

bool Prepare(DeleteJob& job) {
  job.totalBytes = 0;
  job.doneBytes = 0;
  job.fileCount = 0;
  job.lastLabelUpdate = 0;
  job.skipAllListErrors = job.settings.skipErrors != 0 ? 1 : 0;
  DropNestedItems(job, SameOrInsideOnDisk);
  if (job.host != nullptr) job.host->SetBusy(job, true);
  Report(job, LangText("Prepare"), "");

  DeleteItem* item = job.root.firstChild;
  while (item != nullptr) {
    DeleteItem* next = item->next;
    for (;;) {
      DWORD error = 0;
      Walked walked = WalkItem(*item, nullptr, error);
      if (walked == Walked::Cancelled) return false;
      if (walked == Walked::Done) break;
      // A top-level item that cannot be read must not stop the others, and
      // it is left out of the job rather than destroyed blindly.
      int answer =
          Vanished(error) || job.skipAllListErrors ? kAnswerSkip : Ask(job, item->path, error);
      const AfterError next = NextStepAfter(answer, job.skipAllListErrors);
      if (next == AfterError::kTryAgain) continue;
      if (next == AfterError::kCancel) {
        CancelJob(job);
        return false;
      }
      RemoveTopLevelItem(job, item);
      break;
    }
    item = next;
  }
  return true;
}
