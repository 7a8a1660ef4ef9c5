#pragma once
// What the disk chooser and the disk eraser decide without asking the system:
// which drives may be offered, how a volume is cut into blocks, the disk text,
// and where the step list and the chooser's buttons go.
#include <cstdint>
#include <string>
#include <vector>

#include "widgets/report_content.h"

// The sector size the eraser works with: the reported one when it is a power
// of two from 512 up to the fill buffer's alignment (a page), else 512.
uint32_t UsableSectorSize(uint32_t reported);

// A volume cut into blocks: `fullBlocks` blocks of `blockSize` bytes, then one
// of `rest` bytes (0: none). The block is the fill buffer's size rounded down
// to whole sectors, so every write covers whole sectors of a volume whose
// length is a multiple of its sector size.
struct EraseBlocks {
  uint32_t blockSize;
  uint64_t fullBlocks;
  uint32_t rest;
};
EraseBlocks PlanErase(uint64_t size, uint32_t sectorSize);

// A volume's length from its geometry, as the eraser's third measure takes
// it: the bytes of one cylinder in 32 bits, times the cylinder count.
uint64_t GeometryLength(int64_t cylinders, uint32_t tracksPerCylinder, uint32_t sectorsPerTrack,
                        uint32_t bytesPerSector);

// The drive letter of a path such as "C:\Windows" in upper case; 0 when the
// path does not start with a letter and a colon.
char DriveOfPath(const char* path);
char DriveOfPath(const wchar_t* path);

// What the system tells of the volume a drive letter or a path lies on. Any
// part may be unknown (empty, 0): Wine, a volume without a file system or a
// refused request leave gaps, and a gap never makes two volumes different.
struct VolumeIdentity {
  std::wstring name;    // "\\?\Volume{GUID}\"
  std::wstring device;  // the device the letter resolves to, "\Device\HarddiskVolume2"
  char letter = 0;      // the letter that names the volume itself, 'A' to 'Z'
  bool hasSerial = false;
  uint32_t serial = 0;  // the serial of the volume that holds the item, as its handle tells
};
// True when anything both identities know is the same: one volume name,
// device, letter or serial is enough.
bool SameVolume(const VolumeIdentity& a, const VolumeIdentity& b);

// The path a substituted letter stands for, from its device text "\??\C:\x"
// (a letter made by SUBST or DefineDosDevice); empty for any other device.
std::wstring SubstitutedPath(const std::wstring& device);

// The volumes that may never be erased.
struct GuardedVolumes {
  std::vector<VolumeIdentity> system;   // the Windows and system folders
  std::vector<VolumeIdentity> program;  // the running program
  std::wstring systemPartition;         // the device Windows starts from, as setup recorded it
};
// One drive as the guard sees it.
struct DriveFacts {
  VolumeIdentity volume;
  std::wstring label;
  bool bootFiles = false;  // it holds \Boot\BCD or \EFI\Microsoft\Boot
};
enum class DriveGuard { Free, System, BootFiles, Program };
// Why the drive may not be erased, or Free.
DriveGuard GuardDrive(const DriveFacts& drive, const GuardedVolumes& guarded);
// The text key (section EraseDisk) that tells the user why; null for Free.
const char* GuardTextKey(DriveGuard guard);

// The disk text: noDisk for a letter below 'A'; else "X:", then a tab and the
// display name when there is one, then a tab and the size text when there is
// one.
std::string DriveText(char letter, const char* displayName, const char* sizeText,
                      const char* noDisk);

// One row of the step list, in client pixels.
struct StepRow {
  int top;
  int height;
  int iconTop;
};
// Row `index` of five in the area from areaTop to areaBottom: at least as high
// as the text, else a fifth of the area; the 16-pixel icon centred in it.
StepRow StepRowAt(int areaTop, int areaBottom, int textHeight, int index);
constexpr int kStepCount = 5;

// The chooser fitted to its list: the buttons 10 pixels below the list's
// bottom, the client area 10 pixels below the buttons.
struct ChooserFit {
  int buttonTop;
  int clientHeight;
};
ChooserFit FitChooser(int listBottom, int buttonHeight);

// How an erase went, for its report.
struct EraseSummary {
  enum class End { kErased, kStopped, kFailed };
  std::string volume;  // the drive as the user knows it
  uint64_t size = 0;
  uint64_t written = 0;
  uint32_t failedBlocks = 0;  // failed writes, retried ones included
  End end = End::kFailed;
  FillKind fill = FillKind::kPattern;
  std::string pattern;
  bool verified = false;  // every block read back and compared
  uint64_t elapsedMs = 0;
};
// The report closes itself only after an erase that ended without a single
// failed write.
ReportContent EraseReportContent(const EraseSummary& summary);
