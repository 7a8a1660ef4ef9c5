#include "disk/free_space_wiper.h"

#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "disk/disk_logic.h"
#include "disk/wipe_logic.h"
#include "engine/delete_job.h"
#include "engine/fill_buffer.h"
#include "engine/handle_ops.h"
#include "framework/handle.h"

namespace {

// Large writes keep the volume busy; a mebibyte is a whole number of sectors
// of every size the eraser works with.
constexpr uint32_t kWipeBlock = 1u << 20;
// Large enough to fill what is left of a file record after its name and
// attributes, small enough to stay inside it.
constexpr uint32_t kSmallFileSize = 600;

bool IsFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

std::wstring Root(char letter) { return {L'\\', L'\\', L'?', L'\\', wchar_t(letter), L':', L'\\'}; }

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A new file in the folder behind the handle, made through that handle;
// ERROR_SUCCESS or the system's reason. The folder is hidden, its files are
// plain: an attribute of their own can cost a small file a cluster (ntfs-3g
// keeps it as an extended attribute), where its contents should stay inside
// its record.
DWORD MakeFile(HANDLE folder, const std::wstring& name, bool unbuffered, kx::FileHandle& file) {
  UNICODE_STRING text;
  text.Buffer = const_cast<wchar_t*>(name.c_str());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK status = {};
  HANDLE made = nullptr;
  const ULONG options = FILE_NON_DIRECTORY_FILE | FILE_DELETE_ON_CLOSE |
                        FILE_SYNCHRONOUS_IO_NONALERT |
                        (unbuffered ? FILE_NO_INTERMEDIATE_BUFFERING : 0);
  const NTSTATUS result =
      NtCreateFile(&made, GENERIC_WRITE | DELETE | SYNCHRONIZE, &attributes, &status, nullptr,
                   FILE_ATTRIBUTE_NORMAL, 0, FILE_CREATE, options, nullptr, 0);
  if (result < 0) return RtlNtStatusToDosError(result);
  file.Reset(made);
  return ERROR_SUCCESS;
}

bool WriteAt(HANDLE file, uint64_t offset, const uint8_t* data, uint32_t length) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD written = 0;
  if (!WriteFile(file, data, length, &written, &at)) return false;
  // A file system that runs out of space part of the way through a write
  // says so only by the count.
  if (written < length) SetLastError(ERROR_HANDLE_DISK_FULL);
  return written == length;
}

class Wipe {
 public:
  Wipe(const WipeVolume& volume, const EraseFill& fill, WipeHost& host)
      : volume_(volume), fill_(fill), host_(host) {}

