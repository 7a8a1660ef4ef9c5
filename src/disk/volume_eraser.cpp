#include "disk/volume_eraser.h"

#include <cstring>

#include "disk/disk_logic.h"
#include "engine/chunk_window.h"
#include "engine/delete_job.h"

namespace {

// Writes one block, asking the host again after every failure.
bool WriteBlock(RawVolume& volume, uint64_t offset, const uint8_t* fill, uint32_t length,
                EraseHost& host, EraseOutcome& outcome) {
  while (!volume.WriteAt(offset, fill, length)) {
    ++outcome.failedBlocks;
    outcome.error = volume.LastError();
    if (!host.RetryAfterFailure(outcome.error, false)) return false;
  }
  return true;
}

// New random data for one block, asking the host again after every failure.
bool GenerateBlock(RandomSource random, uint8_t* block, uint32_t length, EraseHost& host,
                   EraseOutcome& outcome) {
  while (!random(block, length)) {
    ++outcome.failedBlocks;
    outcome.error = GetLastError() != 0 ? GetLastError() : ERROR_GEN_FAILURE;
    if (!host.RetryAfterFailure(outcome.error, false)) return false;
  }
  return true;
}

// Reads back the blocks of the window (after a flush when flush is set) and
// compares them; a retry writes all of them again.
bool VerifyBlocks(RawVolume& volume, ChunkWindow& window, bool flush, EraseHost& host,
                  EraseOutcome& outcome) {
  for (;;) {
    DWORD code = 0;
    bool flushFailed = false;
    if (flush && !volume.Flush()) {
      code = volume.LastError();
      flushFailed = true;
    }
    for (size_t i = 0; code == 0 && i < window.Count(); ++i) {
      const ChunkWindow::Chunk& block = window.At(i);
      if (!volume.ReadAt(block.offset, window.ReadBuffer(), block.size))
        code = volume.LastError();
      else if (std::memcmp(block.data, window.ReadBuffer(), block.size) != 0)
        code = kReasonVerifyFailed;
    }
    if (code == 0) break;
    ++outcome.failedBlocks;
    outcome.error = code;
    if (!host.RetryAfterFailure(code, flushFailed)) {
      window.Clear();
      return false;
    }
    for (size_t i = 0; i < window.Count(); ++i) {
      const ChunkWindow::Chunk& block = window.At(i);
      if (!WriteBlock(volume, block.offset, block.data, block.size, host, outcome)) {
        window.Clear();
        return false;
      }
    }
    flush = true;
  }
  window.Clear();
  return true;
}

}  // namespace

EraseOutcome OverwriteVolume(RawVolume& volume, uint64_t size, uint32_t sectorSize,
                             const EraseFill& fill, EraseHost& host) {
  EraseOutcome outcome;
  ChunkWindow window;
  if ((!fill.pattern && !fill.random) || !window.Prepare(fill.random != nullptr, fill.verify)) {
    outcome.error = ERROR_NOT_ENOUGH_MEMORY;
    return outcome;
  }
  const EraseBlocks plan = PlanErase(size, sectorSize);
  const uint64_t blocks = plan.fullBlocks + (plan.rest ? 1 : 0);
  for (uint64_t k = 0; k < blocks; ++k) {
    if (!host.BeforeBlock()) {
      outcome.result = EraseResult::Cancelled;
      return outcome;
    }
    const uint32_t length = k < plan.fullBlocks ? plan.blockSize : plan.rest;
    const uint8_t* data = fill.pattern;
    if (fill.random) {
      uint8_t* block = window.NextRandomBuffer();
      if (!GenerateBlock(fill.random, block, length, host, outcome)) return outcome;
      data = block;
    }
    if (!WriteBlock(volume, outcome.written, data, length, host, outcome)) return outcome;
    if (fill.verify) {
      window.Add(outcome.written, length, data);
      if (window.Full() && !VerifyBlocks(volume, window, true, host, outcome)) return outcome;
    }
    outcome.written += length;
    host.Progress(outcome.written, size);
  }
  while (!volume.Flush()) {
    outcome.error = volume.LastError();
    if (!host.RetryAfterFailure(outcome.error, true)) return outcome;
  }
  if (fill.verify && !VerifyBlocks(volume, window, false, host, outcome)) return outcome;
  outcome.result = EraseResult::Erased;
  outcome.error = 0;
  return outcome;
}
