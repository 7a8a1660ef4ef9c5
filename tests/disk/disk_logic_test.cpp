// The eraser's and the chooser's decisions that need no system: blocks,
// sector sizes, protected drives, the disk text and the layouts.
#include <gtest/gtest.h>

#include "disk/disk_logic.h"
#include "engine/fill_buffer.h"

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

TEST(ProtectedDriveTest, TheSystemAndTheProgramDrivesInEitherCase) {
  EXPECT_TRUE(IsProtectedDrive('C', "C:\\Windows\\system32", "Z:\\kx\\KXer.exe"));
  EXPECT_TRUE(IsProtectedDrive('C', "c:\\windows\\system32", ""));
  EXPECT_TRUE(IsProtectedDrive('c', "C:\\windows", nullptr));
  EXPECT_TRUE(IsProtectedDrive('Z', "C:\\windows", "z:\\kx\\KXer.exe"));
  EXPECT_FALSE(IsProtectedDrive('E', "C:\\windows", "Z:\\kx\\KXer.exe"));
  // Paths that name no drive protect none, and never a wrong one.
  EXPECT_FALSE(IsProtectedDrive('C', "", "\\\\server\\share\\KXer.exe"));
  EXPECT_FALSE(IsProtectedDrive('C', nullptr, "C"));
  EXPECT_FALSE(IsProtectedDrive('1', "1:\\", nullptr));
  EXPECT_EQ(DriveOfPath("e:\\x"), 'E');
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

}  // namespace
