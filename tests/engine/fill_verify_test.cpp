// Random fill and read-back verification of the deletion pass, on real files
// in a scratch folder under Wine, with the writer and the generator as seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/chunk_window.h"
#include "engine/fill_buffer.h"
#include "engine/shred_support.h"
#include "engine/shredder.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"

using kxtest::Exists;
using kxtest::ReadBytes;
using kxtest::WriteBytes;

namespace {

constexpr size_t kChunk = kFillBufferSize;

// Keeps the data of every write and the order of writes, flushes and reads;
// can spoil one byte of a read or fail it.
class CheckingWriter : public kxtest::RecordingWriter {
 public:
  struct Event {
    char kind;  // 'W'rite, 'F'lush, 'R'ead
    uint64_t offset;
  };
  std::vector<Event> events;
  std::vector<std::string> data;  // of every write, in order
  int reads = 0;
  int spoiledRead = 0;  // this read (1 = the first) returns one wrong byte
  int failedRead = 0;   // this read fails with ERROR_CRC

  bool Write(HANDLE file, uint64_t offset, const void* bytes, DWORD size, DWORD& written) override {
    events.push_back({'W', offset});
    data.emplace_back(static_cast<const char*>(bytes), size);
    return RecordingWriter::Write(file, offset, bytes, size, written);
  }
  bool Flush(HANDLE file) override {
    events.push_back({'F', 0});
    return RecordingWriter::Flush(file);
  }
  bool Read(HANDLE file, uint64_t offset, void* bytes, DWORD size, DWORD& got) override {
    events.push_back({'R', offset});
    ++reads;
    if (reads == failedRead) {
      SetLastError(ERROR_CRC);
      return false;
    }
    const bool ok = FileWriter::Read(file, offset, bytes, size, got);
    if (ok && reads == spoiledRead && got > 100) static_cast<uint8_t*>(bytes)[100] ^= 0x01;
    return ok;
  }
};

// True when the bytes repeat with a period of at most a fill pattern's length,
// as a constant or a string fill would.
bool RepeatsShortPattern(const std::string& bytes) {
  for (size_t period = 1; period <= kMaxFillPatternLength; ++period) {
    if (bytes.compare(period, std::string::npos, bytes, 0, bytes.size() - period) == 0) return true;
  }
  return false;
}

int g_randomCalls = 0;
int g_randomFailures = 0;  // this many calls fail before the system's generator answers
bool FlakyRandom(uint8_t* buffer, uint32_t size) {
  ++g_randomCalls;
  if (g_randomFailures > 0) {
    --g_randomFailures;
    SetLastError(ERROR_GEN_FAILURE);
    return false;
  }
  return SystemRandom(buffer, size);
}

class FillVerify : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterEnglishTexts(nullptr); }
  void SetUp() override {
    BuildJob(job);
    job.host = &host;
    g_randomCalls = 0;
    g_randomFailures = 0;
  }
  void TearDown() override { ReleaseJob(job); }

  std::string Make(const char* name, size_t size, char c = 'x') {
    const std::string path = scratch / name;
    EXPECT_TRUE(WriteBytes(path, std::string(size, c)));
    return path;
  }
  // Destroys one file with a fresh shredder, as a job's pass would.
  int64_t Shred(const std::string& path, CheckingWriter& writer) {
    Shredder shredder(job, &writer);
    shredder.SetRandomSource(FlakyRandom);
    return shredder.Shred(path.c_str());
  }
  std::string Text(const char* key) { return LangText(key, "Global"); }

  kxtest::ScratchFolder scratch;
  kxtest::ScriptedHost host;
  DeleteJob job;
};

}  // namespace

TEST_F(FillVerify, RandomFillWritesNewDataIntoEveryChunkAndNeverThePattern) {
  const size_t size = 3 * kChunk + 700;
  const std::string path = Make("random.bin", size);
  job.options.randomFill = 1;
  CheckingWriter writer;
  EXPECT_EQ(Shred(path, writer), static_cast<int64_t>(size));
  ASSERT_EQ(writer.data.size(), 4u);
  for (size_t i = 0; i < writer.data.size(); ++i) {
    EXPECT_FALSE(RepeatsShortPattern(writer.data[i])) << "chunk " << i;
    if (i > 0) {
      EXPECT_NE(writer.data[i].substr(0, 700), writer.data[i - 1].substr(0, 700)) << i;
    }
  }
  EXPECT_EQ(g_randomCalls, 4);
  // What the file held after the overwrite is what was generated.
  ASSERT_EQ(host.overwrites.size(), 1u);
  std::string written;
  for (const std::string& chunk : writer.data) written += chunk;
  EXPECT_EQ(host.overwrites[0].content, written.substr(0, size));
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(host.prompts.empty());
}

