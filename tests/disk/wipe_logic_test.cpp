// The free-space wipe's decisions: its folder's name, the sizes of its
// writes, when the small files stop, and its report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk/wipe_logic.h"
#include "lang/english_texts.h"

namespace {

TEST(WipeLogicTest, OnlyFixedAndRemovableDrivesAreOffered) {
  EXPECT_TRUE(OfferedForWipe(3));   // fixed
  EXPECT_TRUE(OfferedForWipe(2));   // removable
  EXPECT_FALSE(OfferedForWipe(4));  // network
  EXPECT_FALSE(OfferedForWipe(5));  // CD-ROM
  EXPECT_FALSE(OfferedForWipe(6));  // RAM disk
  EXPECT_FALSE(OfferedForWipe(1));  // no root
}

// A leftover folder is removed only when it bears exactly such a name.
TEST(WipeLogicTest, TheFolderNameIsRecognisedAndNothingElseIs) {
  EXPECT_EQ(WipeFolderName(0x0A1B2C3D), "KX0A1B2C3D.tmp");
  EXPECT_TRUE(IsWipeFolderName(WipeFolderName(0)));
  EXPECT_TRUE(IsWipeFolderName(WipeFolderName(0xFFFFFFFF)));
  EXPECT_TRUE(IsWipeFolderName("kx0a1b2c3d.TMP"));
  for (const char* other : {"KX0A1B2C3.tmp", "KX0A1B2C3D4.tmp", "KX0A1B2C3G.tmp", "KX0A1B2C3D.tmpx",
                            "KX0A1B2C3D.txt", "XK0A1B2C3D.tmp", "KX-A1B2C3D.tmp", "", "KX"})
    EXPECT_FALSE(IsWipeFolderName(other)) << other;
}

TEST(WipeLogicTest, FilesStayWithinTheLargestFileInWholeSectors) {
  EXPECT_EQ(LargestWipeFile("FAT32", 512), 0xFFFFFE00u);
  EXPECT_EQ(LargestWipeFile("FAT", 4096), 0xFFFFF000u);
  EXPECT_GT(LargestWipeFile("NTFS", 4096), 1ull << 40);
  EXPECT_EQ(LargestWipeFile("NTFS", 4096) % 4096, 0u);
  EXPECT_EQ(LargestWipeFile("exFAT", 512) % 512, 0u);
  EXPECT_GT(LargestWipeFile("exFAT", 512), 1ull << 40);
  EXPECT_TRUE(KeepsContentsInRecords("NTFS"));
  EXPECT_FALSE(KeepsContentsInRecords("FAT32"));
  EXPECT_FALSE(KeepsContentsInRecords("NTFS-3G"));
}

TEST(WipeLogicTest, WritesAreWholeSectorsUpToTheLimitAndShrinkToTheLastSector) {
  const uint64_t limit = 0xFFFFFE00u;
  EXPECT_EQ(NextWipeWrite(0, limit, 1u << 20, 512), 1u << 20);
  EXPECT_EQ(NextWipeWrite(limit - 1536, limit, 1u << 20, 512), 1536u);
  EXPECT_EQ(NextWipeWrite(limit, limit, 1u << 20, 512), 0u);
  // A block cut short by the room left is cut to whole sectors.
  EXPECT_EQ(NextWipeWrite(0, limit, 5000, 4096), 4096u);
  EXPECT_EQ(NextWipeWrite(0, limit, 4000, 4096), 0u);

  std::vector<uint32_t> lengths;
  for (uint32_t length = 1u << 20; length; length = ShorterWipeWrite(length, 4096))
    lengths.push_back(length);
  EXPECT_EQ(lengths.back(), 4096u);
  EXPECT_EQ(lengths.size(), 9u);
  EXPECT_EQ(ShorterWipeWrite(3 * 512, 512), 512u);
}

TEST(WipeLogicTest, SmallFilesStopWhenTheRecordTableGrows) {
  EXPECT_FALSE(RecordTableGrew(0, 1, 4096));
  // The index leaves the folder's record for a block of its own, and grows.
  EXPECT_FALSE(RecordTableGrew(2 * 4096, 3, 4096));
  EXPECT_FALSE(RecordTableGrew(2 * 4096 + 40 * 128, 40, 4096));
  EXPECT_FALSE(RecordTableGrew(2 * 4096, 3, 512));
  EXPECT_FALSE(RecordTableGrew(2 * 65536, 3, 65536));
  // A step of new records (ntfs-3g takes 64 KiB at a time).
  EXPECT_TRUE(RecordTableGrew(4096 + 65536, 10, 4096));
  EXPECT_TRUE(RecordTableGrew(2 * 4096 + 3 * 128 + 1, 3, 4096));
  EXPECT_EQ(RecordPhaseReserve(0), 0u);
  EXPECT_EQ(RecordPhaseReserve(512 << 10), 512u << 10);
  EXPECT_EQ(RecordPhaseReserve(32ull << 20), 1u << 20);
  EXPECT_EQ(RecordPhaseReserve(1ull << 40), 64u << 20);
}

TEST(WipeReportTest, AWholeWipeClosesItselfAnythingLeftIsSaid) {
  RegisterEnglishTexts(nullptr);
  WipeSummary summary;
  summary.volume = "E: Scratch";
  summary.freeSpace = 4u << 20;
  summary.written = summary.freeSpace;
  summary.filesMade = summary.filesRemoved = 3;
  summary.folderRemoved = true;
  summary.end = WipeSummary::End::kWiped;
  summary.fill = FillKind::kZeros;
  summary.elapsedMs = 2500;
  ReportContent content = WipeReportContent(summary);
  EXPECT_TRUE(content.closesItself);
  EXPECT_EQ(content.summary,
            (std::vector<std::string>{
                "The free space was overwritten: 4.00 MB written (4.00 MB were free).",
                "Volume: E: Scratch", "Free space: 4.00 MB", "Files made: 3, removed: 3",
                "Fill: zeros", "Read back and compared after writing: no", "Time taken: 2.5 s"}));

  summary.filesRemoved = 2;
  content = WipeReportContent(summary);
  EXPECT_FALSE(content.closesItself);
  EXPECT_NE(content.summary[4].find("KX...tmp"), std::string::npos);
  summary.filesRemoved = 3;
  summary.folderRemoved = false;
  EXPECT_FALSE(WipeReportContent(summary).closesItself);

  summary.folderRemoved = true;
  summary.written = 1u << 20;
  summary.end = WipeSummary::End::kStopped;
  content = WipeReportContent(summary);
  EXPECT_FALSE(content.closesItself);
  EXPECT_EQ(content.summary.front().rfind("The wipe was stopped: 1.00 MB of 4.00 MB", 0), 0u);
  summary.end = WipeSummary::End::kFailed;
  EXPECT_EQ(WipeReportContent(summary).summary.front().rfind("The wipe failed: 1.00 MB", 0), 0u);
}

}  // namespace
