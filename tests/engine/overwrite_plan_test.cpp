#include "engine/overwrite_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "engine/fill_buffer.h"
#include "engine/job_report.h"

namespace {

// A buffer as BuildFillBuffer leaves it, freed at the end of the test.
struct Buffer {
  uint8_t* data = nullptr;
  ~Buffer() { FreeFillBuffer(data); }
};

}  // namespace

TEST(FillBuffer, PatternsFillTheWholeBlock) {
  Buffer buffer;
  const uint8_t fe[] = {0xFE};
  ASSERT_TRUE(BuildFillBuffer(buffer.data, fe, 1));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.data) % kFillBufferAlignment, 0u);
  for (uint32_t i = 0; i < kFillBufferSize; ++i) ASSERT_EQ(buffer.data[i], 0xFE) << i;

  // Rebuilding into the same slot replaces the content (and frees the old block).
  const uint8_t abc[] = {'A', 'B', 'C'};
  ASSERT_TRUE(BuildFillBuffer(buffer.data, abc, 3));
  for (uint32_t i = 0; i < kFillBufferSize; ++i) ASSERT_EQ(buffer.data[i], abc[i % 3]) << i;
  // 65024 mod 3 is 2: the last, partial copy is "AB".
  EXPECT_EQ(buffer.data[kFillBufferSize - 3], 'C');
  EXPECT_EQ(buffer.data[kFillBufferSize - 2], 'A');
  EXPECT_EQ(buffer.data[kFillBufferSize - 1], 'B');

  ASSERT_TRUE(BuildFillBuffer(buffer.data, fe, 0));
  for (uint32_t i = 0; i < kFillBufferSize; ++i) ASSERT_EQ(buffer.data[i], 0) << i;
}

TEST(FillBuffer, LongestAndDamagedLengthsStayInsideThePattern) {
  // A 128-byte pattern, followed by bytes that must never be copied: a
  // damaged length above 128 reads no further than the stored pattern.
  uint8_t stored[256];
  for (int i = 0; i < 256; ++i) stored[i] = static_cast<uint8_t>(i < 128 ? i + 1 : 0xEE);
  for (unsigned length : {127u, 128u, 200u, 255u}) {
    Buffer buffer;
    ASSERT_TRUE(BuildFillBuffer(buffer.data, stored, length));
    unsigned period = length > 128 ? 128 : length;
    for (uint32_t i = 0; i < kFillBufferSize; ++i)
      ASSERT_EQ(buffer.data[i], stored[i % period]) << "length " << length << " byte " << i;
  }
}

TEST(FillBuffer, FreeingClearsTheSlot) {
  uint8_t* slot = nullptr;
  FreeFillBuffer(slot);  // nothing there: fine
  const uint8_t fe[] = {0xFE};
  ASSERT_TRUE(BuildFillBuffer(slot, fe, 1));
  FreeFillBuffer(slot);
  EXPECT_EQ(slot, nullptr);
}

TEST(OverwritePlan, WholeChunksAndTheTail) {
  OverwritePlan exact = PlanOverwrite(65024, 512);
  EXPECT_TRUE(exact.unbuffered);
  EXPECT_EQ(exact.wholeChunks, 1u);
  EXPECT_EQ(exact.tailBytes, 0u);
  EXPECT_FALSE(exact.cutBack);

  OverwritePlan oneMore = PlanOverwrite(65025, 512);
  EXPECT_EQ(oneMore.wholeChunks, 1u);
  EXPECT_EQ(oneMore.tailBytes, 1u);
  // Unbuffered: a whole sector is written, then the file is cut back to 65025.
  EXPECT_EQ(oneMore.tailWrite, 512u);
  EXPECT_TRUE(oneMore.cutBack);

  OverwritePlan sectorTail = PlanOverwrite(3 * 65024 + 1024, 512);
  EXPECT_EQ(sectorTail.wholeChunks, 3u);
  EXPECT_EQ(sectorTail.tailWrite, 1024u);
  EXPECT_FALSE(sectorTail.cutBack);

  OverwritePlan largest = PlanOverwrite(2 * 65024 - 1, 512);
  EXPECT_EQ(largest.tailBytes, 65023u);
  EXPECT_EQ(largest.tailWrite, 65024u);  // never more than the buffer holds

  for (int64_t empty : {int64_t{0}, int64_t{-5}}) {
    OverwritePlan plan = PlanOverwrite(empty, 512);
    EXPECT_EQ(plan.wholeChunks, 0u);
    EXPECT_EQ(plan.tailWrite, 0u);
  }

  OverwritePlan huge = PlanOverwrite(int64_t{1} << 40, 512);
  EXPECT_EQ(huge.wholeChunks * 65024 + huge.tailBytes, uint64_t{1} << 40);
}

