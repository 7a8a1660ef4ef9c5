#include "disk/disk_logic.h"

#include <cwctype>

#include "base/path_utils.h"
#include "base/size_text.h"
#include "engine/fill_buffer.h"
#include "lang/text_store.h"

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

namespace {

template <typename Char>
char UpperDrive(const Char* path) {
  if (!path || path[0] == 0 || path[1] != ':') return 0;
  Char c = path[0];
  if (c >= 'a' && c <= 'z') c = static_cast<Char>(c - 'a' + 'A');
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c) : 0;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  if (a.empty() || a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

char DriveOfPath(const char* path) { return UpperDrive(path); }
char DriveOfPath(const wchar_t* path) { return UpperDrive(path); }

bool SameVolume(const VolumeIdentity& a, const VolumeIdentity& b) {
  if (SameText(a.name, b.name) || SameText(a.device, b.device)) return true;
  if (a.letter != 0 && a.letter == b.letter) return true;
  return a.hasSerial && b.hasSerial && a.serial == b.serial;
}

std::wstring SubstitutedPath(const std::wstring& device) {
  if (device.compare(0, 4, L"\\??\\") != 0) return {};
  std::wstring path = device.substr(4);
  return DriveOfPath(path.c_str()) ? path : std::wstring();
}

DriveGuard GuardDrive(const DriveFacts& drive, const GuardedVolumes& guarded) {
  auto any = [&](const std::vector<VolumeIdentity>& list) {
    for (const VolumeIdentity& v : list) {
      if (SameVolume(drive.volume, v)) return true;
    }
    return false;
  };
  if (any(guarded.system)) return DriveGuard::System;
  if (drive.bootFiles || SameText(drive.label, L"System Reserved") ||
      SameText(drive.volume.device, guarded.systemPartition))
    return DriveGuard::BootFiles;
  if (any(guarded.program)) return DriveGuard::Program;
  return DriveGuard::Free;
}

const char* GuardTextKey(DriveGuard guard) {
  switch (guard) {
    case DriveGuard::System:
      return "NoSystemDisk";
    case DriveGuard::BootFiles:
      return "NoBootDisk";
    case DriveGuard::Program:
      return "NoProgramDisk";
    default:
      return nullptr;
  }
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

namespace {

std::string SizeText(uint64_t bytes) {
  char text[100];
  return FormatSize(static_cast<int64_t>(bytes), text, sizeof text) ? text : "";
}

}  // namespace

ReportContent EraseReportContent(const EraseSummary& summary) {
  ReportContent content;
  const auto text = [](const char* key) { return LangText(key, "Report"); };
  const std::string written = SizeText(summary.written);
  const std::string size = SizeText(summary.size);
  switch (summary.end) {
    case EraseSummary::End::kErased:
      content.summary.push_back(text("DiskErased"));
      break;
    case EraseSummary::End::kStopped:
      content.summary.push_back(FormatWithArgs(text("DiskStopped"), written.c_str(), size.c_str()));
      break;
    case EraseSummary::End::kFailed:
      content.summary.push_back(FormatWithArgs(text("DiskFailed"), written.c_str(), size.c_str()));
      break;
  }
  content.summary.push_back(FormatWithArgs(text("Volume"), summary.volume.c_str()));
  content.summary.push_back(FormatWithArgs(text("Size"), size.c_str()));
  AddFillLines(content, summary.fill, summary.pattern, summary.verified, summary.elapsedMs);
  content.summary.push_back(
      FormatWithArgs(text("FailedBlocks"), CountText(summary.failedBlocks).c_str()));
  content.closesItself = summary.end == EraseSummary::End::kErased && summary.failedBlocks == 0;
  return content;
}
