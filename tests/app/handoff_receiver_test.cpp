// The main program's side of the hand-off, with real named mappings under Wine.
#include "app/handoff_receiver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/handoff_block.h"
#include "framework/handle.h"

namespace {

std::string FreshName(const char* tag) {
  static int counter = 0;
  return "KXFM" + std::string(tag) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

// A named mapping as the extension leaves it for the main program.
class Mapping {
 public:
  Mapping(const std::string& name, const std::vector<uint8_t>& block, DWORD size = 0)
      : name_(name) {
    if (size == 0) size = static_cast<DWORD>(block.size());
    handle_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                     name.c_str()));
    if (handle_) view_.Reset(MapViewOfFile(handle_.Get(), FILE_MAP_WRITE, 0, 0, 0));
    if (view_) std::memcpy(view_.Get(), block.data(), block.size());
  }
  bool Ok() const { return view_.Valid(); }
  const uint8_t* Bytes() const { return static_cast<const uint8_t*>(view_.Get()); }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  kx::Handle handle_;
  kx::MappedView view_;
};

std::vector<uint8_t> Block(std::initializer_list<const char*> paths) {
  std::vector<uint8_t> buffer(HandOffCapacity(paths.size()));
  HandOffWriter writer;
  BeginHandOff(writer, buffer.data(), buffer.size(), 10, 20);
  for (const char* path : paths) AddHandOffPath(writer, path);
  buffer.resize(FinishHandOff(writer));
  return buffer;
}

std::vector<std::string> Paths(const DeleteJob& job) {
  std::vector<std::string> paths;
  for (const DeleteItem* item = job.root.firstChild; item != nullptr; item = item->next) {
    paths.emplace_back(item->path);
  }
  return paths;
}

class HandOffReceiver : public ::testing::Test {
 protected:
  DeleteJob job;
  HandOffReceiver() { BuildJob(job); }
  ~HandOffReceiver() override { ReleaseJob(job); }
};

TEST_F(HandOffReceiver, TakesThePathsAndTellsTheWriterAtOnce) {
  char windows[MAX_PATH + 1];
  GetWindowsDirectoryA(windows, sizeof windows);
  std::string missing = std::string(windows) + "\\kx-no-such-file.txt";
  Mapping mapping(FreshName("a"), Block({missing.c_str(), windows}));
  ASSERT_TRUE(mapping.Ok());
  AddTopLevelItem(job, "C:\\left-over", nullptr);

  std::string line = "\"C:\\Program Files\\Karvex\\KXer.exe\" -TME" + mapping.Name();
  ASSERT_TRUE(ReceiveHandOff(line.c_str(), job));
  EXPECT_EQ(mapping.Bytes()[2], 0);  // pending
  EXPECT_EQ(mapping.Bytes()[0], 2);  // the rest of the block is left alone
  // Added one by one at the front, each checked against the file system.
  EXPECT_EQ(Paths(job), (std::vector<std::string>{windows, missing}));
  EXPECT_EQ(job.root.firstChild->isFolder, 1);
  EXPECT_EQ(job.root.firstChild->next->isFolder, 0);
}

TEST_F(HandOffReceiver, ABlockOfAnotherKindIsRefusedAndItsHeaderCleared) {
  std::vector<uint8_t> block = Block({"C:\\a.txt"});
  block[0] = 3;
  Mapping mapping(FreshName("k"), block);
  ASSERT_TRUE(mapping.Ok());
  EXPECT_FALSE(ReceiveHandOff(("KXer.exe -TME" + mapping.Name()).c_str(), job));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(mapping.Bytes()[i], 0) << i;
  EXPECT_EQ(mapping.Bytes()[4], 10);  // the cursor stays
  EXPECT_EQ(CountItems(job), 0u);
}

TEST_F(HandOffReceiver, WidePathsArriveAsAnsiTextUnlessTheyCannotBeWrittenExactly) {
  std::vector<uint8_t> block(kHandOffHeaderSize, 0);
  block[0] = 2;
  block[2] = 1;
  block[3] = 1;
  for (std::u16string path : {std::u16string(u"C:\\wide\\one.txt"),
                              std::u16string(u"C:\\wide\\\u4e00.txt"),
                              std::u16string(u"D:\\two")}) {
    for (char16_t unit : path) {
      block.push_back(static_cast<uint8_t>(unit));
      block.push_back(static_cast<uint8_t>(unit >> 8));
    }
    block.insert(block.end(), {0, 0});
  }
  block.insert(block.end(), {0, 0});
  Mapping mapping(FreshName("w"), block);
  ASSERT_TRUE(mapping.Ok());
  ASSERT_TRUE(ReceiveHandOff(("KXer.exe -TME" + mapping.Name()).c_str(), job));
  std::vector<std::string> paths = Paths(job);
  if (GetACP() == CP_UTF8) {
    EXPECT_EQ(paths.size(), 3u);
  } else {
    // A code page without that character must not turn it into another name.
    EXPECT_EQ(paths, (std::vector<std::string>{"D:\\two", "C:\\wide\\one.txt"}));
  }
}