  WipeOutcome Run() {
    block_ = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, kWipeBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!block_ || (!fill_.pattern && !fill_.random)) {
      Release();
      outcome_.error = ERROR_NOT_ENOUGH_MEMORY;
      return outcome_;
    }
    if (fill_.pattern) {
      for (uint32_t at = 0; at < kWipeBlock; at += kFillBufferSize)
        std::memcpy(block_ + at, fill_.pattern, std::min(kFillBufferSize, kWipeBlock - at));
    }
    RemoveLeftoverWipeFolders(volume_.letter);
    // Where small files live in file records, a new file needs room in the
    // folder's index too: a little space is kept for it until the small
    // files are made, then filled as well.
    const uint64_t reserve =
        KeepsContentsInRecords(volume_.fileSystem) ? RecordPhaseReserve(volume_.freeSpace) : 0;
    const bool done = MakeFolder() && FillLarge(volume_.freeSpace - reserve) && FillSmall() &&
                      FillLarge(~0ull) && CloseLarge();
    outcome_.result = done ? WipeResult::Wiped : end_;
    if (outcome_.result == WipeResult::Wiped) outcome_.error = 0;
    RemoveAll();
    Release();
    return outcome_;
  }

 private:
  bool MakeFolder() {
    for (;;) {
      uint32_t number = 0;
      if (!host_.BeforeBlock()) return Stop();
      if (!SystemRandom(reinterpret_cast<uint8_t*>(&number), sizeof number))
        number = GetTickCount() ^ GetCurrentProcessId();
      folderPath_ = Root(volume_.letter) + Wide(WipeFolderName(number));
      if (CreateDirectoryW(folderPath_.c_str(), nullptr)) break;
      const DWORD error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS) continue;
      if (!Failed(error)) return false;
    }
    folderMade_ = true;
    SetFileAttributesW(folderPath_.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // The folder is held from now on and goes with its handle; a folder that
    // is no folder of its own (a link laid in its place) is not written into.
    folder_.Reset(CreateFileW(
        folderPath_.c_str(), FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_READ_ATTRIBUTES | DELETE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE,
        nullptr));
    if (!folder_) {
      Failed(GetLastError(), false);
      return false;
    }
    // Made moments ago, it holds nothing; a folder that does is another's.
    const HandleFacts facts = engine::FactsOf(folder_.Get());
    if (!facts.known || !(facts.attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || FolderEntries() != 0) {
      folderMade_ = false;
      outcome_.error = kReasonOutsideSelection;
      end_ = WipeResult::Failed;
      return false;
    }
    return true;
  }

  // Large files up to the volume's largest file size, until the volume is
  // full or `stopAt` bytes have been written; the file in progress then stays
  // open to be gone on with.
  bool FillLarge(uint64_t stopAt) {
    const uint32_t sector = volume_.sectorSize;
    const uint64_t limit = LargestWipeFile(volume_.fileSystem, sector);
    while (outcome_.written + sector <= stopAt) {
      if (!large_) {
        bool full = false;
        if (!NewFile(L'F', true, large_, full)) return false;
        if (full) return true;
        largeDone_ = 0;
        length_ = kWipeBlock;
      }
      const uint64_t room = stopAt - outcome_.written;
      const uint32_t next =
          NextWipeWrite(largeDone_, limit, room < length_ ? uint32_t(room) : length_, sector);
      if (next == 0) {
        if (!CloseLarge()) return false;
        continue;
      }
      if (!host_.BeforeBlock()) return Stop();
      if (fill_.random && !Generate(next)) return false;
      if (WriteAt(large_.Get(), largeDone_, block_, next)) {
        largeDone_ += next;
        Wrote(next);
        continue;
      }
      const DWORD error = GetLastError();
      if (IsFull(error)) {
        length_ = ShorterWipeWrite(next, sector);
        if (length_ == 0) return CloseLarge();
      } else if (!Failed(error)) {
        return false;
      }
    }
    return true;
  }

  // Flushed, the file is held until the end.
  bool CloseLarge() {
    if (!large_) return true;
    if (!Flush(large_.Get())) return false;
    files_.push_back(std::move(large_));
    return true;
  }

  // Small files until no file record is left, where records hold contents.
  bool FillSmall() {
    if (!KeepsContentsInRecords(volume_.fileSystem)) return true;
    const size_t first = files_.size();
    if (!MakeSmallFiles()) return false;
    // Flushed before they go: a file removed before its data reached the
    // disk would have overwritten nothing. Together, after all were
    // written, the system writes most of them back on its own meanwhile.
    for (size_t i = first; i < files_.size(); ++i) {
      if (!Flush(files_[i].Get())) return false;
    }
    return true;
  }

  bool MakeSmallFiles() {
    const uint64_t freeAtStart = FreeBytes();
    uint32_t made = 0;
    for (bool full = false;;) {
      if (!host_.BeforeBlock()) return Stop();
      kx::FileHandle file;
      if (!NewFile(L'S', false, file, full)) return false;
      if (full) return true;
      if (fill_.random && !Generate(kSmallFileSize)) return false;
      const bool written = WriteAt(file.Get(), 0, block_, kSmallFileSize);
      const DWORD error = written ? ERROR_SUCCESS : GetLastError();
      files_.push_back(std::move(file));
      if (written) {
        Wrote(kSmallFileSize);
        // More space went than the folder's index takes: the free records
        // are used up, and the record table never gives back what it grew by.
        const uint64_t freeNow = FreeBytes();
        const uint64_t taken = freeNow < freeAtStart ? freeAtStart - freeNow : 0;
        if (RecordTableGrew(taken, ++made, volume_.clusterSize)) return true;
      } else if (IsFull(error)) {
        return true;
      } else if (!Failed(error)) {
        return false;
      }
    }
  }

  uint64_t FreeBytes() const {
    const wchar_t root[] = {wchar_t(volume_.letter), L':', L'\\', L'\0'};
    ULARGE_INTEGER available = {}, total = {}, free = {};
    return GetDiskFreeSpaceExW(root, &available, &total, &free) ? free.QuadPart : 0;
  }

  bool NewFile(wchar_t kind, bool unbuffered, kx::FileHandle& file, bool& full) {
    for (;;) {
      wchar_t name[16];
      swprintf(name, 16, L"%c%08X.tmp", kind, static_cast<unsigned>(outcome_.filesMade));
      const DWORD error = MakeFile(folder_.Get(), name, unbuffered, file);
      if (error == ERROR_SUCCESS) {
        ++outcome_.filesMade;
        return true;
      }
      if (IsFull(error)) {
        full = true;
        return true;
      }
      if (!Failed(error)) return false;
    }
  }

  bool Flush(HANDLE file) {
    while (!FlushFileBuffers(file)) {
      const DWORD error = GetLastError();
      if (IsFull(error)) return true;
      if (!Failed(error)) return false;
    }
    return true;
  }

  bool Generate(uint32_t length) {
    while (!fill_.random(block_, length)) {
      if (!Failed(engine::LastErrorOr(ERROR_GEN_FAILURE))) return false;
    }
    return true;
  }

  void Wrote(uint32_t length) {
    outcome_.written += length;
    host_.Progress(outcome_.written, volume_.freeSpace);
  }

  // Asks the host (unless the step cannot be tried again); false ends the
  // wipe as failed with the error.
  bool Failed(DWORD error, bool mayRetry = true) {
    outcome_.error = error;
    if (mayRetry && host_.RetryAfterFailure(error)) return true;
    end_ = WipeResult::Failed;
    return false;
  }

  bool Stop() {
    end_ = WipeResult::Cancelled;
    return false;
  }

  // Every file goes with its handle; what still answers to its name did not.
  void RemoveAll() {
    if (large_) files_.push_back(std::move(large_));
    for (kx::FileHandle& file : files_) {
      engine::DisposeThrough(file.Get());
      file.Reset();
    }
    outcome_.filesRemoved = outcome_.filesMade;
    if (folder_ && folderMade_) {
      outcome_.filesRemoved -= FolderEntries();
      engine::DisposeThrough(folder_.Get());
    }
    folder_.Reset();
    if (folderMade_) {
      const DWORD left = GetFileAttributesW(folderPath_.c_str());
      outcome_.folderRemoved = left == INVALID_FILE_ATTRIBUTES;
      if (!outcome_.folderRemoved && RemoveDirectoryW(folderPath_.c_str()))
        outcome_.folderRemoved = true;
    } else {
      outcome_.folderRemoved = true;
    }
  }

  // What the folder holds besides itself and its parent.
  uint32_t FolderEntries() const {
    uint32_t entries = 0;
    WIN32_FIND_DATAW found;
    kx::FindHandle find(FindFirstFileW((folderPath_ + L"\\*").c_str(), &found));
    for (bool more = bool(find); more; more = FindNextFileW(find.Get(), &found) != 0) {
      if (std::wcscmp(found.cFileName, L".") && std::wcscmp(found.cFileName, L"..")) ++entries;
    }
    return entries;
  }

  void Release() {
    if (block_) VirtualFree(block_, 0, MEM_RELEASE);
    block_ = nullptr;
  }

  const WipeVolume& volume_;
  const EraseFill& fill_;
  WipeHost& host_;
  WipeOutcome outcome_;
  WipeResult end_ = WipeResult::Failed;
  uint8_t* block_ = nullptr;
  std::wstring folderPath_;
  bool folderMade_ = false;
  kx::FileHandle folder_;
  std::vector<kx::FileHandle> files_;
  // The large file being written, how far, and how long its writes are.
  kx::FileHandle large_;
  uint64_t largeDone_ = 0;
  uint32_t length_ = kWipeBlock;
};

}  // namespace

