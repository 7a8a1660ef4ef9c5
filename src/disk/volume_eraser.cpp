#include "disk/volume_eraser.h"

#include "disk/disk_logic.h"

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

}  // namespace

EraseOutcome OverwriteVolume(RawVolume& volume, uint64_t size, uint32_t sectorSize,
                             const uint8_t* fill, EraseHost& host) {
  EraseOutcome outcome;
  if (!fill) {
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
    if (!WriteBlock(volume, outcome.written, fill, length, host, outcome)) return outcome;
    outcome.written += length;
    host.Progress(outcome.written, size);
  }
  while (!volume.Flush()) {
    outcome.error = volume.LastError();
    if (!host.RetryAfterFailure(outcome.error, true)) return outcome;
  }
  outcome.result = EraseResult::Erased;
  outcome.error = 0;
  return outcome;
}
