#include "engine/shredder.h"

#include <cstring>
#include <string>

#include "base/ansi_text.h"
#include "base/path_utils.h"
#include "engine/fill_buffer.h"
#include "engine/overwrite_plan.h"

static_assert(kAttrReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kAttrReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(kAttrInvalid == INVALID_FILE_ATTRIBUTES);

namespace engine {

namespace {

constexpr DWORD kAttributesThatBlock =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// A stream whose failure the user has answered already.
constexpr DWORD kStreamGivenUp = 0xFFFFFFFF;

}  // namespace

// A file opened for its overwrite: the handle, what the handle reached, and
// the sector size and length that the overwrite follows.
struct Shredder::OpenFile {
  kx::FileHandle handle;
  HandleFacts facts;
  // The file's full path as the handle reached it (checked to lie inside the
  // item); the name from the job when the system could not give it.
  std::wstring where;
  uint32_t sector = 0;
  uint32_t cluster = 0;
  LARGE_INTEGER size = {};
  // Where the overwrite ends: the end of the last cluster, or of the file.
  int64_t extent = 0;
  // A named stream of a file rather than the file itself.
  bool stream = false;
  // What the file showed before its blocking attributes were cleared; put
  // back when the file stays.
  DWORD clearedAttributes = INVALID_FILE_ATTRIBUTES;
};

}  // namespace engine

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

bool FileWriter::Read(HANDLE file, uint64_t offset, void* data, DWORD size, DWORD& read) {
  read = 0;
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  lastFile_ = nullptr;
  if (!SetFilePointerEx(file, to, nullptr, FILE_BEGIN)) return false;
  const bool ok = ReadFile(file, data, size, &read, nullptr) != 0;
  // The next write that starts where the read ended needs no seek.
  lastFile_ = ok ? file : nullptr;
  position_ = offset + read;
  return ok;
}

namespace engine {

Shredder::Shredder(DeleteJob& job, FileWriter* writer, StreamAccess* streams)
    : job_(job),
      writer_(writer ? writer : &defaultWriter_),
      streams_(streams ? streams : &defaultStreams_) {}

Shredder::~Shredder() {
  if (ownsFillBuffer_) FreeFillBuffer(job_.fillBuffer);
}

Shredder::Name Shredder::NameOf(const char* path) { return {path, LongPathOf(path)}; }

bool Shredder::Report(const char* fileText, const char* folderText) {
  if (cancelled_) return false;
  if (job_.host == nullptr) return true;
  if (job_.host->ReportProgress(job_, fileText, folderText)) return true;
  if (job_.report) job_.report->cancelled = true;
  return false;
}

Shredder::Next Shredder::AfterFailure(const char* messageKey, const char* path, DWORD code) {
  // Whatever the answer but Try Again, the item stays where it is.
  const auto giveUp = [&] {
    if (job_.report) job_.report->AddKept(path, code);
    return Next::kGiveUp;
  };
  if (job_.skipAllDeleteErrors) return giveUp();
  // Without a host nobody can answer: that is a cancel.
  int answer = job_.host ? job_.host->ErrorPrompt(job_, messageKey, path, code) : kAnswerCancel;
  switch (NextStepAfter(answer, job_.skipAllDeleteErrors)) {
    case AfterError::kTryAgain:
      return Next::kRetry;
    case AfterError::kSkip:
      return giveUp();
    case AfterError::kCancel:
      break;
  }
  cancelled_ = true;
  if (job_.report) job_.report->cancelled = true;
  if (job_.host) job_.host->Cancel(job_);
  return giveUp();
}

bool Shredder::EnsureFillBuffer() {
  if (!window_.Prepare(job_.options.randomFill != 0, job_.options.verify != 0)) return false;
  if (job_.fillBuffer) return true;
  ownsFillBuffer_ =
      BuildFillBuffer(job_.fillBuffer, job_.settings.fillPattern, job_.settings.fillLength);
  return ownsFillBuffer_;
}

uint32_t Shredder::SectorSizeOf(const Name& name, uint32_t& cluster) {
  // Files of one folder share a volume: ask once per folder.
  const size_t slash = name.wide.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? name.wide : name.wide.substr(0, slash);
  cluster = clusterSize_;
  if (folder == sectorFolder_) return sectorSize_;
  wchar_t root[MAX_PATH + 1];
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  uint32_t sector = 0;
  if (Unredirected([&] {
        return GetVolumePathNameW(name.wide.c_str(), root, MAX_PATH + 1) &&
               GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                 &clusters);
      }))
    sector = bytesPerSector;
  cluster = sector * sectorsPerCluster;
  sectorFolder_ = folder;
  sectorSize_ = sector;
  clusterSize_ = cluster;
  // The volume's flags only matter to a report, and change only with the
  // volume.
  if (sector == 0) {
    flagsRoot_.clear();
    volumeFlags_ = 0;
  } else if (job_.report && flagsRoot_ != root) {
    flagsRoot_ = root;
    if (!Unredirected([&] {
          return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &volumeFlags_, nullptr,
                                       0);
        }))
      volumeFlags_ = 0;
  }
  return sector;
}

