#include "disk/wipe_logic.h"

#include <cctype>
#include <cstdio>

#include "base/path_utils.h"
#include "base/size_text.h"
#include "lang/text_store.h"

namespace {

constexpr unsigned kDriveRemovable = 2;  // DRIVE_REMOVABLE
constexpr unsigned kDriveFixed = 3;      // DRIVE_FIXED

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (i >= text.size() || std::toupper(static_cast<unsigned char>(text[i])) !=
                                std::toupper(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

std::string SizeText(uint64_t bytes) {
  char text[100];
  return FormatSize(static_cast<int64_t>(bytes), text, sizeof text) ? text : "";
}

}  // namespace

bool OfferedForWipe(unsigned driveType) {
  return driveType == kDriveFixed || driveType == kDriveRemovable;
}

std::string WipeFolderName(uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "KX%08X.tmp", static_cast<unsigned>(number));
  return name;
}

bool IsWipeFolderName(const std::string& name) {
  if (name.size() != 14 || !StartsWithNoCase(name, "KX")) return false;
  for (size_t i = 2; i < 10; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return StartsWithNoCase(name.substr(10), ".tmp");
}

uint64_t LargestWipeFile(const std::string& fileSystem, uint32_t sectorSize) {
  const uint64_t limit = StartsWithNoCase(fileSystem, "FAT") ? 0xFFFFFFFFull : ~0ull;
  return limit - limit % sectorSize;
}

bool KeepsContentsInRecords(const std::string& fileSystem) {
  return fileSystem.size() == 4 && StartsWithNoCase(fileSystem, "NTFS");
}

uint64_t RecordPhaseReserve(uint64_t freeSpace) {
  const uint64_t kMiB = 1ull << 20;
  uint64_t reserve = freeSpace / 32;
  if (reserve < kMiB) reserve = kMiB;
  if (reserve > 64 * kMiB) reserve = 64 * kMiB;
  return reserve < freeSpace ? reserve : freeSpace;
}

bool RecordTableGrew(uint64_t taken, uint32_t files, uint32_t clusterSize) {
  // An index entry of a name such as "S0000002A.tmp", rounded up.
  constexpr uint64_t kIndexEntry = 128;
  constexpr uint64_t kIndexBlock = 4096;
  const uint64_t block = clusterSize > kIndexBlock ? clusterSize : kIndexBlock;
  return taken > files * kIndexEntry + 2 * block;
}

uint32_t NextWipeWrite(uint64_t done, uint64_t limit, uint32_t block, uint32_t sectorSize) {
  if (done >= limit) return 0;
  const uint64_t left = limit - done;
  const uint64_t length = left < block ? left : block;
  return static_cast<uint32_t>(length - length % sectorSize);
}

uint32_t ShorterWipeWrite(uint32_t length, uint32_t sectorSize) {
  const uint32_t half = length / 2;
  return half - half % sectorSize;
}

ReportContent WipeReportContent(const WipeSummary& summary) {
  ReportContent content;
  const auto text = [](const char* key) { return LangText(key, "Report"); };
  const std::string written = SizeText(summary.written);
  const std::string freeSpace = SizeText(summary.freeSpace);
  const char* endKey = summary.end == WipeSummary::End::kWiped     ? "WipeDone"
                       : summary.end == WipeSummary::End::kStopped ? "WipeStopped"
                                                                   : "WipeFailed";
  content.summary.push_back(FormatWithArgs(text(endKey), written.c_str(), freeSpace.c_str()));
  content.summary.push_back(FormatWithArgs(text("Volume"), summary.volume.c_str()));
  content.summary.push_back(FormatWithArgs(text("WipeFree"), freeSpace.c_str()));
  content.summary.push_back(FormatWithArgs(text("WipeFiles"), CountText(summary.filesMade).c_str(),
                                           CountText(summary.filesRemoved).c_str()));
  const bool allGone = summary.filesRemoved == summary.filesMade && summary.folderRemoved;
  if (!allGone) content.summary.push_back(text("WipeLeft"));
  AddFillLines(content, summary.fill, summary.pattern, false, summary.elapsedMs);
  content.closesItself = summary.end == WipeSummary::End::kWiped && allGone;
  return content;
}
