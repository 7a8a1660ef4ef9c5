#include "base/path_utils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Parent(const char* path) {
  char buffer[261];
  std::strcpy(buffer, path);
  EXPECT_TRUE(PathParent(buffer)) << path;
  return buffer;
}

std::string Join(const char* folder, const char* name) {
  char buffer[261];
  std::strcpy(buffer, folder);
  EXPECT_TRUE(PathJoin(buffer, sizeof buffer, name)) << folder << " + " << name;
  return buffer;
}

std::string Switch(const char* commandLine, const char* name, bool expectPresent = true) {
  char value[128];
  std::memset(value, 'x', sizeof value);
  EXPECT_EQ(SwitchValue(commandLine, name, value, sizeof value), expectPresent)
      << commandLine << " / " << name;
  return value;
}

}  // namespace

TEST(PathRoot, DrivesUncAndRelativePaths) {
  const char* p = "C:\\dir";
  EXPECT_EQ(PathRoot(p), p + 2);
  p = "C:dir";
  EXPECT_EQ(PathRoot(p), p + 1);
  p = "\\\\server\\share";
  EXPECT_EQ(PathRoot(p), p + 1);
  p = "\\dir";
  EXPECT_EQ(PathRoot(p), p);
  p = "\"C:\\a b\"";
  EXPECT_EQ(PathRoot(p), p + 3);
  EXPECT_EQ(PathRoot("dir\\file"), nullptr);
  EXPECT_EQ(PathRoot(""), nullptr);
  EXPECT_EQ(PathRoot("\""), nullptr);
  EXPECT_EQ(PathRoot(static_cast<const char*>(nullptr)), nullptr);
  // A stream name after the file name does not move the root.
  p = "C:\\dir\\file.txt:stream";
  EXPECT_EQ(PathRoot(p), p + 2);
}

TEST(PathParent, NeverCutsTheRoot) {
  EXPECT_EQ(Parent("C:\\a\\b"), "C:\\a");
  EXPECT_EQ(Parent("C:\\a"), "C:\\");
  EXPECT_EQ(Parent("C:\\"), "C:\\");
  EXPECT_EQ(Parent("C:"), "C:");
  EXPECT_EQ(Parent("C:dir"), "C:");
  EXPECT_EQ(Parent("\\\\server\\share"), "\\\\server");
  EXPECT_EQ(Parent("\\\\server"), "\\\\");
  EXPECT_EQ(Parent("\\\\"), "\\\\");
  EXPECT_EQ(Parent("\\dir"), "\\");
  EXPECT_EQ(Parent("name"), "");
  EXPECT_EQ(Parent("dir\\name"), "dir");
  EXPECT_EQ(Parent("C:\\dir\\file.txt:stream"), "C:\\dir");
  char empty[4] = "";
  EXPECT_FALSE(PathParent(empty));
  EXPECT_FALSE(PathParent(nullptr));
}

// A folder named with a trailing backslash must not be its own parent: the
// engine makes its temporary name in the parent before it removes the item.
TEST(PathParent, TrailingBackslashBelongsToTheLastComponent) {
  EXPECT_EQ(Parent("D:\\Photos\\"), "D:\\");
  EXPECT_EQ(Parent("D:\\Photos\\2024\\"), "D:\\Photos");
  EXPECT_EQ(Parent("\\\\server\\share\\"), "\\\\server");
}

TEST(PathJoin, OneBackslashBetweenFolderAndName) {
  EXPECT_EQ(Join("C:\\", "\\name"), "C:\\name");
  EXPECT_EQ(Join("C:\\dir", "*.*"), "C:\\dir\\*.*");
  EXPECT_EQ(Join("C:\\dir\\", "\\\\x"), "C:\\dir\\x");
  EXPECT_EQ(Join("", "name"), "name");
  EXPECT_EQ(Join("C:\\dir", ""), "C:\\dir\\");
}

TEST(PathJoin, RefusesWhatDoesNotFitAndLeavesTheFolder) {
  char buffer[261];
  std::string folder = "C:\\" + std::string(250, 'd');
  std::strcpy(buffer, folder.c_str());
  EXPECT_FALSE(PathJoin(buffer, sizeof buffer, "0123456"));  // 261 bytes
  EXPECT_EQ(folder, buffer);
  // Exactly 260 bytes fit a 261-byte buffer.
  EXPECT_TRUE(PathJoin(buffer, sizeof buffer, "012345"));
  EXPECT_EQ(std::strlen(buffer), 260u);

  char small[8] = "C:\\dir";
  EXPECT_FALSE(PathJoin(small, sizeof small, "a"));  // needs 9 bytes
  EXPECT_STREQ(small, "C:\\dir");
  char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_FALSE(PathJoin(unterminated, sizeof unterminated, ""));
}