bool Shredder::WriteAt(HANDLE file, uint64_t offset, DWORD size, const char* path) {
  const uint8_t* data = NextChunkData(size, path);
  if (data == nullptr || !WriteData(file, offset, data, size, path)) return false;
  if (!job_.options.verify) return true;
  window_.Add(offset, size, data);
  return !window_.Full() || VerifyWritten(file, path, true);
}

bool Shredder::WriteData(HANDLE file, uint64_t offset, const uint8_t* data, DWORD size,
                         const char* path) {
  for (;;) {
    DWORD written = 0;
    bool ok = writer_->Write(file, offset, data, size, written);
    if (ok && written == size) return true;
    DWORD code = ok ? 0 : GetLastError();
    // A short write without a reason still left bytes unwritten.
    if (code == 0) code = ERROR_WRITE_FAULT;
    if (AfterFailure("ErrDelFile", path, code) == Next::kGiveUp) return false;
  }
}

const uint8_t* Shredder::NextChunkData(DWORD size, const char* path) {
  if (!job_.options.randomFill) return job_.fillBuffer;
  uint8_t* buffer = window_.NextRandomBuffer();
  // Never falls back to a constant pattern: the user chose data that no
  // controller can compress away.
  while (buffer == nullptr || !random_(buffer, size)) {
    const DWORD code = buffer ? LastErrorOr(ERROR_GEN_FAILURE) : ERROR_NOT_ENOUGH_MEMORY;
    if (AfterFailure("ErrDelFile", path, code) == Next::kGiveUp) return nullptr;
  }
  return buffer;
}

bool Shredder::VerifyWritten(HANDLE file, const char* path, bool flush) {
  for (;;) {
    DWORD code = ERROR_SUCCESS;
    if (flush && !writer_->Flush(file)) code = LastErrorOr(ERROR_WRITE_FAULT);
    if (code == ERROR_SUCCESS) code = CompareWindow(file);
    if (code == ERROR_SUCCESS) break;
    if (AfterFailure("ErrDelFile", path, code) == Next::kGiveUp) {
      window_.Clear();
      return false;
    }
    for (size_t i = 0; i < window_.Count(); ++i) {
      const ChunkWindow::Chunk& chunk = window_.At(i);
      if (!WriteData(file, chunk.offset, chunk.data, chunk.size, path)) {
        window_.Clear();
        return false;
      }
    }
    flush = true;
  }
  window_.Clear();
  return true;
}

DWORD Shredder::CompareWindow(HANDLE file) {
  if (window_.Count() == 0) return ERROR_SUCCESS;
  // An unbuffered tail is written in whole sectors and cut back to the
  // file's length: only the part inside the file can be read back.
  LARGE_INTEGER end;
  if (!GetFileSizeEx(file, &end)) return LastErrorOr(ERROR_READ_FAULT);
  for (size_t i = 0; i < window_.Count(); ++i) {
    const ChunkWindow::Chunk& chunk = window_.At(i);
    DWORD got = 0;
    if (!writer_->Read(file, chunk.offset, window_.ReadBuffer(), chunk.size, got))
      return LastErrorOr(ERROR_READ_FAULT);
    if (!ChunkReadBack(chunk.data, window_.ReadBuffer(), chunk.size, got, chunk.offset,
                       static_cast<uint64_t>(end.QuadPart)))
      return kReasonVerifyFailed;
  }
  return ERROR_SUCCESS;
}

