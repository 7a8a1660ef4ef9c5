#include "engine/shredder.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>

#include "base/folder_test.h"
#include "base/path_utils.h"
#include "engine/fill_buffer.h"
#include "engine/overwrite_plan.h"
#include "engine/progress_math.h"
#include "framework/handle.h"
#include "lang/text_store.h"

static_assert(kAttrReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kAttrReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(kAttrInvalid == INVALID_FILE_ATTRIBUTES);

// What a handle shows of the file it reached, from two queries that read
// no more than the file itself (the volume is not asked).
struct HandleFacts {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  DWORD links = 0;
  int64_t size = 0;
  bool known = false;
};

namespace {

// A 32-bit process on 64-bit Windows would find SysWOW64 where the user chose
// System32. Redirection is off around each call that resolves a name (handles
// keep what they opened), never while a prompt is open, since prompts load
// libraries. The call's last error survives the switch back.
template <typename F>
auto Unredirected(F call) {
  decltype(call()) result;
  DWORD error;
  {
    Wow64RedirectionOff off;
    result = call();
    error = GetLastError();
  }
  SetLastError(error);
  return result;
}

HandleFacts FactsOf(HANDLE file) {
  HandleFacts facts;
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard))
    return facts;
  facts.attributes = basic.FileAttributes;
  facts.links = standard.NumberOfLinks;
  facts.size = standard.EndOfFile.QuadPart;
  facts.known = true;
  return facts;
}

// Sets the attributes of the file behind the handle, times untouched.
bool SetAttributesThrough(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Gives the file behind the handle another name (a full path in the same
// folder); never replaces what already has that name.
bool RenameThrough(HANDLE file, const std::wstring& to) {
  const size_t bytes = sizeof(FILE_RENAME_INFO) + (to.size() + 1) * sizeof(wchar_t);
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[bytes]());
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.get());
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
  return Unredirected([&] {
           return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(bytes));
         }) != 0;
}

// Marks the file behind the handle for removal when the handle closes.
bool DisposeThrough(HANDLE file) {
  FILE_DISPOSITION_INFO dispose = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

// The name an item bears in its last moments: "KX", six hex digits and
// ".tmp", in the folder of `where` (the item's full path).
std::wstring TemporaryNameBeside(const std::wstring& where, uint32_t number) {
  const size_t slash = where.find_last_of(L'\\');
  wchar_t name[16];
  std::swprintf(name, 16, L"KX%06X.tmp", number & 0xFFFFFFu);
  return (slash == std::wstring::npos ? std::wstring() : where.substr(0, slash + 1)) + name;
}

// The code of a call that failed without saying why still names a failure.
DWORD LastErrorOr(DWORD fallback) {
  DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : fallback;
}

// The path a handle really reached, with every link and drive letter
// resolved as the system sees them; empty (the reason in GetLastError) when
// the system cannot say.
std::wstring FinalPathOf(HANDLE handle) {
  const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  wchar_t buffer[MAX_PATH + 1];
  DWORD length = GetFinalPathNameByHandleW(handle, buffer, MAX_PATH + 1, flags);
  if (length != 0 && length <= MAX_PATH) return std::wstring(buffer, length);
  // Too small: the system answers with the length it needs, or (Wine, for a
  // path near the limit with its "\\?\" prefix) with ERROR_MORE_DATA alone.
  const DWORD error = GetLastError();
  const bool tooSmall = length > MAX_PATH || error == ERROR_MORE_DATA ||
                        error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_NOT_ENOUGH_MEMORY;
  if (!tooSmall) return {};
  if (length <= MAX_PATH) length = 32768;
  std::wstring longer(length, L'\0');
  DWORD again = GetFinalPathNameByHandleW(handle, &longer[0], length, flags);
  if (again == 0 || again >= length) {
    if (again != 0) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return {};
  }
  longer.resize(again);
  return longer;
}

// The serial number of the volume a handle lies on; 0 when it cannot be read.
DWORD VolumeOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(handle, &info) ? info.dwVolumeSerialNumber : 0;
}

