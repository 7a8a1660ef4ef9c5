// Which name of an item the engine gets for a name the shell gave in UTF-16.
#include "base/exact_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A code page of plain ASCII: everything else has no exact form.
bool AsciiOnly(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (units == 0 || units + 1 > outSize) return false;
  for (size_t i = 0; i < units; ++i) {
    if (text[i] == 0 || text[i] > 0x7F) return false;
    out[i] = static_cast<char>(text[i]);
  }
  out[units] = '\0';
  return true;
}

TEST(PickAnsiPath, ExactNameFirstThenAShortNameThatDiffersOrNothing) {
  char out[32];
  EXPECT_EQ(PickAnsiPath(u"C:\\d\\report", u"", AsciiOnly, out, sizeof out), AnsiPathForm::kExact);
  EXPECT_STREQ(out, "C:\\d\\report");
  // The full-width r never becomes the plain "report" of another file.
  const std::u16string wide = u"C:\\d\\\uFF52eport";
  EXPECT_EQ(PickAnsiPath(wide, u"", AsciiOnly, out, sizeof out), AnsiPathForm::kNone);
  EXPECT_EQ(PickAnsiPath(wide, u"\\\\?\\C:\\d\\_EPORT~1", AsciiOnly, out, sizeof out),
            AnsiPathForm::kShortName);
  EXPECT_STREQ(out, "C:\\d\\_EPORT~1");
  // A volume without short names answers the long name again; a short name
  // outside the code page is no better.
  EXPECT_EQ(PickAnsiPath(wide, u"\\\\?\\" + wide, AsciiOnly, out, sizeof out), AnsiPathForm::kNone);
  EXPECT_EQ(PickAnsiPath(wide, u"C:\\d\\\uFF52EPORT~1", AsciiOnly, out, sizeof out),
            AnsiPathForm::kNone);
  // Too long for the room, but the short name fits; a share keeps its form.
  const std::u16string longName = u"\\\\srv\\s\\" + std::u16string(40, u'n');
  EXPECT_EQ(PickAnsiPath(longName, u"\\\\?\\UNC\\srv\\s\\NNNNNN~1", AsciiOnly, out, sizeof out),
            AnsiPathForm::kShortName);
  EXPECT_STREQ(out, "\\\\srv\\s\\NNNNNN~1");
  EXPECT_EQ(PickAnsiPath(u"", u"C:\\X", AsciiOnly, out, sizeof out), AnsiPathForm::kNone);
}

TEST(PickAnsiPath, LongPathPrefixGoesOnOnceAndComesOff) {
  std::u16string storage;
  EXPECT_EQ(WithLongPathPrefix(u"C:\\a"), u"\\\\?\\C:\\a");
  EXPECT_EQ(WithLongPathPrefix(u"\\\\?\\C:\\a"), u"\\\\?\\C:\\a");
  EXPECT_EQ(WithLongPathPrefix(u"\\\\srv\\s\\a"), u"\\\\?\\UNC\\srv\\s\\a");
  EXPECT_EQ(WithoutLongPathPrefix(u"\\\\?\\UNC\\srv\\s\\a", storage), u"\\\\srv\\s\\a");
  EXPECT_EQ(WithoutLongPathPrefix(u"\\\\?\\C:\\a", storage), u"C:\\a");
  EXPECT_EQ(WithoutLongPathPrefix(u"C:\\a", storage), u"C:\\a");
}

}  // namespace
