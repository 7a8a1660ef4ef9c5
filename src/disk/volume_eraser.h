#pragma once
// Overwrites a locked volume from its first byte to its last with the fill
// buffer, block by block, and flushes it. The caller's host decides between
// blocks: it may hold the writer (pause), stop it (cancel), show progress,
// and answer a failed write with Retry or Cancel.
#include <windows.h>

#include <cstdint>

#include "disk/raw_volume.h"
#include "engine/random_fill.h"

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

// What the blocks are written from.
struct EraseFill {
  // kFillBufferSize bytes written into every block; unused with random.
  const uint8_t* pattern = nullptr;
  // Set: every block gets new data from it, and a failure of the generator
  // is a failed block (never a constant fill instead).
  RandomSource random = nullptr;
  // Every few blocks are flushed, read back and compared; a block that does
  // not read back as written is a failed block (error kReasonVerifyFailed,
  // or the read's own) whose retry writes it again.
  bool verify = false;
};

// Neither a pattern nor a generator, or no memory for the blocks kept for
// verifying: nothing is written and the erase fails with
// ERROR_NOT_ENOUGH_MEMORY.
EraseOutcome OverwriteVolume(RawVolume& volume, uint64_t size, uint32_t sectorSize,
                             const EraseFill& fill, EraseHost& host);
// The same, with a constant pattern and no verifying.
inline EraseOutcome OverwriteVolume(RawVolume& volume, uint64_t size, uint32_t sectorSize,
                                    const uint8_t* fill, EraseHost& host) {
  EraseFill constant;
  constant.pattern = fill;
  return OverwriteVolume(volume, size, sectorSize, constant, host);
}