std::wstring Widened(const char* text) {
  int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units <= 1) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], units);
  wide.resize(static_cast<size_t>(units - 1));
  return wide;
}

// A handle on a folder that can read attributes and nothing else: on the
// link itself when one stands in its place, or, with followLinks, on what
// the path leads to (the folder a selected item lies in may well be reached
// through a junction).
HANDLE OpenFolderToLook(const char* path, bool followLinks = false) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return Unredirected([&] {
    return CreateFileA(path, FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
  });
}

constexpr DWORD kAttributesThatBlock =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Opens an item itself, never what it may point to, to look at it and to
// remove it; answers null (the reason in GetLastError) when it cannot.
HANDLE OpenItemItself(const char* path) {
  return Unredirected([&] {
    return CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
  });
}

// Opens an item itself (see OpenItemItself) and reads what its handle shows;
// ERROR_SUCCESS, or the reason the item cannot be looked at.
DWORD LookAtItself(const char* path, kx::FileHandle& item, HandleFacts& facts) {
  item.Reset(OpenItemItself(path));
  if (!item) return LastErrorOr(ERROR_OPEN_FAILED);
  facts = FactsOf(item.Get());
  return facts.known ? ERROR_SUCCESS : LastErrorOr(ERROR_INVALID_FUNCTION);
}

// Removes a link through a handle on the link itself; answers ERROR_SUCCESS
// or the reason it cannot. Nothing goes by name: a system that resolves
// links in names would rename or remove the target instead.
DWORD DisposeLink(HANDLE link, DWORD attributes) {
  // The handle reached the target (the system followed the link although
  // told not to): whatever is done through it would happen out there.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return ERROR_NOT_SUPPORTED;
  // Only a name for something else goes as a link; any other reparse point
  // holds the item's own data, which removing it would claim destroyed.
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!GetFileInformationByHandleEx(link, FileAttributeTagInfo, &tag, sizeof tag))
    return LastErrorOr(ERROR_NOT_SUPPORTED);
  if (!IsNameSurrogate(tag.ReparseTag)) return kReasonNotALink;
  if (attributes & FILE_ATTRIBUTE_READONLY) SetAttributesThrough(link, FILE_ATTRIBUTE_NORMAL);
  if (!DisposeThrough(link)) return GetLastError();
  return ERROR_SUCCESS;  // gone when the handle closes
}

}  // namespace

bool FileWriter::Write(HANDLE file, uint64_t offset, const void* data, DWORD size, DWORD& written) {
  written = 0;
  if (file != lastFile_ || offset != position_) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    lastFile_ = nullptr;
    if (!SetFilePointerEx(file, to, nullptr, FILE_BEGIN)) return false;
  }
  const bool ok = WriteFile(file, data, size, &written, nullptr) != 0;
  // After a failed or short write the position is not known for sure.
  lastFile_ = ok && written == size ? file : nullptr;
  position_ = offset + written;
  return ok;
}

bool FileWriter::Flush(HANDLE file) { return FlushFileBuffers(file) != 0; }

Shredder::Shredder(DeleteJob& job, FileWriter* writer)
    : job_(job), writer_(writer ? writer : &defaultWriter_) {}

Shredder::~Shredder() {
  if (ownsFillBuffer_) FreeFillBuffer(job_.fillBuffer);
}

bool Shredder::Report(const char* fileText, const char* folderText) {
  if (cancelled_) return false;
  if (job_.host == nullptr) return true;
  return job_.host->ReportProgress(job_, fileText, folderText);
}

Shredder::Next Shredder::AfterFailure(const char* messageKey, const char* path, DWORD code) {
  if (job_.skipAllDeleteErrors) return Next::kGiveUp;
  // Without a host nobody can answer: that is a cancel.
  int answer = job_.host ? job_.host->ErrorPrompt(job_, messageKey, path, code) : kAnswerCancel;
  switch (NextStepAfter(answer, job_.skipAllDeleteErrors)) {
    case AfterError::kTryAgain:
      return Next::kRetry;
    case AfterError::kSkip:
      return Next::kGiveUp;
    case AfterError::kCancel:
      break;
  }
  cancelled_ = true;
  if (job_.host) job_.host->Cancel(job_);
  return Next::kGiveUp;
}

