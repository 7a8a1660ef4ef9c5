#pragma once
// Fills a volume's free space with the fill, so that what deleted files left
// there is overwritten, then takes away everything it made. All of it lives
// in one hidden folder at the volume's root ("KX…tmp", see wipe_logic.h): a
// few large files first, then, where small files keep their contents inside
// their file records, small files until no record is left.
//
// Every file is made new through the folder's handle, so it lands in that
// folder or nowhere and never replaces anything, and is marked to go when
// its handle closes: a wipe that ends in any way, the process included,
// leaves no file behind. Only the empty folder can outlive a killed process;
// the next wipe of the volume removes it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "disk/volume_eraser.h"

class WipeHost {
 public:
  virtual ~WipeHost() = default;
  // Before every write; may wait. False stops the wipe.
  virtual bool BeforeBlock() = 0;
  // After every write: written of the free space (written may pass it, the
  // free space being a moment's measure).
  virtual void Progress(uint64_t written, uint64_t freeSpace) = 0;
  // A write, a flush or a new file failed for another reason than a full
  // volume; true tries it again.
  virtual bool RetryAfterFailure(DWORD error) = 0;
};

// What the wipe needs to know of the volume before it starts.
struct WipeVolume {
  char letter = 0;
  std::string fileSystem;
  uint32_t sectorSize = 512;
  uint32_t clusterSize = 4096;
  uint64_t freeSpace = 0;
};
// Asks the system; false (the reason in GetLastError) when it does not answer.
bool MeasureWipeVolume(char letter, WipeVolume& volume);

enum class WipeResult { Wiped, Cancelled, Failed };

struct WipeOutcome {
  WipeResult result = WipeResult::Failed;
  DWORD error = 0;  // the system's reason when Failed
  uint64_t written = 0;
  uint32_t filesMade = 0;
  uint32_t filesRemoved = 0;  // of those, gone when the wipe ended
  bool folderRemoved = false;
};

// Neither a pattern nor a generator, or no memory for the block: nothing is
// made and the wipe fails with ERROR_NOT_ENOUGH_MEMORY.
WipeOutcome WipeFreeSpace(const WipeVolume& volume, const EraseFill& fill, WipeHost& host);

// Removes the folders an earlier wipe left at the root of the volume when
// its process was killed: hidden, named as a wipe names its folder, and
// empty (a folder that holds anything is not removed). Answers how many went.
int RemoveLeftoverWipeFolders(char letter);