bool Shredder::RemoveLink(const Name& name, bool folder) {
  for (;;) {
    DWORD code;
    {
      kx::FileHandle link;
      HandleFacts facts;
      code = LookAtItself(name.wide, link, facts);
      // The link itself must lie inside the item, like everything removed:
      // a folder above it swapped for a link would put it elsewhere. (A
      // handle that reached the target instead is refused as such.)
      if (code == ERROR_SUCCESS && (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        code = anchor_.Check(link.Get());
      if (code == ERROR_SUCCESS) code = DisposeLink(link.Get(), facts.attributes);
    }
    if (code == ERROR_SUCCESS) {
      if (job_.report) ++job_.report->links;
      if (job_.host) job_.host->ItemRemoved(job_, name.shown);
      return true;
    }
    if (AfterFailure(folder ? "ErrDelFolder" : "ErrDelFile", name.shown, code) == Next::kGiveUp)
      return false;
  }
}

bool Shredder::ReportBecameLink(const Name& name, bool folder) {
  while (AfterFailure(folder ? "ErrDelFolder" : "ErrDelFile", name.shown, kReasonBecameLink) ==
         Next::kRetry) {
    kx::FileHandle look;
    HandleFacts facts;
    if (LookAtItself(name.wide, look, facts) == ERROR_SUCCESS &&
        !(facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return true;  // data again: the caller starts over
  }
  return false;
}

uint32_t Shredder::NextTemporaryNumber() {
  if (temporaryNumber_ == 0)
    temporaryNumber_ = (GetTickCount() * 2654435761u) ^ (GetCurrentProcessId() << 8) ^ 1u;
  // An odd step walks through every number of six hex digits before one comes back.
  temporaryNumber_ = (temporaryNumber_ + 0x9E3779u) & 0xFFFFFFu;
  return temporaryNumber_;
}

void Shredder::RestoreName(kx::FileHandle& item, const char* path, const std::wstring& where) {
  // Asked even when the user chose to skip every error: an item left under
  // a name it never had is lost to its owner unless someone says so.
  while (!RenameThrough(item.Get(), where)) {
    const DWORD code = LastErrorOr(ERROR_ACCESS_DENIED);
    if (job_.host == nullptr ||
        job_.host->ErrorPrompt(job_, "ErrRestoreName", path, code) != kAnswerTryAgain)
      return;
  }
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
      if (job_.report && folder) ++job_.report->folders;
      if (job_.host) job_.host->ItemRemoved(job_, path);
      return true;
    }
    // The prompt names the item as the user knows it; Try Again works on the
    // same handle, wherever the item is now.
    const DWORD code = LastErrorOr(ERROR_ACCESS_DENIED);
    if (AfterFailure(folder ? "ErrDelFolder" : "ErrDelFile", path, code) == Next::kGiveUp) {
      if (moved) RestoreName(item, path, where);
      return false;
    }
  }
}

int64_t Shredder::Shred(const char* path) {
  Anchor anchor(*this, path, !anchor_.Taken());
  // A file destroyed on its own is what the caller named, link or not.
  return ShredFile(NameOf(path), true, -1);
}

int64_t Shredder::ShredFile(const Name& name, bool walkedAsLink, int64_t sizeHint) {
  if (!Report(nullptr, nullptr)) return kShredGivenUp;
  if (!EnsureFillBuffer()) return kShredGivenUp;
  OpenFile file;
  switch (OpenForOverwrite(name, file, walkedAsLink, sizeHint)) {
    case Opened::kLinkRemoved:
      return 0;
    case Opened::kGivenUp:
      return kShredGivenUp;
    case Opened::kFile:
      break;
  }
  if (ShredStreams(file, name) && Overwrite(file, name) && CutAndRemove(name, file)) {
    if (job_.report) {
      ++job_.report->files;
      job_.report->bytes += static_cast<uint64_t>(file.size.QuadPart);
    }
    NoteCaveats(file, name);
    return file.size.QuadPart;
  }
  if (file.clearedAttributes != INVALID_FILE_ATTRIBUTES)
    SetAttributesThrough(file.handle.Get(), file.clearedAttributes);
  return kShredGivenUp;
}

DWORD Shredder::Examine(OpenFile& file, const Name& name, bool& isLink) {
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
  DWORD inside = anchor_.CheckNamed(file.handle.Get(), name.wide, &file.where);
  if (inside != ERROR_SUCCESS) return inside;
  // The contents belong to every name of the file, and the others are not
  // part of the selection; nor are its attributes, which they share.
  if (file.facts.links > 1) return kReasonOtherNames;
  if (file.where.empty()) file.where = name.wide;
  // A read-only file cannot be removed (and a system that lets its owner
  // write it anyway still refuses that).
  if ((file.facts.attributes & kAttributesThatBlock) &&
      file.clearedAttributes == INVALID_FILE_ATTRIBUTES &&
      SetAttributesThrough(file.handle.Get(), FILE_ATTRIBUTE_NORMAL))
    file.clearedAttributes = file.facts.attributes;
  file.size.QuadPart = file.facts.size;
  file.extent = OverwriteExtent(file.facts.size, file.facts.allocation, file.cluster);
  return ERROR_SUCCESS;
}

Shredder::Opened Shredder::ClearBlockingAttributes(const Name& name, OpenFile& file, DWORD& code,
                                                   bool walkedAsLink) {
  // The name tells a link from a file where a handle cannot (Wine opens
  // what a link leads to).
  const DWORD named = Unredirected([&] { return GetFileAttributesW(name.wide.c_str()); });
  switch (ClassifyShredTarget(named)) {
    case ShredTarget::kFileLink:
    case ShredTarget::kFolderLink:
      if (!walkedAsLink) return ReportBecameLink(name, false) ? Opened::kFile : Opened::kGivenUp;
      return RemoveLink(name, named & FILE_ATTRIBUTE_DIRECTORY) ? Opened::kLinkRemoved
                                                                : Opened::kGivenUp;
    case ShredTarget::kFile:
      break;
    case ShredTarget::kFolder:
    case ShredTarget::kUnknown:
      return Opened::kFile;  // the open that failed says why
  }
  if (!(named & kAttributesThatBlock)) return Opened::kFile;
  // Cleared only through a handle on a file that lies inside the item and
  // has no other names: the name may lead anywhere by now, and the
  // attributes belong to every name of the file.
  kx::FileHandle look;
  HandleFacts facts;
  if (LookAtItself(name.wide, look, facts) != ERROR_SUCCESS ||
      ClassifyShredTarget(facts.attributes) != ShredTarget::kFile)
    return Opened::kFile;
  const DWORD inside = anchor_.Check(look.Get());
  if (inside != ERROR_SUCCESS) {
    code = inside;
    return Opened::kFile;
  }
  if (facts.links > 1) {
    code = kReasonOtherNames;
    return Opened::kFile;
  }
  if (SetAttributesThrough(look.Get(), FILE_ATTRIBUTE_NORMAL))
    file.clearedAttributes = facts.attributes;
  return Opened::kFile;
}

Shredder::Opened Shredder::OpenForOverwrite(const Name& name, OpenFile& file, bool walkedAsLink,
                                            int64_t sizeHint) {
  file.sector = SectorSizeOf(name, file.cluster);
  // Buffered writes on a volume whose sectors do not fit the chunk, and for
  // small files whose last write must not run past their end: the flush
  // after the overwrite brings them to the disk all the same. A buffered
  // handle plans as if the sector size were unknown.
  if (OverwriteBuffered(sizeHint, file.sector)) file.sector = 0;
  DWORD flags =
      FILE_FLAG_OPEN_REPARSE_POINT | (UnbufferedFits(file.sector) ? FILE_FLAG_NO_BUFFERING : 0);
  bool looked = false;
  for (;;) {
    DWORD code;
    // One handle serves the whole destruction: the overwrite, the cut, the
    // new name and the removal all reach the file that was checked.
    HANDLE opened = name.wide.empty() ? INVALID_HANDLE_VALUE : Unredirected([&] {
      return CreateFileW(name.wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, flags, nullptr);
    });
    if (name.wide.empty()) SetLastError(ERROR_INVALID_NAME);
    if (opened != INVALID_HANDLE_VALUE && opened != nullptr) {
      file.handle.Reset(opened);
      // Whatever the name showed a moment ago, the handle tells what was opened.
      bool isLink = false;
      code = Examine(file, name, isLink);
      if (isLink) {
        file.handle.Reset();
        if (!walkedAsLink) {
          if (ReportBecameLink(name, false)) continue;
          return Opened::kGivenUp;
        }
        return RemoveLink(name, file.facts.attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? Opened::kLinkRemoved
                   : Opened::kGivenUp;
      }
      if (code == ERROR_SUCCESS && OverwriteBuffered(file.size.QuadPart, file.sector)) {
        // Smaller than the walk found it: open it again, buffered.
        file.handle.Reset();
        file.sector = 0;
        flags &= ~FILE_FLAG_NO_BUFFERING;
        continue;
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
        const Opened seen = ClearBlockingAttributes(name, file, code, walkedAsLink);
        if (seen != Opened::kFile) return seen;
        if (file.clearedAttributes != INVALID_FILE_ATTRIBUTES) continue;
      }
    }
    if (AfterFailure("ErrDelFile", name.shown, code) == Next::kGiveUp) {
      PutAttributesBack(name, file.clearedAttributes);
      return Opened::kGivenUp;
    }
  }
}

void Shredder::PutAttributesBack(const Name& name, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  kx::FileHandle look(OpenItemItself(name.wide));
  if (look && anchor_.Check(look.Get()) == ERROR_SUCCESS)
    SetAttributesThrough(look.Get(), attributes);
}

bool Shredder::Overwrite(OpenFile& file, const Name& name) {
  HANDLE handle = file.handle.Get();
  window_.Clear();
  const OverwritePlan plan = PlanOverwrite(file.size.QuadPart, file.sector, file.extent);
  const uint64_t doneBefore = job_.doneBytes;
  // Written on to the end of a sector or of the last cluster, the file ends
  // where it ended all the same, also when it stays.
  bool cutBack = plan.cutBack;
  const auto restoreLength = [&] {
    if (!cutBack) return;
    cutBack = false;
    FILE_END_OF_FILE_INFO end = {file.size};
    SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end);
  };
  kx::ScopeExit restoreOnExit(restoreLength);
  for (uint64_t chunk = 0; chunk < plan.wholeChunks; ++chunk) {
    if (!WriteAt(handle, chunk * kFillBufferSize, kFillBufferSize, name.shown)) return false;
    job_.doneBytes += kFillBufferSize;
    // Cancelled: the file keeps its name and length and the part not reached.
    if (!Report(nullptr, nullptr)) return false;
  }
  if (plan.tailBytes != 0) {
    if (!WriteAt(handle, plan.wholeChunks * kFillBufferSize, plan.tailWrite, name.shown))
      return false;
    job_.doneBytes += plan.tailBytes;
    Report(nullptr, nullptr);  // the overwrite is complete: finish the file
  }
  // Data that never reached the disk was not destroyed: the file stays.
  while (!writer_->Flush(handle)) {
    DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
    if (AfterFailure("ErrDelFile", name.shown, code) == Next::kGiveUp) return false;
  }
  if (job_.options.verify && !VerifyWritten(handle, name.shown, false)) return false;
  // Only after the flush: cached bytes past a new end never reach the disk.
  restoreLength();
  // The bar counts the file's own bytes: not its streams, nor what lies
  // past its end.
  job_.doneBytes = doneBefore + (file.stream ? 0 : static_cast<uint64_t>(file.size.QuadPart));
  if (job_.host && !file.stream) job_.host->FileOverwritten(job_, name.shown);
  return true;
}

bool Shredder::ShredStreams(OpenFile& file, const Name& name) {
  for (;;) {
    std::vector<std::wstring> streams;
    bool guessed = false;
    DWORD code = streams_->List(file.where, streams, guessed);
    for (size_t i = 0; code == ERROR_SUCCESS && i < streams.size(); ++i)
      code = ShredStream(file, name, streams[i], guessed);
    if (code == ERROR_SUCCESS) return true;
    if (code == kStreamGivenUp) return false;
    // Try Again lists them afresh: the ones destroyed by now are gone.
    if (AfterFailure("ErrDelFile", name.shown, code) == Next::kGiveUp) return false;
  }
}

DWORD Shredder::ShredStream(OpenFile& file, const Name& name, const std::wstring& stream,
                            bool guessed) {
  OpenFile part;
  part.handle.Reset(streams_->Open(file.where, stream));
  if (!part.handle) {
    const DWORD code = LastErrorOr(ERROR_OPEN_FAILED);
    // A guessed name that leads nowhere: the file has no such stream.
    const bool absent =
        code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME;
    return guessed && absent ? ERROR_SUCCESS : code;
  }
  // Nothing is written through a name before its handle proves to be the
  // file's own; a guessed name that found something else found no stream.
  if (!streams_->SameFile(file.handle.Get(), part.handle.Get()))
    return guessed ? ERROR_SUCCESS : kReasonOutsideSelection;
  part.facts = FactsOf(part.handle.Get());
  if (!part.facts.known) return LastErrorOr(ERROR_INVALID_FUNCTION);
  part.where = file.where + stream;
  part.cluster = file.cluster;
  part.size.QuadPart = part.facts.size;
  part.extent = OverwriteExtent(part.facts.size, part.facts.allocation, part.cluster);
  part.stream = true;
  if (!Overwrite(part, name)) return kStreamGivenUp;
  FILE_END_OF_FILE_INFO zero = {};
  if (!SetFileInformationByHandle(part.handle.Get(), FileEndOfFileInfo, &zero, sizeof zero))
    return LastErrorOr(ERROR_WRITE_FAULT);
  // Removing a stream leaves its file; the file's own removal renames it.
  if (!DisposeThrough(part.handle.Get())) return LastErrorOr(ERROR_ACCESS_DENIED);
  return ERROR_SUCCESS;
}

void Shredder::NoteCaveats(const OpenFile& file, const Name& name) {
  if (job_.report == nullptr) return;
  job_.report->AddCaveats(name.shown, CaveatsOf(file.facts.attributes, volumeFlags_));
}

bool Shredder::CutAndRemove(const Name& name, OpenFile& file) {
  // The length goes to zero through the handle that was checked and
  // overwritten; what the name leads to now does not matter.
  for (;;) {
    FILE_END_OF_FILE_INFO zero = {};
    if (SetFileInformationByHandle(file.handle.Get(), FileEndOfFileInfo, &zero, sizeof zero)) break;
    const DWORD code = LastErrorOr(ERROR_WRITE_FAULT);
    if (AfterFailure("ErrDelFile", name.shown, code) == Next::kGiveUp) return false;
  }
  return RemoveThrough(file.handle, name.shown, file.where, false);
}

bool Shredder::Remove(const char* path, bool folder) {
  if (NamesDriveRoot(path)) return true;
  Anchor anchor(*this, path, !anchor_.Taken());
  return RemoveItem(NameOf(path), folder);
}

bool Shredder::RemoveItem(const Name& name, bool folder) {
  for (;;) {
    kx::FileHandle item;
    HandleFacts facts;
    DWORD code = LookAtItself(name.wide, item, facts);
    if (code == ERROR_SUCCESS) {
      std::wstring where;
      if (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        item.Reset();
        return RemoveLink(name, folder);
      } else if ((code = anchor_.CheckNamed(item.Get(), name.wide, &where)) == ERROR_SUCCESS &&
                 (folder || facts.links <= 1)) {
        if (where.empty()) where = name.wide;
        // A read-only item refuses to go; cleared attributes come back when
        // the item stays.
        const bool cleared = (facts.attributes & kAttributesThatBlock) &&
                             SetAttributesThrough(item.Get(), FILE_ATTRIBUTE_NORMAL);
        if (RemoveThrough(item, name.shown, where, folder)) return true;
        if (cleared) SetAttributesThrough(item.Get(), facts.attributes);
        return false;
      } else if (code == ERROR_SUCCESS) {
        code = kReasonOtherNames;
      }
    }
    item.Reset();
    if (AfterFailure(folder ? "ErrDelFolder" : "ErrDelFile", name.shown, code) == Next::kGiveUp)
      return false;
  }
}

}  // namespace engine
