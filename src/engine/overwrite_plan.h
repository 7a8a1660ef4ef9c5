#pragma once
// How one file is overwritten, worked out before any byte is written: the
// rules of unbuffered writes (whole sectors only) and the treatment of links
// are decided here, away from the system calls, so that they can be checked
// on any machine.
#include <cstdint>

struct OverwritePlan {
  // Unbuffered handle (whole sectors from aligned memory); otherwise a
  // buffered handle that is flushed, for sector sizes that do not
  // divide the chunk.
  bool unbuffered;
  uint64_t wholeChunks;  // writes of kFillBufferSize bytes from offset 0
  uint32_t tailBytes;    // file bytes after the whole chunks
  uint32_t tailWrite;    // bytes written for them: rounded up to a sector when unbuffered
  // The tail write ran past the end of the file: cut it back to its size.
  bool cutBack;
};

// True when unbuffered writes of whole chunks from the fill buffer are
// possible on a volume with this sector size (0: unknown).
bool UnbufferedFits(uint32_t sectorSize);
// True when a file of `size` bytes is written through a buffered handle even
// on a volume that allows unbuffered writes: its last write would be
// rounded up past its end, and a file that small may keep its contents
// inside its file record (NTFS), which the longer file would leave for a
// cluster of its own, with the old contents still in the record.
bool OverwriteBuffered(int64_t size, uint32_t sectorSize);
// The plan for a file of `size` bytes (negative counts as empty).
OverwritePlan PlanOverwrite(int64_t size, uint32_t sectorSize);

// Attribute bits as the system reports them.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrReparsePoint = 0x400;
constexpr uint32_t kAttrInvalid = 0xFFFFFFFF;

enum class ShredTarget {
  kFile,        // a plain file: overwrite, cut, remove
  kFileLink,    // a link or reparse point: remove the link itself (DeleteFile)
  kFolderLink,  // a link or junction to a folder: remove the link itself (RemoveDirectory)
  kFolder,      // a real folder where a file was expected: never opened for writing
  kUnknown,     // attributes unreadable: the open decides (and fails)
};
// True for a path that names a drive or a share rather than a folder on it
// (C:, C:\, \, \\server, \\server\share, each also behind \\?\ or \\.\):
// such a folder is emptied but never removed. Any other path is an item like
// the rest, however short: calling it a root would report it removed while
// it stays.
bool NamesDriveRoot(const char* path);

// True for a reparse tag that makes its item a name for something else (a
// symbolic link, junction or mount point), which is removed as a link. Other
// tags (deduplicated, compressed, cloud placeholders, tiered storage) hold
// the file's own data in a form only the system reads.
bool IsNameSurrogate(uint32_t reparseTag);

// True when path (as the system resolves a handle's final path) is anchor
// itself or lies below it. Both come from the system's final paths, which
// spell every name as it is stored, so they are compared exactly: in a folder
// that tells letter cases apart "Sel" is not "sel", and anywhere else the two
// spellings agree.
bool PathLiesInside(const wchar_t* path, const wchar_t* anchor);

// What an item that reached the deletion pass as a file really is. Anything
// carrying the reparse bit is a link and is never opened for writing.
ShredTarget ClassifyShredTarget(uint32_t attributes);