bool MeasureWipeVolume(char letter, WipeVolume& volume) {
  const std::wstring root = {wchar_t(letter), L':', L'\\'};
  volume.letter = letter;
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                             MAX_PATH + 1))
    return false;
  volume.fileSystem.clear();
  for (const wchar_t* c = fileSystem; *c; ++c) volume.fileSystem += static_cast<char>(*c);
  DWORD perCluster = 0, sector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceW(root.c_str(), &perCluster, &sector, &freeClusters, &clusters))
    return false;
  volume.sectorSize = UsableSectorSize(sector);
  volume.clusterSize = perCluster * sector;
  ULARGE_INTEGER available = {}, total = {}, free = {};
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return false;
  volume.freeSpace = free.QuadPart;
  return true;
}

WipeOutcome WipeFreeSpace(const WipeVolume& volume, const EraseFill& fill, WipeHost& host) {
  return Wipe(volume, fill, host).Run();
}

int RemoveLeftoverWipeFolders(char letter) {
  const std::wstring root = Root(letter);
  WIN32_FIND_DATAW found;
  kx::FindHandle find(FindFirstFileW((root + L"KX*.tmp").c_str(), &found));
  int removed = 0;
  for (bool more = bool(find); more; more = FindNextFileW(find.Get(), &found)) {
    const DWORD attributes = found.dwFileAttributes;
    std::string name;
    for (const wchar_t* c = found.cFileName; *c; ++c) name += *c < 128 ? char(*c) : '?';
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || !(attributes & FILE_ATTRIBUTE_HIDDEN) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IsWipeFolderName(name))
      continue;
    // Refused for a folder that holds anything: only an empty one is ours
    // beyond doubt.
    if (RemoveDirectoryW((root + found.cFileName).c_str())) ++removed;
  }
  return removed;
}
