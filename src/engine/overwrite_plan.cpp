#include "engine/overwrite_plan.h"

#include "engine/fill_buffer.h"
#include "engine/job_report.h"

#include <cstring>

bool UnbufferedFits(uint32_t sectorSize) {
  bool powerOfTwo = sectorSize != 0 && (sectorSize & (sectorSize - 1)) == 0;
  return powerOfTwo && sectorSize <= kFillBufferAlignment && kFillBufferSize % sectorSize == 0;
}

namespace {

// The largest file record in use is 4 KiB; what lives in it is smaller.
constexpr int64_t kLargestRecord = 4096;

}  // namespace

bool OverwriteBuffered(int64_t size, uint32_t sectorSize) {
  return UnbufferedFits(sectorSize) && size > 0 && size < kLargestRecord && size % sectorSize != 0;
}

int64_t OverwriteExtent(int64_t size, int64_t allocation, uint32_t clusterSize) {
  if (size <= 0 || clusterSize == 0 || allocation <= size || allocation % clusterSize != 0)
    return size;
  // A file small enough to live in its record counts as written there
  // unless it holds more than any record could (small clusters).
  if (size < kLargestRecord && allocation < kLargestRecord) return size;
  // Whole clusters and more than the file: at most one cluster of tip unless
  // space was reserved beyond it, which is the file's own all the same.
  return allocation;
}

OverwritePlan PlanOverwrite(int64_t size, uint32_t sectorSize, int64_t extent) {
  OverwritePlan plan{};
  plan.unbuffered = UnbufferedFits(sectorSize);
  if (size <= 0) return plan;
  const uint64_t bytes = static_cast<uint64_t>(extent > size ? extent : size);
  plan.wholeChunks = bytes / kFillBufferSize;
  plan.tailBytes = static_cast<uint32_t>(bytes % kFillBufferSize);
  plan.tailWrite = plan.tailBytes;
  if (plan.unbuffered && plan.tailBytes != 0) {
    // Never more than a chunk: the sector size divides it.
    plan.tailWrite = (plan.tailBytes + sectorSize - 1) / sectorSize * sectorSize;
  }
  plan.cutBack = plan.wholeChunks * kFillBufferSize + plan.tailWrite > static_cast<uint64_t>(size);
  return plan;
}

uint32_t TemporaryNameDigits(size_t nameLength) {
  constexpr size_t kFixed = 6;      // "KX" and ".tmp"
  constexpr size_t kLongest = 255;  // characters in one name
  constexpr size_t kFewest = 6;
  if (nameLength > kLongest) nameLength = kLongest;
  return static_cast<uint32_t>(nameLength < kFixed + kFewest ? kFewest : nameLength - kFixed);
}

uint8_t CaveatsOf(uint32_t attributes, uint32_t volumeFlags) {
  constexpr uint32_t kAttrSparse = 0x200, kAttrCompressed = 0x800, kAttrEncrypted = 0x4000,
                     kAttrIntegrityStream = 0x8000;
  constexpr uint32_t kVolumeCompressed = 0x8000, kVolumeBlockRefcounting = 0x08000000;
  uint8_t caveats = 0;
  if (attributes == kAttrInvalid) attributes = 0;
  if ((attributes & kAttrCompressed) || (volumeFlags & kVolumeCompressed))
    caveats |= kCaveatCompressed;
  if (attributes & kAttrEncrypted) caveats |= kCaveatEncrypted;
  if (attributes & kAttrSparse) caveats |= kCaveatSparse;
  // Checksummed files, and volumes whose files may share clusters after a
  // copy, get every change in new clusters.
  if ((attributes & kAttrIntegrityStream) || (volumeFlags & kVolumeBlockRefcounting))
    caveats |= kCaveatCopyOnWrite;
  return caveats;
}

ShredTarget ClassifyShredTarget(uint32_t attributes) {
  if (attributes == kAttrInvalid) return ShredTarget::kUnknown;
  bool folder = (attributes & kAttrDirectory) != 0;
  if (attributes & kAttrReparsePoint)
    return folder ? ShredTarget::kFolderLink : ShredTarget::kFileLink;
  return folder ? ShredTarget::kFolder : ShredTarget::kFile;
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Skips one component; answers where it ends (a separator or the end).
const char* ComponentEnd(const char* p) {
  while (*p != '\0' && !IsSeparator(*p)) ++p;
  return p;
}

// \\server or \\server\share, with at most one trailing separator.
bool IsShareRoot(const char* rest) {
  const char* server = ComponentEnd(rest);
  if (server == rest) return false;
  if (*server == '\0' || server[1] == '\0') return true;
  const char* share = ComponentEnd(server + 1);
  return *share == '\0' || (share[1] == '\0');
}

}  // namespace

bool NamesDriveRoot(const char* path) {
  if (path == nullptr) return false;
  if (IsSeparator(path[0]) && path[1] == '\0') return true;  // the current drive's root
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    if ((path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
      path += 4;
      if ((path[0] | 0x20) == 'u' && (path[1] | 0x20) == 'n' && (path[2] | 0x20) == 'c' &&
          IsSeparator(path[3]))
        return IsShareRoot(path + 4);
    } else {
      return IsShareRoot(path + 2);
    }
  }
  return IsLetter(path[0]) && path[1] == ':' &&
         (path[2] == '\0' || (IsSeparator(path[2]) && path[3] == '\0'));
}

bool IsNameSurrogate(uint32_t reparseTag) { return (reparseTag & 0x20000000u) != 0; }

bool PathLiesInside(const wchar_t* path, const wchar_t* anchor) {
  if (path == nullptr || anchor == nullptr || anchor[0] == L'\0') return false;
  size_t i = 0;
  for (; anchor[i] != L'\0'; ++i) {
    if (anchor[i] != path[i]) return false;
  }
  return path[i] == L'\0' || path[i] == L'\\' || anchor[i - 1] == L'\\';
}