bool Shredder::EnsureFillBuffer() {
  if (job_.fillBuffer) return true;
  ownsFillBuffer_ =
      BuildFillBuffer(job_.fillBuffer, job_.settings.fillPattern, job_.settings.fillLength);
  return ownsFillBuffer_;
}

uint32_t Shredder::SectorSizeOf(const char* path) {
  // Files of one folder share a volume: ask once per folder.
  char folder[kMaxPathBytes + 1];
  lstrcpynA(folder, path, sizeof folder);
  PathParent(folder);
  if (std::strcmp(folder, sectorFolder_) == 0) return sectorSize_;
  char root[MAX_PATH + 1];
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  uint32_t sector = 0;
  if (Unredirected([&] {
        return GetVolumePathNameA(path, root, sizeof root) &&
               GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                 &clusters);
      }))
    sector = bytesPerSector;
  std::strcpy(sectorFolder_, folder);
  sectorSize_ = sector;
  return sector;
}

bool Shredder::WriteAt(HANDLE file, uint64_t offset, DWORD size, const char* path) {
  for (;;) {
    DWORD written = 0;
    bool ok = writer_->Write(file, offset, job_.fillBuffer, size, written);
    if (ok && written == size) return true;
    DWORD code = ok ? 0 : GetLastError();
    // A short write without a reason still left bytes unwritten.
    if (code == 0) code = ERROR_WRITE_FAULT;
    if (AfterFailure("ErrDelFile", path, code) == Next::kGiveUp) return false;
  }
}

bool Shredder::RemoveLink(const char* path, bool folder) {
  for (;;) {
    DWORD code;
    {
      kx::FileHandle link;
      HandleFacts facts;
      code = LookAtItself(path, link, facts);
      if (code == ERROR_SUCCESS) code = DisposeLink(link.Get(), facts.attributes);
    }
    if (code == ERROR_SUCCESS) {
      if (job_.host) job_.host->ItemRemoved(job_, path);
      return true;
    }
    if (AfterFailure(folder ? "ErrDelFolder" : "ErrDelFile", path, code) == Next::kGiveUp)
      return false;
  }
}

uint32_t Shredder::NextTemporaryNumber() {
  if (temporaryNumber_ == 0)
    temporaryNumber_ = (GetTickCount() * 2654435761u) ^ (GetCurrentProcessId() << 8) ^ 1u;
  // An odd step walks through every number of six hex digits before one comes back.
  temporaryNumber_ = (temporaryNumber_ + 0x9E3779u) & 0xFFFFFFu;
  return temporaryNumber_;
}

