#pragma once
// What the free-space wipe decides without asking the system: which drives it
// offers, the name of the folder it fills, how large each of its files may
// grow, how a write that met a full volume is tried again, and its report.
#include <cstdint>
#include <string>

#include "widgets/report_content.h"

// Fixed and removable drives: the others are not ours to fill (CD-ROM,
// network, RAM disks, unknown devices).
bool OfferedForWipe(unsigned driveType);

// "KX", eight hexadecimal digits, ".tmp": the hidden folder at the volume's
// root that holds everything the wipe makes.
std::string WipeFolderName(uint32_t number);
// True for a name WipeFolderName makes (the digits in either case).
bool IsWipeFolderName(const std::string& name);

// The largest file the volume takes, in whole sectors: FAT keeps a file's
// size in 32 bits; the other file systems have no limit a volume reaches.
uint64_t LargestWipeFile(const std::string& fileSystem, uint32_t sectorSize);
// NTFS keeps a small file's contents inside its file record, out of reach of
// the large files.
bool KeepsContentsInRecords(const std::string& fileSystem);

// The space kept free for the folder's index while the small files are made
// (see KeepsContentsInRecords): a thirty-second of the free space, from 1 MiB
// up to 64 MiB, never more than there is.
uint64_t RecordPhaseReserve(uint64_t freeSpace);

// Whether making `files` small files took more of the volume (`taken` bytes)
// than their folder's index can have taken: an entry each, and two blocks
// (of 4 KiB or a cluster) for the index's first block and the one being
// filled. Then the file record table grew, since no free record was left.
bool RecordTableGrew(uint64_t taken, uint32_t files, uint32_t clusterSize);

// The next write of a file that has `done` of `limit` bytes: a whole block,
// or what is left below the limit, in whole sectors; 0 when the file is done.
uint32_t NextWipeWrite(uint64_t done, uint64_t limit, uint32_t block, uint32_t sectorSize);
// After a write of `length` bytes met a full volume: half of it in whole
// sectors, to reach the last free clusters; 0 when not even a sector fits.
uint32_t ShorterWipeWrite(uint32_t length, uint32_t sectorSize);

// How a wipe went, for its report.
struct WipeSummary {
  enum class End { kWiped, kStopped, kFailed };
  std::string volume;
  uint64_t freeSpace = 0;  // what the volume had free before the wipe
  uint64_t written = 0;
  uint32_t filesMade = 0;
  uint32_t filesRemoved = 0;
  bool folderRemoved = false;
  End end = End::kFailed;
  FillKind fill = FillKind::kPattern;
  std::string pattern;
  uint64_t elapsedMs = 0;
};
// The report closes itself only after a wipe that ran to its end and took
// away everything it made.
ReportContent WipeReportContent(const WipeSummary& summary);
