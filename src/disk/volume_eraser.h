#pragma once
// Overwrites a locked volume from its first byte to its last with the fill
// buffer, block by block, and flushes it. The caller's host decides between
// blocks: it may hold the writer (pause), stop it (cancel), show progress,
// and answer a failed write with Retry or Cancel.
#include <windows.h>

#include <cstdint>

#include "disk/raw_volume.h"

class EraseHost {
 public:
  virtual ~EraseHost() = default;
  // Before every block; may wait. False stops the erase.
  virtual bool BeforeBlock() = 0;
  // After every block that was written: done of total bytes.
  virtual void Progress(uint64_t done, uint64_t total) = 0;
  // A block could not be written (or the flush failed, when flush is true);
  // true tries it again.
  virtual bool RetryAfterFailure(DWORD error, bool flush) = 0;
};

enum class EraseResult {
  Erased,     // every byte written and flushed
  Cancelled,  // stopped between two blocks; what was written stays written
  Failed,     // a block or the flush failed and was not retried
};

struct EraseOutcome {
  EraseResult result = EraseResult::Failed;
  DWORD error = 0;           // the system's reason when Failed
  uint64_t written = 0;      // bytes written before the end
  uint32_t failedBlocks = 0; // writes that failed, retried ones included
};

// fill holds at least kFillBufferSize bytes (null: nothing is written and
// the erase fails with ERROR_NOT_ENOUGH_MEMORY).
EraseOutcome OverwriteVolume(RawVolume& volume, uint64_t size, uint32_t sectorSize,
                             const uint8_t* fill, EraseHost& host);
