#include "base/handoff_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Read(const void* view, size_t size, HandOffWideToAnsi convert = nullptr) {
  std::vector<std::string> paths;
  ReadHandOffPaths(view, size, convert,
                   [](const char* path, void* context) {
                     static_cast<std::vector<std::string>*>(context)->emplace_back(path);
                   },
                   &paths);
  return paths;
}

// Enough for the tests: ASCII only, anything else cannot be converted.
bool AsciiOnly(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (units + 1 > outSize) return false;
  for (size_t i = 0; i < units; ++i) {
    if (text[i] >= 0x80) return false;
    out[i] = static_cast<char>(text[i]);
  }
  out[units] = '\0';
  return true;
}

std::vector<uint8_t> Header(uint16_t kind, uint8_t wide) {
  std::vector<uint8_t> block(kHandOffHeaderSize, 0);
  block[0] = static_cast<uint8_t>(kind);
  block[2] = 1;
  block[3] = wide;
  return block;
}

void AppendWide(std::vector<uint8_t>& block, const std::u16string& text) {
  for (char16_t unit : text) {
    block.push_back(static_cast<uint8_t>(unit & 0xFF));
    block.push_back(static_cast<uint8_t>(unit >> 8));
  }
  block.push_back(0);
  block.push_back(0);
}

TEST(HandOffWriter, TwoPathsMakeThe29ByteBlockThatTheReaderReadsBack) {
  std::vector<uint8_t> buffer(HandOffCapacity(2), 0xCC);
  HandOffWriter writer;
  ASSERT_TRUE(BeginHandOff(writer, buffer.data(), buffer.size(), 640, -3));
  EXPECT_TRUE(AddHandOffPath(writer, "C:\\a.txt"));
  EXPECT_TRUE(AddHandOffPath(writer, "C:\\dir"));
  size_t size = FinishHandOff(writer);
  ASSERT_EQ(size, 29u);

  const uint8_t expected[] = {2, 0, 1, 0, 0x80, 2, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF,
                              'C', ':', '\\', 'a', '.', 't', 'x', 't', 0,
                              'C', ':', '\\', 'd', 'i', 'r', 0, 0};
  ASSERT_EQ(sizeof expected, 29u);
  EXPECT_EQ(std::memcmp(buffer.data(), expected, 29), 0);

  HandOffHeader header;
  ASSERT_TRUE(ReadHandOffHeader(buffer.data(), size, header));
  EXPECT_EQ(header.kind, kHandOffKindPaths);
  EXPECT_EQ(header.pending, 1);
  EXPECT_EQ(header.wide, 0);
  EXPECT_EQ(Read(buffer.data(), size), (std::vector<std::string>{"C:\\a.txt", "C:\\dir"}));
}

TEST(HandOffWriter, APathTooLongToCarryIsPassedOverNeverCut) {
  // A shortened path could name some other item, which would then be destroyed.
  std::string longPath = "C:\\" + std::string(297, 'p');  // 300 characters
  std::string limit = "C:\\" + std::string(256, 'q');     // 259: still fits
  std::vector<uint8_t> buffer(HandOffCapacity(3));
  HandOffWriter writer;
  ASSERT_TRUE(BeginHandOff(writer, buffer.data(), buffer.size(), 0, 0));
  EXPECT_FALSE(AddHandOffPath(writer, longPath.c_str()));
  EXPECT_FALSE(AddHandOffPath(writer, ""));
  EXPECT_TRUE(AddHandOffPath(writer, limit.c_str()));
  EXPECT_FALSE(AddHandOffPath(writer, (limit + "r").c_str()));
  size_t size = FinishHandOff(writer);
  // The three refused paths are told of behind the list.
  EXPECT_EQ(size, 12u + 260u + 1u + kHandOffTrailerSize);
  EXPECT_EQ(Read(buffer.data(), size), (std::vector<std::string>{limit}));
  EXPECT_EQ(ReadHandOffPassedOver(buffer.data(), size), 3u);
}

TEST(HandOffWriter, NeverWritesPastItsBufferAndSendsNothingWithoutAnItem) {
  const size_t room = 12 + 7 + 1 + kHandOffTrailerSize;
  std::vector<uint8_t> buffer(room + 4, 0xCC);
  HandOffWriter writer;
  ASSERT_TRUE(BeginHandOff(writer, buffer.data(), room, 0, 0));
  EXPECT_EQ(FinishHandOff(writer), 0u);
  EXPECT_TRUE(AddHandOffPath(writer, "C:\\abc"));
  EXPECT_EQ(FinishHandOff(writer), 12u + 6u + 1u + 1u) << "no trailer while nothing is passed over";
  // 7 + NUL would leave no room for the final empty string and the trailer.
  ASSERT_TRUE(BeginHandOff(writer, buffer.data(), room, 0, 0));
  EXPECT_FALSE(AddHandOffPath(writer, "C:\\abcd"));
  EXPECT_TRUE(AddHandOffPath(writer, "C:\\abc"));
  EXPECT_EQ(FinishHandOff(writer), room);
  for (size_t i = room; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xCC) << i;
  EXPECT_EQ(ReadHandOffPassedOver(buffer.data(), room), 1u);
  EXPECT_FALSE(BeginHandOff(writer, buffer.data(), 12 + 1 + kHandOffTrailerSize - 1, 0, 0));
  EXPECT_EQ(HandOffCapacity(SIZE_MAX / 2), 0u);
}

