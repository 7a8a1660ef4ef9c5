// Reading language files: line rules, encodings, the line buffer and escapes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang_test_support.h"

namespace {

struct Line {
  std::string section, key, value;
  bool operator==(const Line&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Line& line) {
  return out << "[" << line.section << "] " << line.key << "=" << line.value;
}

std::vector<Line> Parse(const std::string& bytes, size_t chunk = 1 << 20) {
  MemoryFile file{bytes, chunk};
  LangFileInput input;
  input.read = &MemoryFile::Read;
  input.readContext = &file;
  input.toAnsi = &Latin1FromUtf16;
  std::vector<Line> lines;
  ParseLangFile(
      input,
      [](void* context, const char* section, const char* key, const char* value) {
        static_cast<std::vector<Line>*>(context)->push_back({section, key, value});
      },
      &lines);
  return lines;
}

// A file touching every line rule, in the test's code page (Latin-1).
const std::string kSample =
    "[Info]\r\n"
    "Name=Deutsch\r\n"
    "Version=3\r\n"
    "[Menu]\r\n"
    "# Name=comment\r\n"
    "; Name=comment\r\n"
    "\t Tasks \t=\t Aufgaben \r\n"
    "Tools=\"  Werkzeuge  \"\r\n"
    "Help=\"\r\n"
    "About=\"Über\r\n"
    "Empty=   \r\n"
    "NoValueLine\r\n"
    "=no key\r\n"
    "[]\r\n"
    "[INFO]\r\n"
    "Options=Einstellungen\r\n"
    "[ Odd Section ]\r\n"
    "Key=a=b\r\n"
    "[Menu]\r\n"
    "Tasks=Aufgaben (neu)\r\n"
    "Language=Sprache ändern";

const std::vector<Line> kSampleLines = {
    {"Menu", "Tasks", "Aufgaben"},
    {"Menu", "Tools", "  Werkzeuge  "},
    {"Menu", "About", "\"Über"},
    {"Menu", "Options", "Einstellungen"},
    {" Odd Section ", "Key", "a=b"},
    {"Menu", "Tasks", "Aufgaben (neu)"},
    {"Menu", "Language", "Sprache ändern"},
};

TEST(LangFile, LineRules) {
  EXPECT_EQ(Parse(kSample), kSampleLines);
  EXPECT_TRUE(Parse("Tasks=before any section\n[Info]\nName=x\n").empty());
}

TEST(LangFile, Utf16WithAndWithoutByteOrderMarkReadsLikeAnsi) {
  for (bool mark : {true, false}) {
    std::string wide = Utf16FromLatin1(kSample, mark);
    // Reads that split lines, units and the byte-order mark anywhere.
    for (size_t chunk : {size_t(1), size_t(3), size_t(4096), size_t(1) << 20})
      EXPECT_EQ(Parse(wide, chunk), kSampleLines) << "mark " << mark << " chunk " << chunk;
  }
  for (size_t chunk : {size_t(1), size_t(7)}) EXPECT_EQ(Parse(kSample, chunk), kSampleLines);
  // Only FF FE is a byte-order mark; UTF-8's is text of the first line.
  EXPECT_EQ(Parse("\xEF\xBB\xBF[Menu]\nTasks=x\n"), std::vector<Line>{});
  EXPECT_EQ(Parse("\xEF\xBB\xBF\n[Menu]\nTasks=x\n"), (std::vector<Line>{{"Menu", "Tasks", "x"}}));
  EXPECT_TRUE(Parse("").empty());
  EXPECT_TRUE(Parse("[").empty());
  EXPECT_TRUE(Parse(std::string("\xFF\xFE[\0", 4)).empty());
}

TEST(LangFile, LinesLongerThanTheBufferAreCut) {
  // ANSI: a line with its line feed fits into 4095 bytes.
  std::string ansi = "[S]\nA=" + std::string(4095 - 3, 'a') + "\n";  // 4095 bytes: kept
  ansi += "B=" + std::string(4095 - 2, 'b') + "\nKept=yes\n";         // 4096: dropped
  ansi += "C=" + std::string(5000, 'c') + "Tail=" + std::string(10, 't') + "\n";
  std::vector<Line> lines = Parse(ansi, 1000);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (Line{"S", "A", std::string(4092, 'a')}));
  EXPECT_EQ(lines[1], (Line{"S", "Kept", "yes"}));
  // The first 4095 bytes of line C are dropped; the rest is a line of its own.
  EXPECT_EQ(lines[2], (Line{"S", std::string(5002 - 4095, 'c') + "Tail", std::string(10, 't')}));

  // UTF-16: a line with its line feed fits into 2047 units.
  std::string text = "[S]\nA=" + std::string(2047 - 3, 'a') + "\n";
  text += "B=" + std::string(2047 - 2, 'b') + "\nKept=yes\n";
  lines = Parse(Utf16FromLatin1(text, true), 5);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].value, std::string(2044, 'a'));
  EXPECT_EQ(lines[1], (Line{"S", "Kept", "yes"}));
}

TEST(LangFile, EscapesAreDecodedWhenStored) {
  CKX_MLVC store;
  LoadFromMemory(store,
                 "[S]\n"
                 "Lines=one\\r\\ntwo\\tthree\n"
                 "Slashes=C:\\\\Temp\\\\new \\\\n\n"
                 "Quotes=\\\"q\\\" \\'s\\'\n"
                 "Other=\\x\\q\\\n");
  EXPECT_EQ(TextOf(store, "Lines", "S"), "one\r\ntwo\tthree");
  EXPECT_EQ(TextOf(store, "Slashes", "S"), "C:\\Temp\\new \\n");
  EXPECT_EQ(TextOf(store, "Quotes", "S"), "\"q\" 's'");
  EXPECT_EQ(TextOf(store, "Other", "S"), "\\x\\q\\");
}

TEST(LangFile, LastValueOfARepeatedKeyWinsAcrossRepeatedSections) {
  CKX_MLVC store;
  store.RegisterText("Tasks", "Menu", nullptr, "Tasks", false);
  store.RegisterText("Tools", "Menu", nullptr, "Tools", false);
  LoadFromMemory(store,
                 "[Menu]\nTasks=erste\nTools=Werkzeuge\n[Welcome]\nTitle=Hallo\n"
                 "[menu]\nTASKS=zweite\nTools=\n");
  EXPECT_EQ(TextOf(store, "Tasks", "Menu"), "zweite");
  EXPECT_EQ(TextOf(store, "Tools", "Menu"), "Werkzeuge");
  EXPECT_EQ(TextOf(store, "title", "WELCOME"), "Hallo");
}

TEST(LangFile, VersionNumbers) {
  EXPECT_EQ(ParseLangFileVersion("12"), 12u);
  EXPECT_EQ(ParseLangFileVersion("  0012abc"), 12u);
  EXPECT_EQ(ParseLangFileVersion("0x1F"), 31u);
  EXPECT_EQ(ParseLangFileVersion("X10"), 16u);
  EXPECT_EQ(ParseLangFileVersion("0x"), 0u);
  EXPECT_EQ(ParseLangFileVersion(""), 0u);
  EXPECT_EQ(ParseLangFileVersion("99999999999"), 0xFFFFFFFFu);
}

}  // namespace