TEST(OverwritePlan, SectorSizesThatDoNotDivideTheChunkAreWrittenBuffered) {
  // 0xFE00 is 127 sectors of 512 bytes, but no whole number of 1024, 2048 or
  // 4096-byte sectors: such volumes are written through a buffered handle,
  // exactly the file's bytes, and flushed.
  for (uint32_t sector : {1024u, 2048u, 4096u, 8192u, 0u, 3u, 96u}) {
    OverwritePlan plan = PlanOverwrite(70000, sector);
    EXPECT_FALSE(plan.unbuffered) << sector;
    EXPECT_EQ(plan.wholeChunks, 1u);
    EXPECT_EQ(plan.tailWrite, 70000u - 65024u) << sector;
    EXPECT_FALSE(plan.cutBack);
  }
  EXPECT_TRUE(UnbufferedFits(512));
  EXPECT_TRUE(UnbufferedFits(256));
  EXPECT_FALSE(UnbufferedFits(4096));
}

TEST(OverwritePlan, LinksAreNeverTakenForFiles) {
  EXPECT_EQ(ClassifyShredTarget(0x20), ShredTarget::kFile);  // archive bit
  EXPECT_EQ(ClassifyShredTarget(kAttrReadOnly), ShredTarget::kFile);
  EXPECT_EQ(ClassifyShredTarget(0x20 | kAttrReparsePoint), ShredTarget::kFileLink);
  EXPECT_EQ(ClassifyShredTarget(kAttrReadOnly | kAttrReparsePoint), ShredTarget::kFileLink);
  EXPECT_EQ(ClassifyShredTarget(kAttrDirectory | kAttrReparsePoint), ShredTarget::kFolderLink);
  EXPECT_EQ(ClassifyShredTarget(kAttrDirectory), ShredTarget::kFolder);
  EXPECT_EQ(ClassifyShredTarget(kAttrInvalid), ShredTarget::kUnknown);
}

TEST(OverwritePlan, DriveRootsAreRecognised) {
  for (const char* root : {"C:", "C:\\", "c:\\", "\\", "\\\\server\\share", "\\\\server\\share\\",
                           "\\\\server", "\\\\?\\D:\\"})
    EXPECT_TRUE(NamesDriveRoot(root)) << root;
  for (const char* folder : {"C:\\a", "C:\\dir\\", "\\\\server\\share\\dir", "D:\\x:y"})
    EXPECT_FALSE(NamesDriveRoot(folder)) << folder;
  // Short paths that name an ordinary item are not roots: calling them one
  // would report them removed while they stay.
  for (const char* item : {"a", "ab", "abc", "C:a", "a\\b", "..", "\\a", "1:\\", "C:\\:\\",
                           "\\\\?\\D:\\x", "\\\\.\\UNC\\s\\share\\dir", ""})
    EXPECT_FALSE(NamesDriveRoot(item)) << item;
  for (const char* root : {"\\\\.\\C:", "\\\\?\\UNC\\server\\share\\", "/"})
    EXPECT_TRUE(NamesDriveRoot(root)) << root;
}

TEST(OverwritePlan, OnlyNameSurrogatesAreRemovedAsLinks) {
  for (uint32_t link : {0xA000000Cu /* symbolic link */, 0xA0000003u /* junction, mount point */,
                        0xA0000019u /* a link of another kind */})
    EXPECT_TRUE(IsNameSurrogate(link)) << std::hex << link;
  for (uint32_t data :
       {0x80000013u /* deduplicated */, 0x80000017u /* compressed */,
        0x9000001Au /* cloud placeholder */, 0xC0000004u /* tiered storage */, 0x80000018u, 0u})
    EXPECT_FALSE(IsNameSurrogate(data)) << std::hex << data;
}