TEST(HandOffTrailer, FollowsTheListSoThatReadersWithoutItSeeTheSameBlock) {
  std::vector<uint8_t> plain(HandOffCapacity(3));
  std::vector<uint8_t> told(HandOffCapacity(3));
  HandOffWriter a;
  HandOffWriter b;
  ASSERT_TRUE(BeginHandOff(a, plain.data(), plain.size(), 5, 6));
  ASSERT_TRUE(BeginHandOff(b, told.data(), told.size(), 5, 6));
  for (HandOffWriter* writer : {&a, &b}) {
    AddHandOffPath(*writer, "C:\\a.txt");
    AddHandOffPath(*writer, "C:\\dir");
  }
  PassOverHandOffItems(b, 2);
  EXPECT_FALSE(AddHandOffPath(b, nullptr));
  const size_t plainSize = FinishHandOff(a);
  const size_t toldSize = FinishHandOff(b);
  ASSERT_EQ(plainSize, 29u);
  ASSERT_EQ(toldSize, 29u + 8u);
  EXPECT_EQ(std::memcmp(plain.data(), told.data(), plainSize), 0);
  const uint8_t trailer[] = {'K', 'X', 'P', 'O', 3, 0, 0, 0};
  EXPECT_EQ(std::memcmp(told.data() + 29, trailer, 8), 0);
  EXPECT_EQ(Read(told.data(), toldSize), Read(plain.data(), plainSize));
  EXPECT_EQ(ReadHandOffPassedOver(told.data(), toldSize), 3u);
  // A block from a writer without trailers, in a mapping's zero bytes.
  EXPECT_EQ(ReadHandOffPassedOver(plain.data(), plain.size()), 0u);

  // Nothing could be put into the list: the block still goes, empty.
  std::vector<uint8_t> none(HandOffCapacity(1));
  HandOffWriter c;
  ASSERT_TRUE(BeginHandOff(c, none.data(), none.size(), 0, 0));
  EXPECT_FALSE(AddHandOffPath(c, ("C:\\" + std::string(300, 'x')).c_str()));
  const size_t noneSize = FinishHandOff(c);
  ASSERT_EQ(noneSize, 12u + 1u + 8u);
  EXPECT_TRUE(Read(none.data(), noneSize).empty());
  EXPECT_EQ(ReadHandOffPassedOver(none.data(), noneSize), 1u);
}

TEST(HandOffTrailer, IsTakenOnlyWholeWithItsMarkRightBehindTheList) {
  std::vector<uint8_t> block = Header(2, 0);
  const char list[] = "C:\\one\0";  // the array's NUL is the final empty string
  block.insert(block.end(), list, list + sizeof list);
  const size_t listEnd = block.size();
  block.insert(block.end(), {'K', 'X', 'P', 'O', 0x10, 0x27, 0, 0});  // 10000
  EXPECT_EQ(ReadHandOffPassedOver(block.data(), block.size()), 10000u);
  // Cut by the view anywhere in the trailer: not a trailer.
  for (size_t size = listEnd; size < block.size(); ++size)
    EXPECT_EQ(ReadHandOffPassedOver(block.data(), size), 0u) << size;
  // A list that the view ends without its empty string has nothing behind it.
  EXPECT_EQ(ReadHandOffPassedOver(block.data(), listEnd - 1), 0u);
  EXPECT_EQ(ReadHandOffPassedOver(block.data(), 11), 0u);

  // Counts no writer can have made are held to the largest one it can.
  std::vector<uint8_t> bogus = block;
  for (size_t i = listEnd + 4; i < bogus.size(); ++i) bogus[i] = 0xFF;
  EXPECT_EQ(ReadHandOffPassedOver(bogus.data(), bogus.size()), kHandOffMaxPassedOver);
  // The mark must stand right behind the empty string.
  std::vector<uint8_t> shifted = block;
  shifted.insert(shifted.begin() + static_cast<std::ptrdiff_t>(listEnd), 0);
  EXPECT_EQ(ReadHandOffPassedOver(shifted.data(), shifted.size()), 0u);
  std::vector<uint8_t> wrongMark = block;
  wrongMark[listEnd + 3] = 'X';
  EXPECT_EQ(ReadHandOffPassedOver(wrongMark.data(), wrongMark.size()), 0u);

  // Behind a list of wide paths, whose empty string is two bytes.
  std::vector<uint8_t> wide = Header(2, 1);
  AppendWide(wide, u"C:\\w");
  wide.insert(wide.end(), {0, 0, 'K', 'X', 'P', 'O', 2, 0, 0, 0});
  EXPECT_EQ(ReadHandOffPassedOver(wide.data(), wide.size()), 2u);
  wide.erase(wide.end() - 10);  // the mark one byte early, as behind an 8-bit list
  EXPECT_EQ(ReadHandOffPassedOver(wide.data(), wide.size()), 0u);
}