TEST_F(HandOffReceiver, AOnePageBlockIsReadToItsLastByteAndNoFurther) {
  // Paths right up to the end of the only page, with no final empty string:
  // anything that read on would fault.
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const size_t page = system.dwPageSize;
  std::vector<uint8_t> block = Block({"C:\\first"});
  block.pop_back();  // the final empty string
  int count = 1;
  while (page - block.size() > 200) {
    std::string path = "C:\\p" + std::to_string(count++);
    block.insert(block.end(), path.begin(), path.end());
    block.push_back(0);
  }
  std::string last = "C:\\last";
  last.append(page - block.size() - 1 - last.size(), 'z');
  block.insert(block.end(), last.begin(), last.end());
  block.push_back(0);
  ++count;
  ASSERT_EQ(block.size(), page);
  Mapping full(FreshName("p"), block, static_cast<DWORD>(page));
  ASSERT_TRUE(full.Ok());
  ASSERT_TRUE(ReceiveHandOff(("KXer.exe -TME" + full.Name()).c_str(), job));
  EXPECT_EQ(CountItems(job), static_cast<uint64_t>(count));

  // The same page whose last path has no NUL: that path may be cut short, so
  // it is not taken.
  block.back() = 'y';
  Mapping cut(FreshName("c"), block, static_cast<DWORD>(page));
  ASSERT_TRUE(cut.Ok());
  ASSERT_TRUE(ReceiveHandOff(("KXer.exe -TME" + cut.Name()).c_str(), job));
  EXPECT_EQ(CountItems(job), static_cast<uint64_t>(count - 1));
}

TEST_F(HandOffReceiver, CountsEverySelectedItemThatWillNotBeDestroyed) {
  // Passed over by the extension (in the trailer) and by the reader (not a
  // full path); a repeated path is covered, not lost, and not counted.
  std::vector<uint8_t> buffer(HandOffCapacity(4));
  HandOffWriter writer;
  BeginHandOff(writer, buffer.data(), buffer.size(), 0, 0);
  for (const char* path : {"C:\\kx-counted.txt", "relative\\x", "C:\\kx-counted.txt"})
    AddHandOffPath(writer, path);
  PassOverHandOffItems(writer, 2);
  buffer.resize(FinishHandOff(writer));
  Mapping mapping(FreshName("n"), buffer);
  ASSERT_TRUE(mapping.Ok());
  uint64_t passedOver = 99;
  ASSERT_TRUE(ReceiveHandOff(("KXer.exe -TME" + mapping.Name()).c_str(), job, &passedOver));
  EXPECT_EQ(Paths(job), (std::vector<std::string>{"C:\\kx-counted.txt"}));
  EXPECT_EQ(passedOver, 3u);

  // Nothing of the selection could be handed over: still a hand-off run,
  // with nothing to delete and the whole count.
  std::vector<uint8_t> empty(HandOffCapacity(1));
  BeginHandOff(writer, empty.data(), empty.size(), 0, 0);
  PassOverHandOffItems(writer, 5);
  empty.resize(FinishHandOff(writer));
  Mapping none(FreshName("e"), empty);
  ASSERT_TRUE(none.Ok());
  ASSERT_TRUE(ReceiveHandOff(("KXer.exe -TME" + none.Name()).c_str(), job, &passedOver));
  EXPECT_EQ(CountItems(job), 0u);
  EXPECT_EQ(passedOver, 5u);
  EXPECT_EQ(none.Bytes()[2], 0) << "the writer is told as for any block";

  // A block without a trailer, as older extensions write it.
  Mapping old(FreshName("o"), Block({"C:\\kx-old.txt"}));
  ASSERT_TRUE(old.Ok());
  ASSERT_TRUE(ReceiveHandOff(("KXer.exe -TME" + old.Name()).c_str(), job, &passedOver));
  EXPECT_EQ(passedOver, 0u);
  EXPECT_FALSE(ReceiveHandOff("KXer.exe -TMEKXFMnone-such", job, &passedOver));
  EXPECT_EQ(passedOver, 0u);
}

TEST_F(HandOffReceiver, TheSwitchIsFoundInAnyCaseAndTheNameEndsAtABlank) {
  Mapping mapping(FreshName("MiXeD"), Block({"C:\\x.txt"}));
  ASSERT_TRUE(mapping.Ok());
  const std::string& name = mapping.Name();
  for (const std::string& line :
       {"KXer.exe -tme" + name, "KXer.exe -TmE" + name + " /other argument",
        "C:\\tools\\x-tmeasure\\KXer.exe -TME" + name}) {
    EXPECT_TRUE(ReceiveHandOff(line.c_str(), job)) << line;
    EXPECT_EQ(Paths(job), (std::vector<std::string>{"C:\\x.txt"})) << line;
  }

  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  for (const std::string& line : {"KXer.exe -TME" + lower, "KXer.exe -TME " + name,
                                  std::string("KXer.exe"), std::string("KXer.exe -TMEKXFMnone-such")}) {
    AddTopLevelItem(job, "C:\\stale", nullptr);
    EXPECT_FALSE(ReceiveHandOff(line.c_str(), job)) << line;
    EXPECT_EQ(CountItems(job), 0u) << line;  // emptied all the same
  }
  EXPECT_FALSE(ReceiveHandOff(nullptr, job));

  // A job that a worker runs is never emptied under it.
  AddTopLevelItem(job, "C:\\busy", nullptr);
  job.running = true;
  EXPECT_FALSE(ReceiveHandOff(("KXer.exe -TME" + name).c_str(), job));
  EXPECT_EQ(Paths(job), (std::vector<std::string>{"C:\\busy"}));
  job.running = false;
}

}  // namespace
