// The eraser's and the chooser's decisions that need no system: blocks,
// sector sizes, the drives that may not be erased, the disk text and the layouts.
#include <gtest/gtest.h>

#include "disk/disk_logic.h"

#include <string>
#include <vector>
#include "engine/fill_buffer.h"
#include "lang/english_texts.h"

namespace {

TEST(ErasePlanTest, ThreeWholeBlocksLeaveNoPartialWrite) {
  EraseBlocks plan = PlanErase(3ull * 0xFE00, 512);
  EXPECT_EQ(plan.blockSize, 0xFE00u);
  EXPECT_EQ(plan.fullBlocks, 3u);
  EXPECT_EQ(plan.rest, 0u);
}

TEST(ErasePlanTest, ALastPartialBlockIsWholeSectors) {
  EraseBlocks plan = PlanErase(0xFE00ull + 512, 512);
  EXPECT_EQ(plan.fullBlocks, 1u);
  EXPECT_EQ(plan.rest, 512u);

  // A volume of 4 KiB sectors: blocks shrink to whole sectors, and a volume
  // of whole sectors ends in whole sectors.
  for (uint64_t sectors : {1ull, 15ull, 16ull, 31ull, 262145ull}) {
    plan = PlanErase(sectors * 4096, 4096);
    EXPECT_EQ(plan.blockSize % 4096, 0u);
    EXPECT_LE(plan.blockSize, kFillBufferSize);
    EXPECT_EQ(plan.rest % 4096, 0u) << sectors;
    EXPECT_EQ(plan.fullBlocks * plan.blockSize + plan.rest, sectors * 4096);
  }
}

TEST(ErasePlanTest, NoBlockIsEverLargerThanTheFillBuffer) {
  for (uint32_t sector : {0u, 1u, 256u, 512u, 1000u, 1024u, 2048u, 4096u, 8192u, 65536u}) {
    EraseBlocks plan = PlanErase(10ull << 30, sector);
    EXPECT_GT(plan.blockSize, 0u) << sector;
    EXPECT_LE(plan.blockSize, kFillBufferSize) << sector;
    EXPECT_EQ(plan.blockSize % 512, 0u) << sector;
  }
}

TEST(ErasePlanTest, UnusableSectorSizesFallBackTo512) {
  EXPECT_EQ(UsableSectorSize(0), 512u);
  EXPECT_EQ(UsableSectorSize(256), 512u);
  EXPECT_EQ(UsableSectorSize(1000), 512u);
  EXPECT_EQ(UsableSectorSize(8192), 512u);  // beyond the buffer's alignment
  EXPECT_EQ(UsableSectorSize(2048), 2048u);
  EXPECT_EQ(UsableSectorSize(4096), 4096u);
  EXPECT_EQ(kFillBufferAlignment % 4096, 0u);
}

TEST(ErasePlanTest, GeometryTakesTheCylinderBytesIn32Bits) {
  EXPECT_EQ(GeometryLength(1000, 255, 63, 512), 1000ull * 255 * 63 * 512);
  // 2^16 tracks of 2^8 sectors of 2^9 bytes wrap to 2^33 mod 2^32 = 0.
  EXPECT_EQ(GeometryLength(7, 65536, 256, 512), 0u);
  EXPECT_EQ(GeometryLength(0, 255, 63, 512), 0u);
  EXPECT_EQ(GeometryLength(-3, 255, 63, 512), 0u);
}

VolumeIdentity Volume(const wchar_t* name, const wchar_t* device, char letter,
                      uint32_t serial = 0) {
  VolumeIdentity v;
  v.name = name;
  v.device = device;
  v.letter = letter;
  v.hasSerial = serial != 0;
  v.serial = serial;
  return v;
}

TEST(DriveGuardTest, AnyPartTheIdentitiesShareMakesOneVolumeAndGapsNeverDiffer) {
  const VolumeIdentity c = Volume(L"\\\\?\\Volume{c}\\", L"\\Device\\HarddiskVolume3", 'C', 0x1234);
  EXPECT_TRUE(SameVolume(c, Volume(L"\\\\?\\VOLUME{C}\\", L"", 0)));  // a folder mount of C
  EXPECT_TRUE(SameVolume(c, Volume(L"", L"\\device\\harddiskvolume3", 0)));
  EXPECT_TRUE(SameVolume(c, Volume(L"", L"", 'C')));
  EXPECT_TRUE(SameVolume(c, Volume(L"\\\\?\\Volume{s}\\", L"\\Device\\X", 'S', 0x1234)));
  EXPECT_FALSE(
      SameVolume(c, Volume(L"\\\\?\\Volume{e}\\", L"\\Device\\HarddiskVolume4", 'E', 0x99)));
  EXPECT_FALSE(SameVolume(c, Volume(L"", L"", 0)));
  EXPECT_FALSE(SameVolume(Volume(L"", L"", 0), Volume(L"", L"", 0)));
}

TEST(DriveGuardTest, SaysWhyTheSystemBootAndProgramVolumesAreRefused) {
  GuardedVolumes guarded;
  guarded.system = {Volume(L"\\\\?\\Volume{c}\\", L"\\Device\\HarddiskVolume3", 'C', 0x1234)};
  guarded.program = {Volume(L"\\\\?\\Volume{d}\\", L"\\Device\\HarddiskVolume4", 'D', 0x5678)};
  guarded.systemPartition = L"\\Device\\HarddiskVolume1";
  struct Case {
    DriveFacts drive;
    DriveGuard guard;
  } const cases[] = {
      // SUBST S: of a folder of C: resolves to C's volume.
      {{Volume(L"\\\\?\\Volume{c}\\", L"\\Device\\HarddiskVolume3", 'C', 0x1234)},
       DriveGuard::System},
      // Another letter of the same folder, known only by its serial (Wine).
      {{Volume(L"\\\\?\\Volume{s}\\", L"\\Device\\HarddiskVolume9", 'S', 0x1234)},
       DriveGuard::System},
      {{Volume(L"", L"\\Device\\HarddiskVolume1", 'B')}, DriveGuard::BootFiles},
      {{Volume(L"", L"", 'R'), L"system reserved"}, DriveGuard::BootFiles},
      {{Volume(L"", L"", 'Q'), L"", true}, DriveGuard::BootFiles},
      {{Volume(L"", L"", 'D')}, DriveGuard::Program},
      {{Volume(L"", L"", 'E', 0x5678)}, DriveGuard::Program},
      {{Volume(L"\\\\?\\Volume{e}\\", L"\\Device\\HarddiskVolume5", 'E', 0x99), L"Data"},
       DriveGuard::Free},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GuardDrive(c.drive, guarded), c.guard) << c.drive.volume.letter;
  EXPECT_STREQ(GuardTextKey(DriveGuard::System), "NoSystemDisk");
  EXPECT_STREQ(GuardTextKey(DriveGuard::BootFiles), "NoBootDisk");
  EXPECT_STREQ(GuardTextKey(DriveGuard::Program), "NoProgramDisk");
  EXPECT_EQ(GuardTextKey(DriveGuard::Free), nullptr);
}

TEST(DriveGuardTest, OnlyASubstitutedLetterStandsForAPath) {
  EXPECT_EQ(SubstitutedPath(L"\\??\\C:\\Windows"), L"C:\\Windows");
  EXPECT_EQ(SubstitutedPath(L"\\??\\c:\\"), L"c:\\");
  EXPECT_EQ(SubstitutedPath(L"\\Device\\HarddiskVolume3"), L"");
  EXPECT_EQ(SubstitutedPath(L"\\??\\UNC\\server\\share"), L"");
  EXPECT_EQ(SubstitutedPath(L""), L"");
  EXPECT_EQ(DriveOfPath("e:\\x"), 'E');
  EXPECT_EQ(DriveOfPath(L"1:\\"), 0);
  EXPECT_EQ(DriveOfPath("\\\\?\\C:\\x"), 0);
}

TEST(DriveTextTest, LetterNameAndSizeAreSeparatedByTabs) {
  EXPECT_EQ(DriveText(0, "ignored", "1 KB", "[NO DISK SELECTED]"), "[NO DISK SELECTED]");
  EXPECT_EQ(DriveText('@', nullptr, nullptr, "none"), "none");
  EXPECT_EQ(DriveText('E', nullptr, nullptr, "none"), "E:");
  EXPECT_EQ(DriveText('E', "Data (E:)", nullptr, "none"), "E:\tData (E:)");
  EXPECT_EQ(DriveText('E', "Data (E:)", "1.50 GB", "none"), "E:\tData (E:)\t1.50 GB");
  EXPECT_EQ(DriveText('E', "", "1.50 GB", "none"), "E:\t1.50 GB");
  EXPECT_EQ(DriveText('E', "Data", "", "none"), "E:\tData");
}

TEST(StepRowTest, FiveRowsShareTheAreaButNeverGetSmallerThanTheText) {
  StepRow first = StepRowAt(60, 160, 13, 0);
  StepRow last = StepRowAt(60, 160, 13, 4);
  EXPECT_EQ(first.top, 60);
  EXPECT_EQ(first.height, 20);
  EXPECT_EQ(first.iconTop, 62);  // 16 pixels centred in 20
  EXPECT_EQ(last.top + last.height, 160);

  StepRow cramped = StepRowAt(60, 80, 13, 2);
  EXPECT_EQ(cramped.height, 13);
  EXPECT_EQ(cramped.top, 60 + 2 * 13);
}

TEST(ChooserFitTest, ButtonsTenPixelsBelowTheListAndTenAboveTheEdge) {
  ChooserFit fit = FitChooser(54, 23);
  EXPECT_EQ(fit.buttonTop, 64);
  EXPECT_EQ(fit.clientHeight, 54 + 23 + 20);
  EXPECT_EQ(fit.clientHeight - (fit.buttonTop + 23), 10);
}

TEST(EraseReportTest, AWholeEraseClosesItselfAnyOtherEndSaysHowFarItCame) {
  RegisterEnglishTexts(nullptr);
  EraseSummary summary;
  summary.volume = "E: Scratch";
  summary.size = 4u << 20;
  summary.written = summary.size;
  summary.end = EraseSummary::End::kErased;
  summary.fill = FillKind::kZeros;
  summary.elapsedMs = 2500;
  ReportContent content = EraseReportContent(summary);
  EXPECT_TRUE(content.closesItself);
  EXPECT_EQ(content.summary,
            (std::vector<std::string>{"The disk was overwritten from its first byte to its last.",
                                      "Volume: E: Scratch", "Size: 4.00 MB", "Fill: zeros",
                                      "Read back and compared after writing: no",
                                      "Time taken: 2.5 s", "Failed writes: 0"}));

  // Retried writes reached the disk in the end, but the user hears of them.
  summary.failedBlocks = 2;
  EXPECT_FALSE(EraseReportContent(summary).closesItself);

  summary.failedBlocks = 0;
  summary.written = 1u << 20;
  summary.end = EraseSummary::End::kStopped;
  content = EraseReportContent(summary);
  EXPECT_FALSE(content.closesItself);
  EXPECT_EQ(content.summary.front(),
            "The erase was stopped: 1.00 MB of 4.00 MB were overwritten, the rest still holds its "
            "data.");
  summary.end = EraseSummary::End::kFailed;
  EXPECT_EQ(EraseReportContent(summary).summary.front().rfind("The erase failed: 1.00 MB", 0), 0u);
}

}  // namespace
