// How the open-file chooser's answer becomes paths.
#include "widgets/open_file_result.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> Split(const std::string& buffer, size_t offset, int* refused = nullptr,
                               size_t maxPath = 260) {
  std::vector<std::string> out;
  int n = SplitOpenFileResult(buffer.data(), buffer.size(), offset, maxPath,
                              [&out](const std::string& path) { out.push_back(path); });
  if (refused) *refused = n;
  return out;
}
}  // namespace

TEST(FileDialogResult, SingleAndMultipleSelections) {
  using V = std::vector<std::string>;
  std::string single("C:\\dir\\a.txt\0\0", 14);
  EXPECT_EQ(Split(single, 7), V{"C:\\dir\\a.txt"});

  std::string multi("C:\\dir\0a.txt\0b c.txt\0\0", 22);
  EXPECT_EQ(Split(multi, 7), (V{"C:\\dir\\a.txt", "C:\\dir\\b c.txt"}));

  std::string root("C:\\\0a\0b\0\0", 9);
  EXPECT_EQ(Split(root, 4), (V{"C:\\a", "C:\\b"}));

  EXPECT_TRUE(Split(std::string("\0\0", 2), 0).empty());

  // A buffer that lost its final terminators yields nothing beyond it.
  std::string cut("C:\\dir\0a.txt\0b", 14);
  EXPECT_EQ(Split(cut, 7), V{"C:\\dir\\a.txt"});
  EXPECT_TRUE(Split(std::string("C:\\dir\\a.txt", 12), 7).empty());
}

TEST(FileDialogResult, OverlongPathsAreRefusedAndCounted) {
  std::string folder(250, 'd');
  std::string buffer = "C:\\" + folder + std::string("\0short\0a-name-that-is-too-long\0\0", 32);
  int refused = 0;
  auto paths = Split(buffer, 3 + folder.size() + 1, &refused);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0].size(), 3 + 250 + 1 + 5u);
  EXPECT_EQ(refused, 1);
}

TEST(FileDialogResult, WideAnswersSplitAlike) {
  std::u16string multi(u"C:\\dir\0\uFF52eport\0report\0\0", 22);
  std::vector<std::u16string> out;
  SplitOpenFileResult(multi.data(), multi.size(), 7, 260,
                      [&out](const std::u16string& path) { out.push_back(path); });
  EXPECT_EQ(out, (std::vector<std::u16string>{u"C:\\dir\\\uFF52eport", u"C:\\dir\\report"}));
}
