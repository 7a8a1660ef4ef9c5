#pragma once
// What the disk chooser and the disk eraser decide without asking the system:
// which drives may be offered, how a volume is cut into blocks, the disk text,
// and where the step list and the chooser's buttons go.
#include <cstdint>
#include <string>

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
// True when the drive must never be offered for erasing: it holds the system
// folder or the running program (letters compared in either case).
bool IsProtectedDrive(char letter, const char* systemFolder, const char* programPath);

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