TEST(HandOffReader, StopsAtTheEndOfTheViewWhateverTheBlockSays) {
  std::vector<uint8_t> block = Header(2, 0);
  HandOffHeader header;
  EXPECT_FALSE(ReadHandOffHeader(block.data(), 11, header));
  EXPECT_TRUE(Read(block.data(), 11).empty());
  EXPECT_TRUE(Read(block.data(), 12).empty());

  // Paths up to the last byte without the final empty string: all read.
  const char tail[] = "C:\\one\0D:\\two";  // the array's NUL ends the second
  block.insert(block.end(), tail, tail + sizeof tail);
  EXPECT_EQ(Read(block.data(), block.size()), (std::vector<std::string>{"C:\\one", "D:\\two"}));
  // A last path that the view cuts off before its NUL is not a path: it may be
  // the beginning of a longer one.
  EXPECT_EQ(Read(block.data(), block.size() - 1), (std::vector<std::string>{"C:\\one"}));
}

TEST(HandOffReader, PassesOverPathsThatAreTooLongOrNotPlainFullPaths) {
  std::vector<uint8_t> block = Header(2, 0);
  for (std::string path : {"C:\\" + std::string(258, 'z'), std::string("relative\\x"),
                           std::string("C:drive-relative"), std::string("\\rooted"),
                           std::string("C:\\dir\\.."), std::string("C:\\.\\x"),
                           std::string("\\\\server\\share\\f"), std::string("e:\\ok..\\.x")}) {
    block.insert(block.end(), path.begin(), path.end());
    block.push_back(0);
  }
  block.push_back(0);
  EXPECT_EQ(Read(block.data(), block.size()),
            (std::vector<std::string>{"\\\\server\\share\\f", "e:\\ok..\\.x"}));
  size_t passedOver = 99;
  ReadHandOffPaths(
      block.data(), block.size(), nullptr, [](const char*, void*) {}, nullptr, &passedOver);
  EXPECT_EQ(passedOver, 6u);
}

TEST(HandOffReader, WidePathsAreConvertedAndUnconvertibleOnesPassedOver) {
  std::vector<uint8_t> block = Header(2, 1);
  AppendWide(block, u"C:\\wide.txt");
  AppendWide(block, u"C:\\caf\u00e9");  // the converter cannot represent it
  AppendWide(block, u"D:\\" + std::u16string(300, u'w'));
  AppendWide(block, u"\\\\srv\\s");
  block.push_back(0);
  block.push_back(0);
  EXPECT_EQ(Read(block.data(), block.size(), AsciiOnly),
            (std::vector<std::string>{"C:\\wide.txt", "\\\\srv\\s"}));
  EXPECT_TRUE(Read(block.data(), block.size(), nullptr).empty());
  // Cut in the middle of a code unit, or before the NUL of the last path.
  std::vector<uint8_t> cut = Header(2, 1);
  AppendWide(cut, u"C:\\a");
  AppendWide(cut, u"C:\\bb");
  EXPECT_EQ(Read(cut.data(), cut.size() - 1, AsciiOnly), (std::vector<std::string>{"C:\\a"}));
  EXPECT_EQ(Read(cut.data(), cut.size() - 2, AsciiOnly), (std::vector<std::string>{"C:\\a"}));
}

TEST(HandOffCommandLine, SwitchInAnyCaseAndTheNameInItsOwnCase) {
  char name[kHandOffNameSize];
  EXPECT_NE(FindHandOffName("C:\\KXer.exe -tmeKXFMab-Cd", name, sizeof name), nullptr);
  EXPECT_STREQ(name, "KXFMab-Cd");
  FindHandOffName("KXer.exe -TMEKXFM1 /other arg", name, sizeof name);
  EXPECT_STREQ(name, "KXFM1");
  // A blank right behind the switch: the rest of the line is the name.
  FindHandOffName("KXer.exe -TME KXFM2 x", name, sizeof name);
  EXPECT_STREQ(name, " KXFM2 x");
  EXPECT_EQ(FindHandOffName("KXer.exe /REGCM", name, sizeof name), nullptr);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(FindHandOffName(nullptr, name, sizeof name), nullptr);
}

TEST(HandOffCommandLine, EachSwitchCanBeTriedInTurnAndLongNamesAreNotCut) {
  // A program folder that happens to contain the switch comes first.
  const char line[] = "C:\\x-tmedina\\KXer.exe -TMEKXFMreal";
  char name[kHandOffNameSize];
  const char* next = FindHandOffName(line, name, sizeof name);
  ASSERT_NE(next, nullptr);
  EXPECT_STREQ(name, "dina\\KXer.exe");
  next = FindHandOffName(next, name, sizeof name);
  ASSERT_NE(next, nullptr);
  EXPECT_STREQ(name, "KXFMreal");
  EXPECT_EQ(FindHandOffName(next, name, sizeof name), nullptr);

  char small[5];
  FindHandOffName("-TMEKXFMxyz", small, sizeof small);
  EXPECT_STREQ(small, "");
}

}  // namespace
