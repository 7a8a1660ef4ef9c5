// A wipe whose process was killed leaves at most its empty hidden folder at
// the drive's root; the next wipe removes it, and nothing that only looks
// like it. Drive M: (a folder of its own) stands for the volume.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "disk/free_space_wiper.h"
#include "support/scratch_folder.h"

namespace {

bool MakeFolder(const std::string& path, bool hidden) {
  return CreateDirectoryA(path.c_str(), nullptr) &&
         (!hidden || SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
}

TEST(WipeLeftovers, OnlyAnEmptyHiddenFolderNamedAsAWipeNamesItIsRemoved) {
  const std::string ours = "M:\\KX0000ABCD.tmp";
  const std::string full = "M:\\KX0000ABCE.tmp";
  const std::string shown = "M:\\KX0000ABCF.tmp";
  const std::string other = "M:\\KXnotours0.tmp";
  ASSERT_TRUE(MakeFolder(ours, true));
  ASSERT_TRUE(MakeFolder(full, true));
  ASSERT_TRUE(kxtest::WriteBytes(full + "\\kept.txt", "data"));
  ASSERT_TRUE(MakeFolder(shown, false));
  ASSERT_TRUE(MakeFolder(other, true));
  ASSERT_NE(GetFileAttributesA(ours.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u)
      << "the drive keeps no hidden attribute";

  EXPECT_EQ(RemoveLeftoverWipeFolders('M'), 1);
  EXPECT_FALSE(kxtest::Exists(ours));
  EXPECT_EQ(kxtest::ReadBytes(full + "\\kept.txt"), "data");
  EXPECT_TRUE(kxtest::Exists(shown));
  EXPECT_TRUE(kxtest::Exists(other));
  EXPECT_EQ(RemoveLeftoverWipeFolders('M'), 0);

  for (const std::string& path : {full, shown, other}) kxtest::RemoveTree(path);
}

}  // namespace
