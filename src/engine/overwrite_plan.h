#pragma once
// How one file is overwritten, worked out before any byte is written: the
// rules of unbuffered writes (whole sectors only) and the treatment of links
// are decided here, away from the system calls, so that they can be checked
// on any machine.
#include <cstddef>
#include <cstdint>

struct OverwritePlan {
  // Unbuffered handle (whole sectors from aligned memory); otherwise a
  // buffered handle that is flushed, for sector sizes that do not
  // divide the chunk.
  bool unbuffered;
  uint64_t wholeChunks;  // writes of kFillBufferSize bytes from offset 0
  uint32_t tailBytes;    // file bytes after the whole chunks
  uint32_t tailWrite;    // bytes written for them: rounded up to a sector when unbuffered
  // The writes ran past the end of the file (a sector rounded up, or the
  // rest of its last cluster): cut it back to its size once they are flushed.
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
// How far the overwrite of a file of `size` bytes goes, given the space the
// file system reports allocated to it: the bytes between the file's end and
// the end of its last cluster belong to it and may hold older data, so the
// overwrite reaches the end of the allocation when that is a whole number of
// clusters of at least the file's size. Anything else (unknown cluster size,
// a file kept in its file record, whose allocation is counted in 8-byte
// steps, a compressed or sparse file holding less than its size) ends where
// the file ends: writing on would move a resident file out of its record
// and leave the old contents there. So does a file small enough for a record
// whose allocation a record could hold (clusters smaller than 4 KiB).
int64_t OverwriteExtent(int64_t size, int64_t allocation, uint32_t clusterSize);
// The plan for a file of `size` bytes (negative counts as empty) whose
// overwrite reaches `extent` (OverwriteExtent; less than size counts as size).
OverwritePlan PlanOverwrite(int64_t size, uint32_t sectorSize, int64_t extent = 0);

// How many hexadecimal digits the temporary name of an item whose name is
// `nameLength` characters long gets ("KX", the digits, ".tmp"): as many as
// make it exactly as long, so that the new name covers the old one where the
// file system rewrites a name in place; never fewer than six, never more than
// a name may hold.
uint32_t TemporaryNameDigits(size_t nameLength);

// What the file system may keep of a file beside the clusters its overwrite
// reaches (Caveat bits, job_report.h), told by the file's attributes and its
// volume's flags (0 when they are not known).
uint8_t CaveatsOf(uint32_t attributes, uint32_t volumeFlags);

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