TEST_F(FillVerify, AFailingGeneratorIsAFailedStepAndNothingConstantIsWritten) {
  const std::string path = Make("gen.bin", 2 * kChunk, 'g');
  job.options.randomFill = 1;
  g_randomFailures = 1;
  host.answers = {kAnswerSkip};
  CheckingWriter writer;
  EXPECT_EQ(Shred(path, writer), kShredGivenUp);
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].message, Text("ErrDelFile"));
  EXPECT_EQ(host.prompts[0].code, static_cast<uint32_t>(ERROR_GEN_FAILURE));
  EXPECT_TRUE(writer.data.empty()) << "no fallback to a pattern";
  EXPECT_EQ(ReadBytes(path), std::string(2 * kChunk, 'g'));

  // Try Again asks the generator again and the file goes.
  g_randomFailures = 1;
  host.answers = {kAnswerTryAgain};
  EXPECT_EQ(Shred(path, writer), static_cast<int64_t>(2 * kChunk));
  EXPECT_EQ(host.prompts.size(), 2u);
  EXPECT_FALSE(Exists(path));
}

TEST_F(FillVerify, EveryChunkIsReadBackAfterAFlushThatFollowsItsWrite) {
  // More chunks than one window, and a tail that an unbuffered handle writes
  // in a whole sector and cuts back.
  const size_t size = (kVerifyWindowChunks + 2) * kChunk + 700;
  for (uint8_t random : {0, 1}) {
    SCOPED_TRACE(random);
    const std::string path = Make("verified.bin", size);
    job.options = {random, 1};
    CheckingWriter writer;
    EXPECT_EQ(Shred(path, writer), static_cast<int64_t>(size));
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_FALSE(Exists(path));
    std::vector<uint64_t> unflushed, unread;
    size_t reads = 0;
    for (const CheckingWriter::Event& event : writer.events) {
      if (event.kind == 'W') unflushed.push_back(event.offset);
      if (event.kind == 'F') {
        unread.insert(unread.end(), unflushed.begin(), unflushed.end());
        unflushed.clear();
      }
      if (event.kind == 'R') {
        ++reads;
        auto it = std::find(unread.begin(), unread.end(), event.offset);
        ASSERT_NE(it, unread.end()) << "read of " << event.offset << " before its flush";
        unread.erase(it);
      }
    }
    EXPECT_EQ(reads, writer.data.size());
    EXPECT_TRUE(unread.empty() && unflushed.empty()) << "a chunk was never read back";
  }
}

TEST_F(FillVerify, AMismatchOrAFailedReadIsAFailedStepAndTryAgainWritesTheRangeAgain) {
  const size_t size = 2 * kChunk + 300;
  const std::string path = Make("spoiled.bin", size, 's');
  job.options.verify = 1;
  struct Case {
    int spoiled, failed;
    uint32_t code;
  } cases[] = {{2, 0, kReasonVerifyFailed}, {0, 1, ERROR_CRC}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    host.prompts.clear();
    host.answers = {kAnswerSkip};
    CheckingWriter writer;
    writer.spoiledRead = c.spoiled;
    writer.failedRead = c.failed;
    EXPECT_EQ(Shred(path, writer), kShredGivenUp);
    ASSERT_EQ(host.prompts.size(), 1u);
    EXPECT_EQ(host.prompts[0].message, Text("ErrDelFile"));
    EXPECT_EQ(host.prompts[0].code, c.code);
    EXPECT_EQ(host.prompts[0].path, path);
    // Never passed off as done: overwritten, but neither cut nor removed.
    EXPECT_TRUE(host.overwrites.empty());
    EXPECT_EQ(ReadBytes(path).size(), size);
  }

  host.prompts.clear();
  host.answers = {kAnswerTryAgain};
  CheckingWriter writer;
  writer.spoiledRead = 2;
  EXPECT_EQ(Shred(path, writer), static_cast<int64_t>(size));
  EXPECT_EQ(host.prompts.size(), 1u);
  // The window of three chunks, then the same three again, read back from
  // the first once more (the first check stopped at the wrong one).
  ASSERT_EQ(writer.writes.size(), 6u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(writer.writes[i + 3].offset, writer.writes[i].offset);
  EXPECT_EQ(writer.reads, 2 + 3);
  EXPECT_FALSE(Exists(path));
}