TEST(PathName, LastComponentKeepsATrailingBackslash) {
  EXPECT_STREQ(PathName("C:\\dir\\file.txt"), "file.txt");
  EXPECT_STREQ(PathName("C:\\dir\\"), "dir\\");
  EXPECT_STREQ(PathName("D:\\"), "D:\\");
  EXPECT_STREQ(PathName("\\name"), "name");
  EXPECT_STREQ(PathName("name"), "name");
  EXPECT_STREQ(PathName("\\"), "\\");
  EXPECT_STREQ(PathName(""), "");
  const char* path = "C:\\Data\\report.doc";
  EXPECT_EQ(PathName(path), path + 8);  // points into the path
}

TEST(QuoteIfNeeded, QuotesPathsWithBlanksWhenThereIsRoom) {
  char buffer[261] = "C:\\Program Files\\KXer.exe";
  EXPECT_TRUE(QuoteIfNeeded(buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "\"C:\\Program Files\\KXer.exe\"");
  EXPECT_TRUE(QuoteIfNeeded(buffer, sizeof buffer));  // already quoted
  EXPECT_STREQ(buffer, "\"C:\\Program Files\\KXer.exe\"");

  char plain[16] = "C:\\KXer.exe";
  EXPECT_TRUE(QuoteIfNeeded(plain, sizeof plain));
  EXPECT_STREQ(plain, "C:\\KXer.exe");

  char tight[6] = "a b";  // needs 6 bytes: fits exactly
  EXPECT_TRUE(QuoteIfNeeded(tight, sizeof tight));
  EXPECT_STREQ(tight, "\"a b\"");
  char full[5] = "a b";
  EXPECT_FALSE(QuoteIfNeeded(full, sizeof full));
  EXPECT_STREQ(full, "a b");
}

TEST(SwitchValue, CaptionsAndNeighbouringSwitches) {
  EXPECT_EQ(Switch("x.exe /regcm:\"My Shred Menu\" /unregcm", "/REGCM:"), "My Shred Menu");
  EXPECT_EQ(Switch("x.exe /REGCM:Shred", "/REGCM:"), "Shred");
  EXPECT_EQ(Switch("x.exe /REGCM:Shred /UNREGCM", "/REGCM:"), "Shred");
  EXPECT_EQ(Switch("x.exe /REGCM: /UNREGCM", "/REGCM:"), "");
  EXPECT_EQ(Switch("x.exe /REGCM:", "/REGCM:"), "");
  EXPECT_EQ(Switch("x.exe /REGCM", "/REGCM"), "");
  // "/REGCM" is found inside "/REGCM:" but not inside "/UNREGCM".
  EXPECT_EQ(Switch("x.exe /REGCM:Shred", "/REGCM"), ":Shred");
  Switch("x.exe /UNREGCM", "/REGCM", false);
  EXPECT_EQ(Switch("x.exe /unregcm", "/UNREGCM"), "");
  Switch("\"C:\\Tools\\KXer.exe\" C:\\file.txt", "/REGCM", false);
}

TEST(SwitchValue, AwkwardValues) {
  // An empty quoted caption is empty, not a caption of one quote.
  EXPECT_EQ(Switch("x.exe /REGCM:\"\" /x", "/REGCM:"), "");
  EXPECT_EQ(Switch("x.exe /REGCM:\"\"", "/REGCM:"), "");
  EXPECT_EQ(Switch("x.exe /REGCM:\"Open quote", "/REGCM:"), "Open quote");
  EXPECT_EQ(Switch("x.exe /REGCM:\"Open /quote", "/REGCM:"), "");
  // Letter case and bytes beyond ASCII are kept.
  EXPECT_EQ(Switch("x.exe /regcm:\"L\xF6schen mit\"", "/REGCM:"), "L\xF6schen mit");

  char small[6];
  EXPECT_TRUE(SwitchValue("x.exe /REGCM:LongCaption", "/REGCM:", small, sizeof small));
  EXPECT_STREQ(small, "LongC");
  char value[8] = "junk";
  EXPECT_FALSE(SwitchValue(nullptr, "/REGCM", value, sizeof value));
  EXPECT_STREQ(value, "");
  EXPECT_FALSE(SwitchValue("x.exe", "", value, sizeof value));
  EXPECT_TRUE(SwitchValue("x.exe /REGCM:abc", "/REGCM:", nullptr, 0));
}

TEST(FormatWithArgs, FillsOnlyPercentOneAndTwo) {
  EXPECT_EQ(FormatWithArgs("Total %1 found in %2 files.", "1.50 KB", "3"),
            "Total 1.50 KB found in 3 files.");
  EXPECT_EQ(FormatWithArgs("%2 before %1, %1 again", "a", "b"), "b before a, a again");
  // Pattern text from a language file is data: no printf conversions.
  EXPECT_EQ(FormatWithArgs("%s %d %n %% %3 %", "a", "b"), "%s %d %n %% %3 %");
  EXPECT_EQ(FormatWithArgs("100%1", "%2", "x"), "100%2");  // arguments are not re-read
  // Placeholders without an argument vanish; only leading arguments count.
  EXPECT_EQ(FormatWithArgs("'%1' '%2'", "a"), "'a' ''");
  EXPECT_EQ(FormatWithArgs("'%1' '%2'", "", "b"), "'' ''");
  EXPECT_EQ(FormatWithArgs("'%1'", nullptr), "''");
  EXPECT_EQ(FormatWithArgs(nullptr, "a"), "");
}

TEST(FormatWithArgs, BufferFormCutsSafely) {
  char out[8];
  EXPECT_TRUE(FormatWithArgs(out, sizeof out, "[%1]", "abcde"));
  EXPECT_STREQ(out, "[abcde]");
  EXPECT_FALSE(FormatWithArgs(out, sizeof out, "[%1]", "abcdef"));
  EXPECT_STREQ(out, "[abcdef");
  EXPECT_FALSE(FormatWithArgs(out, 0, "x", nullptr));
}

// What the engine must reach for what a 32-bit chooser showed.
std::string Unredirected(const char* shown, const char* windows = "C:\\Windows") {
  char out[300] = "untouched";
  if (!UnredirectedPath(shown, windows, out, sizeof out)) return "<refused>";
  return out;
}

TEST(UnredirectedPath, SystemFoldersOfTheThirtyTwoBitViewBecomeTheFoldersTheyShow) {
  EXPECT_EQ(Unredirected("C:\\Windows\\System32\\a.dll"), "C:\\Windows\\SysWOW64\\a.dll");
  EXPECT_EQ(Unredirected("c:\\windows\\system32"), "c:\\windows\\SysWOW64");
  EXPECT_EQ(Unredirected("C:\\WINDOWS\\system32\\drivers\\x.sys", "C:\\Windows\\"),
            "C:\\WINDOWS\\SysWOW64\\drivers\\x.sys");
  EXPECT_EQ(Unredirected("C:\\Windows\\Sysnative\\a.dll"), "C:\\Windows\\System32\\a.dll");
  EXPECT_EQ(Unredirected("C:\\Windows\\sysnative"), "C:\\Windows\\System32");
  // The folders the system never redirects are what they say.
  for (const char* same : {"C:\\Windows\\System32\\drivers\\etc\\hosts", "C:\\Windows\\System32\\spool",
                           "C:\\Windows\\System32\\catroot2\\x", "C:\\Windows\\System32\\LogFiles\\y",
                           "C:\\Windows\\System32\\DriverStore\\z"})
    EXPECT_EQ(Unredirected(same), same);
  // Only whole components of the Windows folder itself count.
  for (const char* same : {"C:\\Windows\\System32x\\a", "C:\\Windows2\\System32\\a",
                           "C:\\Data\\Windows\\System32\\a", "D:\\Windows\\System32\\a",
                           "C:\\Windows\\SysWOW64\\a", "C:\\Windows", "C:\\Windows\\", "\\\\s\\share\\a"})
    EXPECT_EQ(Unredirected(same), same);
  EXPECT_EQ(Unredirected("C:\\Windows\\System32\\a", ""), "C:\\Windows\\System32\\a");
  EXPECT_EQ(Unredirected("C:\\Windows\\System32\\a", nullptr), "C:\\Windows\\System32\\a");
}

TEST(UnredirectedPath, RefusesWhatDoesNotFit) {
  char out[10];
  EXPECT_TRUE(UnredirectedPath("C:\\abcdef", "C:\\Windows", out, sizeof out));
  EXPECT_STREQ(out, "C:\\abcdef");
  EXPECT_FALSE(UnredirectedPath("C:\\abcdefg", "C:\\Windows", out, sizeof out));
  EXPECT_FALSE(UnredirectedPath(nullptr, "C:\\Windows", out, sizeof out));
  EXPECT_FALSE(UnredirectedPath("C:\\a", "C:\\Windows", out, 0));
}
