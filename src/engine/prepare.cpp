#include "engine/prepare.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "base/ansi_text.h"
#include "base/folder_test.h"
#include "base/path_match.h"
#include "base/path_utils.h"
#include "base/size_text.h"
#include "engine/containment.h"
#include "engine/progress_math.h"
#include "framework/handle.h"
#include "lang/text_store.h"

namespace {

enum class Walked { Done, Unreadable, Cancelled };

bool Report(DeleteJob& job, const char* fileText, const char* folderText) {
  if (job.host == nullptr || job.host->ReportProgress(job, fileText, folderText)) return true;
  if (job.report) job.report->cancelled = true;
  return false;
}

// Without a host there is nobody to ask, and nothing may be guessed.
int Ask(DeleteJob& job, const char* path, DWORD error) {
  if (job.host == nullptr) return kAnswerCancel;
  return job.host->ErrorPrompt(job, "ErrGFC", path, error);
}

void CancelJob(DeleteJob& job) {
  if (job.report) job.report->cancelled = true;
  if (job.host != nullptr) job.host->Cancel(job);
}

// What the walk passes over stays in place, unseen by the deletion pass.
void PassOver(DeleteJob& job, const char* path, DWORD error) {
  if (job.report) job.report->AddKept(path, error);
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
// Names go to the system in their long wide form, so that "report." is
// walked as itself and never as "report".
bool ReadAttributes(const char* path, DWORD& attributes, int64_t& size, DWORD& error) {
  const std::wstring name = LongPathOf(path);
  if (name.empty()) {
    error = ERROR_INVALID_NAME;
    return false;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  Wow64RedirectionOff redirectionOff;
  if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) {
    error = GetLastError();
    return false;
  }
  attributes = data.dwFileAttributes;
  size = SizeOf(data.nFileSizeHigh, data.nFileSizeLow);
  return true;
}

HANDLE StartListing(const char* folder, WIN32_FIND_DATAW& data, DWORD& error) {
  std::wstring pattern = LongPathOf(folder);
  if (pattern.empty()) {
    error = ERROR_INVALID_NAME;
    return INVALID_HANDLE_VALUE;
  }
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  Wow64RedirectionOff redirectionOff;
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
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

// The name under which an entry is walked, in out, or false when it cannot
// be one component of a path. The name is converted exactly: a character
// without its own form in the code page would come back as a look-alike or
// a question mark, naming some other item or none; the short name then
// still names the entry, when the volume keeps one. A name with a separator
// in it (a foreign file system can show one) would lead elsewhere, perhaps
// out of the selection, once joined to the path.
bool EntryName(const WIN32_FIND_DATAW& data, char* out, size_t size) {
  const auto exact = [&](const wchar_t* name) {
    return name[0] != L'\0' &&
           WideToAnsiExact(reinterpret_cast<const char16_t*>(name), std::wcslen(name), out, size);
  };
  if (!exact(data.cFileName) && !exact(data.cAlternateFileName)) return false;
  if (std::strcmp(out, ".") == 0 || std::strcmp(out, "..") == 0) return false;
  return std::strpbrk(out, "\\/") == nullptr;
}

Walked WalkItem(DeleteItem& item, const WIN32_FIND_DATAW* listed, DWORD& error);

Walked ListFolder(DeleteItem& folder) {
  DeleteJob& job = *folder.job;
  // The folder's path is built once for its whole listing; its entries are
  // stored by name under it.
  char folderPath[kMaxPathBytes + 1];
  folder.path.CopyTo(folderPath, sizeof folderPath);

  WIN32_FIND_DATAW data;
  kx::FindHandle find;
  for (;;) {
    DWORD error = 0;
    find.Reset(StartListing(folderPath, data, error));
    if (find) break;
    // Only a drive root can be listed with nothing in it, not even "." and "..".
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return Walked::Done;
    const AfterError next = job.skipAllListErrors
                                ? AfterError::kSkip
                                : NextStepAfter(Ask(job, folderPath, error), job.skipAllListErrors);
    if (next == AfterError::kTryAgain) continue;
    if (next == AfterError::kSkip) {
      PassOver(job, folderPath, error);
      return Walked::Done;
    }
    CancelJob(job);
    return Walked::Cancelled;
  }

  do {
    char name[MAX_PATH * 2];
    if (!EntryName(data, name, sizeof name)) continue;
    // An entry whose path would be too long is neither counted nor destroyed.
    DeleteItem* child =
        AddNamedChild(folder, name, SizeOf(data.nFileSizeHigh, data.nFileSizeLow), false);
    if (child == nullptr) continue;
    DWORD error = 0;
    if (WalkItem(*child, &data, error) == Walked::Cancelled) return Walked::Cancelled;
  } while (FindNextFileW(find.Get(), &data));
  return Walked::Done;
}

// Walks one item; listed holds what its folder's listing said about it, so
// that the entry is not looked up a second time.
Walked WalkItem(DeleteItem& item, const WIN32_FIND_DATAW* listed, DWORD& error) {
  DeleteJob& job = *item.job;
  if (!Report(job, nullptr, nullptr)) return Walked::Cancelled;
  FreeChildren(item);
  item.isFolder = 0;
  item.isLink = 0;
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
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    item.isLink = 1;
    return Walked::Done;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    item.isFolder = 1;
    return ListFolder(item);
  }
  item.size = size;
  CountFile(job, size);
  return ReportTotals(job) ? Walked::Done : Walked::Cancelled;
}

// A selected item (or the folder it lies in) that is another one since the
// user confirmed it is not walked: it may lead anywhere now.
bool StillChosen(DeleteJob& job, DeleteItem& item, DWORD& error) {
  if (job.chosen == nullptr) return true;
  char path[kMaxPathBytes + 1];
  if (!item.path.CopyTo(path, sizeof path)) return true;
  SelectionAnchor now;
  now.Take(path);
  error = CheckChosen(job, path, now.Identity());
  return error == ERROR_SUCCESS;
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
      Walked walked =
          StillChosen(job, *item, error) ? WalkItem(*item, nullptr, error) : Walked::Unreadable;
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
      // One that is gone holds nothing any more.
      if (!Vanished(error)) PassOver(job, item->path, error);
      RemoveTopLevelItem(job, item);
      break;
    }
    item = next;
  }
  return true;
}
