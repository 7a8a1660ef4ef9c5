#include "engine/overwrite_plan.h"

#include "engine/fill_buffer.h"

#include <cstring>

bool UnbufferedFits(uint32_t sectorSize) {
  bool powerOfTwo = sectorSize != 0 && (sectorSize & (sectorSize - 1)) == 0;
  return powerOfTwo && sectorSize <= kFillBufferAlignment && kFillBufferSize % sectorSize == 0;
}

OverwritePlan PlanOverwrite(int64_t size, uint32_t sectorSize) {
  OverwritePlan plan{};
  plan.unbuffered = UnbufferedFits(sectorSize);
  if (size <= 0) return plan;
  uint64_t bytes = static_cast<uint64_t>(size);
  plan.wholeChunks = bytes / kFillBufferSize;
  plan.tailBytes = static_cast<uint32_t>(bytes % kFillBufferSize);
  plan.tailWrite = plan.tailBytes;
  if (plan.unbuffered && plan.tailBytes != 0) {
    // Never more than a chunk: the sector size divides it.
    plan.tailWrite = (plan.tailBytes + sectorSize - 1) / sectorSize * sectorSize;
    plan.cutBack = plan.tailWrite != plan.tailBytes;
  }
  return plan;
}

ShredTarget ClassifyShredTarget(uint32_t attributes) {
  if (attributes == kAttrInvalid) return ShredTarget::kUnknown;
  bool folder = (attributes & kAttrDirectory) != 0;
  if (attributes & kAttrReparsePoint) return folder ? ShredTarget::kFolderLink : ShredTarget::kFileLink;
  return folder ? ShredTarget::kFolder : ShredTarget::kFile;
}

bool NamesDriveRoot(const char* path) {
  size_t length = std::strlen(path);
  if (length <= 3) return true;
  if (path[length - 1] == ':') return true;
  if (path[length - 2] == ':' && path[length - 1] == '\\') return true;
  if (path[0] != '\\' || path[1] != '\\') return false;
  // \\server\share: at most one separator between the server and the end
  // (a trailing one does not count).
  int separators = 0;
  for (size_t i = 2; i + 1 < length; ++i)
    if (path[i] == '\\') ++separators;
  return separators <= 1;
}