TEST(OverwritePlan, AFinalPathLiesInsideOnlyBelowItsAnchor) {
  const wchar_t* anchor = L"\\\\?\\C:\\Data\\Sel";
  for (const wchar_t* inside :
       {L"\\\\?\\C:\\Data\\Sel", L"\\\\?\\C:\\Data\\Sel\\a.txt", L"\\\\?\\C:\\Data\\Sel\\deep\\b"})
    EXPECT_TRUE(PathLiesInside(inside, anchor));
  for (const wchar_t* outside :
       {L"\\\\?\\C:\\Data\\Sel2", L"\\\\?\\C:\\Data\\Se", L"\\\\?\\C:\\Data",
        L"\\\\?\\Z:\\tmp\\Sel\\a", L"\\\\?\\C:\\Data\\Sel.txt", L"",
        // a case twin is another folder where the file system tells cases apart
        L"\\\\?\\C:\\Data\\sel\\a.txt", L"\\\\?\\c:\\data\\SEL"})
    EXPECT_FALSE(PathLiesInside(outside, anchor));
  EXPECT_FALSE(PathLiesInside(L"\\\\?\\C:\\\u00c4\\x", L"\\\\?\\C:\\\u00e4"));
  EXPECT_FALSE(PathLiesInside(L"\\\\?\\C:\\A@", L"\\\\?\\C:\\A`"));
  // A root holds everything on its volume.
  EXPECT_TRUE(PathLiesInside(L"\\\\?\\C:\\x\\y", L"\\\\?\\C:\\"));
  EXPECT_FALSE(PathLiesInside(L"\\\\?\\D:\\x", L"\\\\?\\C:\\"));
  EXPECT_FALSE(PathLiesInside(L"\\\\?\\C:\\x", L""));
}

TEST(OverwritePlan, TheOverwriteReachesTheEndOfTheLastClusterOfAFileOutsideItsRecord) {
  // Whole clusters beyond the end: the tip, and space held beyond it.
  EXPECT_EQ(OverwriteExtent(3000, 4096, 4096), 4096);
  EXPECT_EQ(OverwriteExtent(300000, 303104, 1024), 303104);
  // A file kept in its record counts its space in 8-byte steps (or as
  // sectors, under some drivers): writing on would move it out of the record.
  EXPECT_EQ(OverwriteExtent(90, 96, 4096), 90);
  EXPECT_EQ(OverwriteExtent(600, 1024, 4096), 600);
  // On small clusters a small file proves to lie outside its record only
  // by holding more than a record could.
  EXPECT_EQ(OverwriteExtent(1020, 1024, 512), 1020);
  EXPECT_EQ(OverwriteExtent(4000, 4096, 1024), 4096);
  // Compressed or sparse files hold less than their size; with clusters
  // unknown nothing is proven.
  EXPECT_EQ(OverwriteExtent(70000, 8192, 4096), 70000);
  EXPECT_EQ(OverwriteExtent(5000, 8192, 0), 5000);

  // Past the end, the file is cut back once the writes are flushed, also
  // where the end falls on a sector boundary; whole sectors throughout.
  const OverwritePlan tip = PlanOverwrite(5120, 512, 8192);
  EXPECT_EQ(tip.wholeChunks, 0u);
  EXPECT_EQ(tip.tailWrite, 8192u);
  EXPECT_TRUE(tip.cutBack);
  const OverwritePlan chunks = PlanOverwrite(65000, 512, 65536);
  EXPECT_EQ(chunks.wholeChunks, 1u);
  EXPECT_EQ(chunks.tailWrite, 512u);
  EXPECT_TRUE(chunks.cutBack);
  // An extent short of the size never shortens the overwrite.
  const OverwritePlan whole = PlanOverwrite(70000, 512, 4096);
  EXPECT_EQ(whole.wholeChunks * kFillBufferSize + whole.tailBytes, 70000u);
}

TEST(OverwritePlan, CaveatsComeFromTheFileAndItsVolume) {
  EXPECT_EQ(CaveatsOf(kAttrInvalid, 0), 0);
  EXPECT_EQ(CaveatsOf(0x20, 0), 0);
  // Compressed, encrypted and sparse on a volume whose files share clusters.
  EXPECT_EQ(CaveatsOf(0x800 | 0x4000 | 0x200, 0x08000000),
            kCaveatCompressed | kCaveatEncrypted | kCaveatSparse | kCaveatCopyOnWrite);
}
