#include "disk/disk_logic.h"

#include "engine/fill_buffer.h"

uint32_t UsableSectorSize(uint32_t reported) {
  bool powerOfTwo = reported != 0 && (reported & (reported - 1)) == 0;
  if (!powerOfTwo || reported < 512 || reported > kFillBufferAlignment) return 512;
  return reported;
}

EraseBlocks PlanErase(uint64_t size, uint32_t sectorSize) {
  sectorSize = UsableSectorSize(sectorSize);
  uint32_t block = kFillBufferSize - kFillBufferSize % sectorSize;
  return {block, size / block, static_cast<uint32_t>(size % block)};
}

uint64_t GeometryLength(int64_t cylinders, uint32_t tracksPerCylinder, uint32_t sectorsPerTrack,
                        uint32_t bytesPerSector) {
  uint32_t perCylinder = tracksPerCylinder * sectorsPerTrack * bytesPerSector;
  if (cylinders <= 0) return 0;
  return static_cast<uint64_t>(cylinders) * perCylinder;
}

char DriveOfPath(const char* path) {
  if (!path || path[0] == '\0' || path[1] != ':') return 0;
  char c = path[0];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return c >= 'A' && c <= 'Z' ? c : 0;
}

bool IsProtectedDrive(char letter, const char* systemFolder, const char* programPath) {
  char upper = DriveOfPath(std::string{letter, ':'}.c_str());
  if (upper == 0) return false;
  return upper == DriveOfPath(systemFolder) || upper == DriveOfPath(programPath);
}

std::string DriveText(char letter, const char* displayName, const char* sizeText,
                      const char* noDisk) {
  if (letter < 'A') return noDisk ? noDisk : "";
  std::string text{letter, ':'};
  if (displayName && *displayName) (text += '\t') += displayName;
  if (sizeText && *sizeText) (text += '\t') += sizeText;
  return text;
}

StepRow StepRowAt(int areaTop, int areaBottom, int textHeight, int index) {
  int height = (areaBottom - areaTop) / kStepCount;
  if (height < textHeight) height = textHeight;
  int top = areaTop + index * height;
  return {top, height, top + height / 2 - 8};
}

ChooserFit FitChooser(int listBottom, int buttonHeight) {
  return {listBottom + 10, listBottom + buttonHeight + 20};
}