bool Shredder::RemoveThrough(kx::FileHandle& item, const char* path, const std::wstring& where,
                             bool folder) {
  // Its last name tells nothing of what it was; a name that is taken is
  // never replaced, another one is tried.
  bool moved = false;
  std::wstring temporary;
  for (int tries = 0; tries < 32 && !moved && !where.empty(); ++tries) {
    temporary = TemporaryNameBeside(where, NextTemporaryNumber());
    moved = RenameThrough(item.Get(), temporary);
    const DWORD error = GetLastError();
    if (!moved && error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
  }
  for (;;) {
    if (DisposeThrough(item.Get())) {
      item.Reset();  // gone now
      if (job_.host) job_.host->ItemRemoved(job_, path);
      return true;
    }
    // The prompt names the item as the user knows it; Try Again works on the
    // same handle, wherever the item is now.
    const DWORD code = LastErrorOr(ERROR_ACCESS_DENIED);
    if (AfterFailure(folder ? "ErrDelFolder" : "ErrDelFile", path, code) == Next::kGiveUp) {
      if (moved) RenameThrough(item.Get(), where);  // back under its own name
      return false;
    }
  }
}

// A file opened for its overwrite: the handle, what the handle reached, and
// the sector size and length that the overwrite follows.
struct Shredder::OpenFile {
  kx::FileHandle handle;
  HandleFacts facts;
  // The file's full path as the handle reached it (checked to lie inside the
  // item); the name from the job when the system could not give it.
  std::wstring where;
  uint32_t sector = 0;
  LARGE_INTEGER size = {};
  // What the file showed before its blocking attributes were cleared; put
  // back when the file stays.
  DWORD clearedAttributes = INVALID_FILE_ATTRIBUTES;
};

// Holds the final path of one item for as long as it is being destroyed.
class Shredder::Anchor {
 public:
  Anchor(Shredder& shredder, const char* path, bool take) : shredder_(shredder), took_(take) {
    if (take) shredder.AnchorOn(path);
  }
  ~Anchor() {
    if (!took_) return;
    shredder_.anchor_.clear();
    shredder_.anchored_ = false;
  }
  Anchor(const Anchor&) = delete;
  Anchor& operator=(const Anchor&) = delete;

 private:
  Shredder& shredder_;
  bool took_;
};

void Shredder::AnchorOn(const char* path) {
  anchored_ = true;
  anchor_.clear();
  anchorError_ = ERROR_SUCCESS;
  char item[kMaxPathBytes + 1];
  lstrcpynA(item, path, sizeof item);
  size_t length = std::strlen(item);
  // A folder given with a trailing separator is the same folder.
  if (length > 1 && item[length - 1] == '\\' && !NamesDriveRoot(item)) item[--length] = '\0';

  if (NamesDriveRoot(item)) {
    kx::FileHandle root(OpenFolderToLook(item, true));
    if (root) {
      anchor_ = FinalPathOf(root.Get());
      anchorVolume_ = VolumeOf(root.Get());
    }
    if (anchor_.empty()) anchorError_ = LastErrorOr(ERROR_PATH_NOT_FOUND);
    return;
  }
  // The item's own final path would follow it if it were a link: what it
  // must be is its name as its folder lists it, in its folder's final path.
  char parent[kMaxPathBytes + 1];
  std::memcpy(parent, item, sizeof parent);
  PathParent(parent);
  std::wstring folder;
  {
    kx::FileHandle handle(OpenFolderToLook(parent, true));
    if (handle) {
      folder = FinalPathOf(handle.Get());
      anchorVolume_ = VolumeOf(handle.Get());
    }
  }
  if (folder.empty()) {
    anchorError_ = LastErrorOr(ERROR_PATH_NOT_FOUND);
    return;
  }
  WIN32_FIND_DATAW entry;
  const std::wstring wide = Widened(item);
  kx::FindHandle find(Unredirected([&] { return FindFirstFileW(wide.c_str(), &entry); }));
  if (!find) {
    anchorError_ = LastErrorOr(ERROR_FILE_NOT_FOUND);
    return;
  }
  if (folder.back() != L'\\') folder += L'\\';
  anchor_ = folder + entry.cFileName;
}

DWORD Shredder::CheckInside(HANDLE handle, std::wstring* where) {
  if (anchor_.empty())
    return anchorError_ != ERROR_SUCCESS ? anchorError_ : kReasonOutsideSelection;
  std::wstring final = FinalPathOf(handle);
  if (final.empty()) {
    const DWORD error = LastErrorOr(ERROR_INVALID_FUNCTION);
    return error == ERROR_MORE_DATA ? CheckInsideOnVolume(handle, error) : error;
  }
  if (!PathLiesInside(final.c_str(), anchor_.c_str())) return kReasonOutsideSelection;
  if (where) *where = std::move(final);
  return ERROR_SUCCESS;
}

DWORD Shredder::CheckInsideOnVolume(HANDLE handle, DWORD finalPathError) {
  // The anchor as "\\?\X:\..." less its volume part, as the file system names
  // a file on its volume.
  const wchar_t* onVolume = anchor_.c_str();
  if (std::wcsncmp(onVolume, L"\\\\?\\", 4) == 0) onVolume += 4;
  if (!(onVolume[0] != L'\0' && onVolume[1] == L':') || anchorVolume_ == 0) return finalPathError;
  onVolume += 2;
  const DWORD volume = VolumeOf(handle);
  if (volume == 0) return finalPathError;
  if (volume != anchorVolume_) return kReasonOutsideSelection;
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

int64_t Shredder::Shred(const char* path) {
  Anchor anchor(*this, path, !anchored_);
  return ShredFile(path);
}

int64_t Shredder::ShredFile(const char* path) {
  if (!Report(nullptr, nullptr)) return kShredGivenUp;
  if (!EnsureFillBuffer()) return kShredGivenUp;
  OpenFile file;
  switch (OpenForOverwrite(path, file)) {
    case Opened::kLinkRemoved:
      return 0;
    case Opened::kGivenUp:
      return kShredGivenUp;
    case Opened::kFile:
      break;
  }
  if (Overwrite(file, path) && CutAndRemove(path, file)) return file.size.QuadPart;
  if (file.clearedAttributes != INVALID_FILE_ATTRIBUTES)
    SetAttributesThrough(file.handle.Get(), file.clearedAttributes);
  return kShredGivenUp;
}

DWORD Shredder::Examine(OpenFile& file, const char* path, bool& isLink) {
  isLink = false;
  file.facts = FactsOf(file.handle.Get());
  // Without the file's facts nothing can be checked.
  if (!file.facts.known) return LastErrorOr(ERROR_INVALID_FUNCTION);
  ShredTarget opened = ClassifyShredTarget(file.facts.attributes);
  if (opened == ShredTarget::kFileLink || opened == ShredTarget::kFolderLink) {
    isLink = true;
    return ERROR_SUCCESS;
  }
  if (opened == ShredTarget::kFolder)
    return ERROR_ACCESS_DENIED;  // what opening a folder as a file answers
  // A link that the system shows as the file itself, or a folder on the
  // path swapped for one since the walk, leads the handle out of the item.
  DWORD inside = CheckInside(file.handle.Get(), &file.where);
  if (inside != ERROR_SUCCESS) return inside;
  // The contents belong to every name of the file, and the others are not
  // part of the selection.
  if (file.facts.links > 1) return kReasonOtherNames;
  if (file.where.empty()) file.where = Widened(path);
  // A read-only file cannot be removed (and a system that lets its owner
  // write it anyway still refuses that).
  if ((file.facts.attributes & kAttributesThatBlock) &&
      file.clearedAttributes == INVALID_FILE_ATTRIBUTES &&
      SetAttributesThrough(file.handle.Get(), FILE_ATTRIBUTE_NORMAL))
    file.clearedAttributes = file.facts.attributes;
  file.size.QuadPart = file.facts.size;
  return ERROR_SUCCESS;
}

Shredder::Opened Shredder::ClearBlockingAttributes(const char* path, OpenFile& file, DWORD& code) {
  // The name tells a link from a file where a handle cannot (Wine opens
  // what a link leads to).
  const DWORD named = Unredirected([&] { return GetFileAttributesA(path); });
  switch (ClassifyShredTarget(named)) {
    case ShredTarget::kFileLink:
    case ShredTarget::kFolderLink:
      return RemoveLink(path, named & FILE_ATTRIBUTE_DIRECTORY) ? Opened::kLinkRemoved
                                                                : Opened::kGivenUp;
    case ShredTarget::kFile:
      break;
    case ShredTarget::kFolder:
    case ShredTarget::kUnknown:
      return Opened::kFile;  // the open that failed says why
  }
  if (!(named & kAttributesThatBlock)) return Opened::kFile;
  // Cleared only through a handle on a file that lies inside the item: the
  // name may lead anywhere by now.
  kx::FileHandle look;
  HandleFacts facts;
  if (LookAtItself(path, look, facts) != ERROR_SUCCESS ||
      ClassifyShredTarget(facts.attributes) != ShredTarget::kFile)
    return Opened::kFile;
  const DWORD inside = CheckInside(look.Get());
  if (inside != ERROR_SUCCESS) {
    code = inside;
    return Opened::kFile;
  }
  if (SetAttributesThrough(look.Get(), FILE_ATTRIBUTE_NORMAL))
    file.clearedAttributes = facts.attributes;
  return Opened::kFile;
}

Shredder::Opened Shredder::OpenForOverwrite(const char* path, OpenFile& file) {
  file.sector = SectorSizeOf(path);
  // Buffered writes on a volume whose sectors do not fit the chunk: the
  // flush after the overwrite brings them to the disk all the same.
  const DWORD flags =
      FILE_FLAG_OPEN_REPARSE_POINT | (UnbufferedFits(file.sector) ? FILE_FLAG_NO_BUFFERING : 0);
  bool looked = false;
  for (;;) {
    DWORD code;
    // One handle serves the whole destruction: the overwrite, the cut, the
    // new name and the removal all reach the file that was checked.
    HANDLE opened = Unredirected([&] {
      return CreateFileA(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, flags, nullptr);
    });
    if (opened != INVALID_HANDLE_VALUE && opened != nullptr) {
      file.handle.Reset(opened);
      // Whatever the name showed a moment ago, the handle tells what was opened.
      bool isLink = false;
      code = Examine(file, path, isLink);
      if (isLink) {
        file.handle.Reset();
        return RemoveLink(path, file.facts.attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? Opened::kLinkRemoved
                   : Opened::kGivenUp;
      }
      if (code == ERROR_SUCCESS) return Opened::kFile;
      // Not held while the user decides: the other program may need it.
      file.handle.Reset();
    } else {
      code = LastErrorOr(ERROR_OPEN_FAILED);
      // Read-only files, and links to folders, refuse to be opened for
      // writing: see what the name holds once.
      if (code == ERROR_ACCESS_DENIED && !looked) {
        looked = true;
        const Opened seen = ClearBlockingAttributes(path, file, code);
        if (seen != Opened::kFile) return seen;
        if (file.clearedAttributes != INVALID_FILE_ATTRIBUTES) continue;
      }
    }
    if (AfterFailure("ErrDelFile", path, code) == Next::kGiveUp) {
      PutAttributesBack(path, file.clearedAttributes);
      return Opened::kGivenUp;
    }
  }
}

void Shredder::PutAttributesBack(const char* path, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  kx::FileHandle look(OpenItemItself(path));
  if (look && CheckInside(look.Get()) == ERROR_SUCCESS)
    SetAttributesThrough(look.Get(), attributes);
}

bool Shredder::Overwrite(OpenFile& file, const char* path) {
  HANDLE handle = file.handle.Get();
  const OverwritePlan plan = PlanOverwrite(file.size.QuadPart, file.sector);
  for (uint64_t chunk = 0; chunk < plan.wholeChunks; ++chunk) {
    if (!WriteAt(handle, chunk * kFillBufferSize, kFillBufferSize, path)) return false;
    job_.doneBytes += kFillBufferSize;
    // Cancelled: the file keeps its name and length and the part not reached.
    if (!Report(nullptr, nullptr)) return false;
  }
  if (plan.tailBytes != 0) {
    if (!WriteAt(handle, plan.wholeChunks * kFillBufferSize, plan.tailWrite, path)) return false;
    if (plan.cutBack) {
      // Unbuffered writes cover whole sectors; the file ends where it ended.
      FILE_END_OF_FILE_INFO end = {file.size};
      SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end);
    }
    job_.doneBytes += plan.tailBytes;
    Report(nullptr, nullptr);  // the overwrite is complete: finish the file
  }
  // Data that never reached the disk was not destroyed: the file stays.
  while (!writer_->Flush(handle)) {
    DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
    if (AfterFailure("ErrDelFile", path, code) == Next::kGiveUp) return false;
  }
  if (job_.host) job_.host->FileOverwritten(job_, path);
  return true;
}

bool Shredder::CutAndRemove(const char* path, OpenFile& file) {
  // The length goes to zero through the handle that was checked and
  // overwritten; what the name leads to now does not matter.
  for (;;) {
    FILE_END_OF_FILE_INFO zero = {};
    if (SetFileInformationByHandle(file.handle.Get(), FileEndOfFileInfo, &zero, sizeof zero)) break;
    const DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
    if (AfterFailure("ErrDelFile", path, code) == Next::kGiveUp) return false;
  }
  return RemoveThrough(file.handle, path, file.where, false);
}

bool Shredder::Remove(const char* path, bool folder) {
  if (NamesDriveRoot(path)) return true;
  Anchor anchor(*this, path, !anchored_);
  for (;;) {
    kx::FileHandle item;
    HandleFacts facts;
    DWORD code = LookAtItself(path, item, facts);
    if (code == ERROR_SUCCESS) {
      std::wstring where;
      if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        item.Reset();
        return RemoveLink(path, folder);
      } else if ((code = CheckInside(item.Get(), &where)) == ERROR_SUCCESS) {
        if (where.empty()) where = Widened(path);
        // A read-only item refuses to go; cleared attributes come back when
        // the item stays.
        const bool cleared = (facts.attributes & kAttributesThatBlock) &&
                             SetAttributesThrough(item.Get(), FILE_ATTRIBUTE_NORMAL);
        if (RemoveThrough(item, path, where, folder)) return true;
        if (cleared) SetAttributesThrough(item.Get(), facts.attributes);
        return false;
      }
    }
    item.Reset();
    if (AfterFailure(folder ? "ErrDelFolder" : "ErrDelFile", path, code) == Next::kGiveUp)
      return false;
  }
}

Shredder::Entered Shredder::EnterFolder(const DeleteItem& item) {
  for (;;) {
    DWORD code;
    kx::FileHandle folder(OpenFolderToLook(item.path));
    if (!folder) {
      code = LastErrorOr(ERROR_PATH_NOT_FOUND);
    } else {
      const HandleFacts facts = FactsOf(folder.Get());
      if (!facts.known) {
        code = LastErrorOr(ERROR_INVALID_FUNCTION);
      } else if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return Entered::kLink;
      } else if (!(facts.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        code = ERROR_DIRECTORY;
      } else {
        code = CheckInside(folder.Get());
        if (code == ERROR_SUCCESS) return Entered::kInside;
      }
    }
    folder.Reset();
    if (AfterFailure("ErrDelFolder", item.path, code) == Next::kGiveUp) return Entered::kGivenUp;
  }
}

bool Shredder::DeleteItemTree(DeleteItem& item) {
  const bool isRoot = item.parent == nullptr;
  const char* name = item.name ? item.name : "";
  // The labels are worded only when the window will show them.
  const bool labelsDue =
      job_.host && LabelsDue(GetTickCount(), job_.lastLabelUpdate, job_.settings.updatePeriodMs);
  std::string folderText;
  if (labelsDue && !isRoot && item.parent->name && item.parent->name[0] != '\0')
    folderText = FormatWithArgs(LangText("InFolder"), item.parent->name);
  const char* fileLabel = labelsDue && name[0] != '\0' ? name : nullptr;
  const char* folderLabel = labelsDue && !isRoot ? folderText.c_str() : nullptr;
  if (!Report(fileLabel, folderLabel)) return false;

  // Everything below a selected item must lie inside it, whatever its path
  // leads to by the time it is reached.
  Anchor anchor(*this, item.path, !isRoot && (item.parent->parent == nullptr || !anchored_));

  if (!isRoot && item.isFolder) {
    switch (EnterFolder(item)) {
      case Entered::kInside:
        break;
      case Entered::kLink:
        // Became a link after it was walked: its listed contents would now
        // be found somewhere else.
        job_.doneBytes += static_cast<uint64_t>(TotalSize(item));
        return RemoveLink(item.path, true);
      case Entered::kGivenUp:
        job_.doneBytes += static_cast<uint64_t>(TotalSize(item));
        Report(fileLabel, folderLabel);
        return false;
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
    result = Remove(item.path, true);
    Report(fileLabel, folderLabel);
    return result;
  }

  const uint64_t before = job_.doneBytes;
  const int64_t shredded = ShredFile(item.path);
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
  if (!EnsureFillBuffer()) return false;
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
