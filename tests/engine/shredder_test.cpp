// The deletion pass on real files in a scratch folder under Wine, driven by a
// scripted host instead of the progress window.
#include "engine/shredder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/path_match.h"
#include "base/path_utils.h"
#include "engine/file_streams.h"
#include "engine/fill_buffer.h"
#include "engine/handle_ops.h"
#include "engine/overwrite_plan.h"
#include "engine/prepare.h"
#include "engine/shred_support.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"
#include "support/wine_paths.h"

using kxtest::Exists;
using kxtest::ReadBytes;
using kxtest::RecordingWriter;
using kxtest::WriteBytes;

namespace {

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Text(const char* key) {
  const char* text = TextStore().GetText(key, "Global");
  return text ? text : "";
}

std::string Fill(size_t size, char c) { return std::string(size, c); }

uint32_t SectorSizeOf(const std::string& path) {
  char root[MAX_PATH + 1];
  DWORD spc = 0, bytes = 0, free = 0, total = 0;
  if (!GetVolumePathNameA(path.c_str(), root, sizeof root)) return 0;
  return GetDiskFreeSpaceA(root, &spc, &bytes, &free, &total) ? bytes : 0;
}

// The space the file system holds for a file, as the shredder reads it.
int64_t AllocationOf(const std::string& path) {
  kx::FileHandle file(CreateFileW(kxtest::FileName(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
  FILE_STANDARD_INFO standard = {};
  if (!file ||
      !GetFileInformationByHandleEx(file.Get(), FileStandardInfo, &standard, sizeof standard))
    return -1;
  return standard.AllocationSize.QuadPart;
}

// Where each write went, by the final path of its handle.
class PathRecordingWriter : public RecordingWriter {
 public:
  std::vector<std::wstring> paths;
  bool Write(HANDLE file, uint64_t offset, const void* data, DWORD size, DWORD& written) override {
    paths.push_back(engine::FinalPathOf(file));
    return RecordingWriter::Write(file, offset, data, size, written);
  }
  // The bytes written through handles on path, as one run from offset 0;
  // -1 when they leave a gap or overlap.
  int64_t RunTo(const std::wstring& path) const {
    int64_t end = 0;
    for (size_t i = 0; i < writes.size(); ++i) {
      if (paths[i] != path) continue;
      if (static_cast<int64_t>(writes[i].offset) != end) return -1;
      end += writes[i].size;
    }
    return end;
  }
};

// Wine keeps no named streams: files planted beside a file stand for its
// streams (stream ":s1:$DATA" of "data.bin" is the file "data.bin.s1"). The
// real check that a stream's handle reached its own file refuses such a
// file, rightly; the stand-in vouches for them unless told to let that check
// decide.
class PlantedStreams : public engine::StreamAccess {
 public:
  std::vector<std::wstring> names;
  bool vouch = true;
  int listFailures = 0;  // listings that fail with ERROR_ACCESS_DENIED first

  static std::wstring Planted(const std::wstring& file, const std::wstring& stream) {
    return file + L"." + stream.substr(1, stream.find(L':', 1) - 1);
  }
  DWORD List(const std::wstring& file, std::vector<std::wstring>& streams, bool& guessed) override {
    guessed = false;
    if (listFailures > 0) {
      --listFailures;
      return ERROR_ACCESS_DENIED;
    }
    streams.clear();
    for (const std::wstring& name : names)
      if (GetFileAttributesW(Planted(file, name).c_str()) != INVALID_FILE_ATTRIBUTES)
        streams.push_back(name);
    return ERROR_SUCCESS;
  }
  HANDLE Open(const std::wstring& file, const std::wstring& stream) override {
    return CreateFileW(Planted(file, stream).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                       FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  bool SameFile(HANDLE file, HANDLE stream) override {
    return vouch || StreamAccess::SameFile(file, stream);
  }
};

class ShredTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterEnglishTexts(nullptr); }
  void SetUp() override { NewJob(job); }
  void TearDown() override { ReleaseJob(job); }

  void NewJob(DeleteJob& target) {
    BuildJob(target);
    target.host = &host;
  }
  void Add(const std::string& path, DeleteJob* target = nullptr) {
    ASSERT_NE(AddTopLevelItem(target ? *target : job, path.c_str(), IsDirectory), nullptr) << path;
  }
  // What the worker does: walk the tree, then destroy it.
  bool Run(FileWriter* writer = nullptr, DeleteJob* target = nullptr,
           engine::StreamAccess* streams = nullptr) {
    DeleteJob& j = target ? *target : job;
    if (!Prepare(j)) return false;
    return Shredder(j, writer, streams).Delete();
  }
  // A file of `size` bytes of `c`, in a folder created when needed.
  std::string Make(const std::string& relative, size_t size, char c = 'x') {
    std::string path = scratch / relative;
    std::string folder = path.substr(0, path.rfind('\\'));
    CreateDirectoryW(kxtest::FileName(folder).c_str(), nullptr);
    EXPECT_TRUE(WriteBytes(path, Fill(size, c))) << path;
    return path;
  }
  std::string Folder(const std::string& relative) {
    std::string path = scratch / relative;
    CreateDirectoryW(kxtest::FileName(path).c_str(), nullptr);
    return path;
  }

  kxtest::ScratchFolder scratch;
  kxtest::ScriptedHost host;
  DeleteJob job;
};

// Holds a file open without sharing, as another program would.
class Lock {
 public:
  explicit Lock(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Lock() { Release(); }
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

}  // namespace

TEST_F(ShredTest, WholeChunksThenTheTailAreOverwrittenBeforeTheFileGoes) {
  const std::string exact = Make("exact.bin", 65024, 'e');
  const std::string oneMore = Make("one-more.bin", 65025, 'o');
  const std::string odd = Make("odd.bin", 1000, 'd');  // not a whole number of sectors
  const uint32_t sector = SectorSizeOf(exact);

  // Each file gets one run of writes from its start: whole chunks, then the
  // rest, to the end of its last cluster (the file system here keeps whole
  // clusters for every file), in whole sectors when the handle is
  // unbuffered.
  PathRecordingWriter writer;
  Shredder shredder(job, &writer);
  for (const auto& [path, size] : {std::pair{exact, 65024}, {oneMore, 65025}, {odd, 1000}}) {
    const int64_t allocation = AllocationOf(path);
    const std::wstring where =
        engine::FinalPathOf(kx::FileHandle(CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, 0, nullptr))
                                .Get());
    ASSERT_GE(allocation, size) << path;
    writer.writes.clear();
    writer.paths.clear();
    EXPECT_EQ(shredder.Shred(path.c_str()), size);
    EXPECT_EQ(writer.RunTo(where), allocation) << path;
    for (size_t i = 0; i + 1 < writer.writes.size(); ++i)
      EXPECT_EQ(writer.writes[i].size, 65024u) << path << " write " << i;
    if (size >= 4096) EXPECT_EQ(writer.writes.back().size % sector, 0u) << path;
  }

  // Read back after the overwrite, before the length was cut: every byte up
  // to the last one holds the fill byte, and the length is the file's own.
  ASSERT_EQ(host.overwrites.size(), 3u);
  EXPECT_EQ(host.overwrites[0].content, Fill(65024, '\xFE'));
  EXPECT_EQ(host.overwrites[1].content, Fill(65025, '\xFE'));
  EXPECT_EQ(host.overwrites[2].content, Fill(1000, '\xFE'));
  EXPECT_EQ(job.doneBytes, 65024u + 65025u + 1000u);
  EXPECT_FALSE(Exists(exact));
  EXPECT_FALSE(Exists(oneMore));
  EXPECT_FALSE(Exists(odd));
  EXPECT_TRUE(host.prompts.empty());
}

TEST_F(ShredTest, TheWriterPutsEveryWriteAtItsOffsetWhateverTheOrderAndHandle) {
  const std::string a = Make("a.bin", 12, '.'), b = Make("b.bin", 12, '.');
  FileWriter writer;
  auto open = [](const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  };
  HANDLE first = open(a);
  DWORD written = 0;
  // In sequence, then back, then on: each lands where it was asked to.
  for (auto [offset, text] : {std::pair{0, "AAAA"}, {4, "BBBB"}, {0, "CC"}, {8, "DDDD"}}) {
    EXPECT_TRUE(writer.Write(first, offset, text, static_cast<DWORD>(std::strlen(text)), written));
  }
  // Another handle (perhaps with the same value once the first is closed)
  // starts where its own writes say.
  CloseHandle(first);
  HANDLE second = open(b);
  EXPECT_TRUE(writer.Write(second, 8, "EEEE", 4, written));
  EXPECT_TRUE(writer.Write(second, 2, "FF", 2, written));
  CloseHandle(second);
  EXPECT_EQ(ReadBytes(a), "CCAABBBBDDDD");
  EXPECT_EQ(ReadBytes(b), "..FF....EEEE");
}

TEST_F(ShredTest, TheChosenPatternIsWhatReachesTheFile) {
  const size_t size = 2 * 65024 + 700;
  const std::string patterned = Make("abc.bin", size);
  job.settings.fillLength = 3;
  std::memcpy(job.settings.fillPattern, "ABC", 3);
  Add(patterned);
  ASSERT_TRUE(Run());
  ASSERT_EQ(host.overwrites.size(), 1u);
  const std::string& content = host.overwrites[0].content;
  ASSERT_EQ(content.size(), size);
  // Each chunk starts the pattern afresh; 65024 mod 3 is 2, so a chunk ends "AB".
  for (size_t i = 0; i < size; ++i) ASSERT_EQ(content[i], "ABC"[(i % 65024) % 3]) << i;
  EXPECT_EQ(content.substr(65024 - 3, 6), "CABABC");

  DeleteJob zeroJob;
  NewJob(zeroJob);
  zeroJob.settings.fillLength = 0;
  const std::string zeroed = Make("zero.bin", 70000);
  Add(zeroed, &zeroJob);
  EXPECT_TRUE(Run(nullptr, &zeroJob));
  ReleaseJob(zeroJob);
  ASSERT_EQ(host.overwrites.size(), 2u);
  EXPECT_EQ(host.overwrites[1].content, std::string(70000, '\0'));
  EXPECT_FALSE(Exists(patterned));
  EXPECT_FALSE(Exists(zeroed));
}

TEST_F(ShredTest, EmptyAndReadOnlyFilesAreDestroyed) {
  const std::string empty = Make("empty.txt", 0);
  const std::string readOnly = Make("read-only.txt", 3000, 'r');
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

  RecordingWriter writer;
  Shredder shredder(job, &writer);
  EXPECT_EQ(shredder.Shred(empty.c_str()), 0);
  EXPECT_TRUE(writer.writes.empty());
  EXPECT_FALSE(Exists(empty));

  EXPECT_EQ(shredder.Shred(readOnly.c_str()), 3000);
  ASSERT_EQ(host.overwrites.size(), 2u);
  EXPECT_EQ(host.overwrites[1].content, Fill(3000, '\xFE'));
  EXPECT_FALSE(Exists(readOnly));
  EXPECT_TRUE(host.prompts.empty());
}

TEST_F(ShredTest, FoldersGoAfterTheirContentsAndNoTemporaryNameStays) {
  Make("top\\a.txt", 10);
  Make("top\\sub\\b.txt", 70000);
  Make("top\\sub\\deeper\\c.txt", 1);
  Folder("top\\empty");
  Make("top\\sub\\deeper\\read-only\\d.txt", 5);
  SetFileAttributesA((scratch / "top\\sub\\deeper\\read-only").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::string single = Make("single.txt", 512);
  Add(scratch / "top");
  Add(single);

  ASSERT_TRUE(Run());
  EXPECT_FALSE(Exists(scratch / "top"));
  EXPECT_FALSE(Exists(single));
  // Nothing at all is left, KX*.tmp names included.
  EXPECT_TRUE(kxtest::Listing(scratch.Path()).empty());
  EXPECT_EQ(host.overwrites.size(), 5u);
  EXPECT_EQ(job.totalBytes, 10u + 70000u + 1u + 5u + 512u);
  EXPECT_EQ(job.doneBytes, job.totalBytes);
  // The folder label names the folder of the file being destroyed.
  EXPECT_NE(std::find(host.folderLabels.begin(), host.folderLabels.end(),
                      FormatWithArgs(Text("InFolder").c_str(), "deeper")),
            host.folderLabels.end());
  EXPECT_TRUE(host.prompts.empty());
}

TEST_F(ShredTest, FilesThatChangedSizeSincePreparationAreHandledWhole) {
  const std::string grown = Make("grown.bin", 100);
  const std::string shrunk = Make("shrunk.bin", 70000);
  Add(grown);
  Add(shrunk);
  ASSERT_TRUE(Prepare(job));
  ASSERT_TRUE(WriteBytes(grown, Fill(66000, 'g')));
  ASSERT_TRUE(WriteBytes(shrunk, Fill(10, 's')));
  EXPECT_TRUE(Shredder(job).Delete());
  ASSERT_EQ(host.overwrites.size(), 2u);
  EXPECT_EQ(host.overwrites[0].content + host.overwrites[1].content, Fill(66000 + 10, '\xFE'));
  // Topped up to the prepared size, so the bar reaches its end.
  EXPECT_GE(job.doneBytes, job.totalBytes);
  EXPECT_FALSE(Exists(grown));
  EXPECT_FALSE(Exists(shrunk));
}

TEST_F(ShredTest, ADriveRootIsNeverRemoved) {
  for (const char* root : {"C:\\", "C:", "Z:\\"}) {
    EXPECT_TRUE(Remove(root, job, true)) << root;
    EXPECT_TRUE(IsDirectory(root)) << root;
  }
  EXPECT_TRUE(host.prompts.empty());
}

TEST_F(ShredTest, AnItemWhoseRemovalIsRefusedWaitsUnderATemporaryNameAndGetsItsOwnBack) {
  // A folder that is not empty cannot go: the refusal comes after the item
  // was opened, checked and renamed.
  const std::string folder = Folder("box");
  const std::string inner = Make("box\\inner.txt", 10, 'i');
  std::vector<std::string> namesAtPrompt;
  host.beforeAnswer = [&](const kxtest::ScriptedHost::Prompt&) {
    namesAtPrompt = kxtest::Listing(scratch.Path());
  };
  host.answers = {kAnswerSkip};
  EXPECT_FALSE(Remove(folder.c_str(), job, true));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].message, Text("ErrDelFolder"));
  EXPECT_EQ(host.prompts[0].path, folder);
  ASSERT_EQ(namesAtPrompt.size(), 1u);
  const std::string& name = namesAtPrompt[0];
  EXPECT_TRUE(name.size() == 12 && name.rfind("KX", 0) == 0 && name.ends_with(".tmp")) << name;
  // Skipped: back under its own name, contents whole.
  EXPECT_EQ(ReadBytes(inner), Fill(10, 'i'));
  EXPECT_EQ(kxtest::Listing(scratch.Path()), std::vector<std::string>{"box"});

  // Try Again once it is empty works on the same item, wherever it is.
  host.prompts.clear();
  host.beforeAnswer = [&](const kxtest::ScriptedHost::Prompt&) {
    for (const std::string& name : kxtest::Listing(scratch.Path()))
      DeleteFileA((scratch / (name + "\\inner.txt")).c_str());
  };
  host.answers = {kAnswerTryAgain};
  EXPECT_TRUE(Remove(folder.c_str(), job, true));
  EXPECT_EQ(host.prompts.size(), 1u);
  EXPECT_TRUE(kxtest::Listing(scratch.Path()).empty());
}

TEST_F(ShredTest, ALockedFileIsSkippedAndItsFolderStays) {
  const std::string locked = Make("a\\locked.txt", 100, 's');
  const std::string other = Make("a\\other.txt", 100);
  Make("b\\x.txt", 100);
  Add(scratch / "a");
  Add(scratch / "b");
  Lock lock(locked);
  ASSERT_TRUE(lock.Held());
  host.answers = {kAnswerSkip};

  EXPECT_FALSE(Run());
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].message, Text("ErrDelFile"));
  EXPECT_EQ(host.prompts[0].path, locked);
  EXPECT_EQ(host.prompts[0].code, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  lock.Release();
  EXPECT_EQ(ReadBytes(locked), Fill(100, 's'));
  EXPECT_TRUE(Exists(scratch / "a"));
  EXPECT_FALSE(Exists(other));
  EXPECT_FALSE(Exists(scratch / "b"));
  EXPECT_EQ(job.doneBytes, job.totalBytes);  // the bar still reaches its end
}

TEST_F(ShredTest, TryAgainAfterTheOtherProgramLetGoDestroysTheFile) {
  const std::string locked = Make("a\\locked.txt", 100);
  Add(scratch / "a");
  Lock lock(locked);
  host.beforeAnswer = [&](const kxtest::ScriptedHost::Prompt&) { lock.Release(); };
  host.answers = {kAnswerTryAgain};

  EXPECT_TRUE(Run());
  EXPECT_EQ(host.prompts.size(), 1u);
  EXPECT_FALSE(Exists(scratch / "a"));
}

TEST_F(ShredTest, SkipAllSilencesTheRestOfItsOwnJobOnly) {
  const std::string first = Make("a\\one.txt", 10);
  const std::string second = Make("b\\two.txt", 10);
  Add(scratch / "a");
  Add(scratch / "b");
  Lock lockFirst(first), lockSecond(second);
  host.answers = {kAnswerSkipAll};
  EXPECT_FALSE(Run());
  EXPECT_EQ(host.prompts.size(), 1u);
  EXPECT_TRUE(Exists(first));
  EXPECT_TRUE(Exists(second));

  // The next job asks again.
  DeleteJob next;
  NewJob(next);
  Add(second, &next);
  host.answers = {kAnswerSkip};
  EXPECT_FALSE(Run(nullptr, &next));
  ReleaseJob(next);
  EXPECT_EQ(host.prompts.size(), 2u);

  // Skipping errors by the settings: nothing is asked, nothing is destroyed.
  DeleteJob quiet;
  NewJob(quiet);
  quiet.settings.skipErrors = 1;
  Add(second, &quiet);
  EXPECT_FALSE(Run(nullptr, &quiet));
  ReleaseJob(quiet);
  EXPECT_EQ(host.prompts.size(), 2u);
  EXPECT_TRUE(Exists(second));
}

TEST_F(ShredTest, CancelStopsTheJobAndLeavesTheRestUntouched) {
  // Top-level items are destroyed in the reverse of the order they were added.
  const std::string third = Make("third.txt", 100, '3');
  const std::string second = Make("second.txt", 100, '2');
  const std::string first = Make("first.txt", 100, '1');
  Add(third);
  Add(second);
  Add(first);
  Lock lock(first);
  host.answers = {kAnswerCancel};
  EXPECT_FALSE(Run());
  EXPECT_TRUE(host.cancelled);
  EXPECT_EQ(host.prompts.size(), 1u);
  lock.Release();
  EXPECT_EQ(ReadBytes(first), Fill(100, '1'));
  EXPECT_EQ(ReadBytes(second), Fill(100, '2'));
  EXPECT_EQ(ReadBytes(third), Fill(100, '3'));
}

TEST_F(ShredTest, CancelInsideAFileLeavesItAtItsNameAndLength) {
  const std::string later = Make("later.txt", 100, 'l');
  const std::string big = Make("big.bin", 3 * 65024 + 10, 'b');
  Add(later);
  Add(big);
  RecordingWriter writer;
  host.atReport = [&](int) {
    if (writer.writes.size() == 1) host.cancelled = true;
  };
  EXPECT_FALSE(Run(&writer));
  EXPECT_EQ(writer.writes.size(), 1u);
  EXPECT_EQ(ReadBytes(big), Fill(65024, '\xFE') + Fill(2 * 65024 + 10, 'b'));
  EXPECT_EQ(ReadBytes(later), Fill(100, 'l'));
  EXPECT_TRUE(host.overwrites.empty());
}

TEST_F(ShredTest, AFailedWriteIsReportedAndTheFileKeepsItsNameAndLength) {
  const size_t size = 3 * 65024 + 100;
  const std::string file = Make("d\\data.bin", size, 'q');
  Add(scratch / "d");
  RecordingWriter writer;
  writer.failing = {2};
  host.answers = {kAnswerSkip};
  EXPECT_FALSE(Run(&writer));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].message, Text("ErrDelFile"));
  EXPECT_EQ(host.prompts[0].path, file);
  EXPECT_EQ(host.prompts[0].code, static_cast<uint32_t>(ERROR_DISK_FULL));
  // Never cut, never removed: the first chunk was overwritten, the rest is as it was.
  EXPECT_EQ(ReadBytes(file), Fill(65024, '\xFE') + Fill(size - 65024, 'q'));
  EXPECT_TRUE(host.overwrites.empty());
  EXPECT_TRUE(Exists(scratch / "d"));

  // Skip All by the settings: the same, without a prompt.
  DeleteJob quiet;
  NewJob(quiet);
  quiet.settings.skipErrors = 1;
  Add(file, &quiet);
  writer.writes.clear();
  EXPECT_FALSE(Run(&writer, &quiet));
  ReleaseJob(quiet);
  EXPECT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(ReadBytes(file).size(), size);

  // Try Again writes the same chunk again and the file is destroyed.
  DeleteJob retry;
  NewJob(retry);
  Add(file, &retry);
  writer.writes.clear();
  host.answers = {kAnswerTryAgain};
  EXPECT_TRUE(Run(&writer, &retry));
  ReleaseJob(retry);
  ASSERT_EQ(writer.writes.size(), 5u);
  EXPECT_EQ(writer.writes[1].offset, 65024u);
  EXPECT_EQ(writer.writes[2].offset, 65024u);
  EXPECT_EQ(host.overwrites.back().content, Fill(size, '\xFE'));
  EXPECT_FALSE(Exists(file));
}

#ifdef KX_ENGINE_LINK_DIR
// The link folder is laid out by a shell step before the tests (a Linux
// symbolic link to a folder shows as a directory reparse point under Wine):
//   outside\keep.txt, outside\deep\deep.txt   must survive byte for byte
//   empty-outside\                            must survive
//   sel\inner\doomed.txt                      goes
//   sel\inner\rel-link -> ../../outside       links in the selection
//   sel\abs-link -> <abs>/outside
//   sel\empty-link -> <abs>/empty-outside
//   top-link -> <abs>/outside                 a selected link
// Windows removes a link itself through a handle opened on the link. Wine 8
// cannot reach the link itself (every handle and every rename or removal by
// name acts on the target), so there each link must stay and be reported.
TEST_F(ShredTest, LinksAreRemovedOrReportedButNeverFollowed) {
  const std::string base = kxtest::WinePath(KX_ENGINE_LINK_DIR);
  const std::string keep = ReadBytes(base + "\\outside\\keep.txt");
  const std::string deep = ReadBytes(base + "\\outside\\deep\\deep.txt");
  ASSERT_EQ(keep, "keep me\n");
  ASSERT_EQ(deep, "deep inside\n");
  DWORD attributes = GetFileAttributesA((base + "\\sel\\abs-link").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);

  Add(base + "\\sel");
  Add(base + "\\top-link");
  host.answers.assign(8, kAnswerSkip);
  const bool result = Run();

  // Nothing behind a link was touched.
  EXPECT_EQ(ReadBytes(base + "\\outside\\keep.txt"), keep);
  EXPECT_EQ(ReadBytes(base + "\\outside\\deep\\deep.txt"), deep);
  EXPECT_EQ(kxtest::Listing(base + "\\outside").size(), 2u);
  EXPECT_TRUE(IsDirectory((base + "\\empty-outside").c_str()));
  // Only the one real file was overwritten, and it is gone.
  ASSERT_EQ(host.overwrites.size(), 1u);
  EXPECT_EQ(host.overwrites[0].path, base + "\\sel\\inner\\doomed.txt");
  EXPECT_FALSE(Exists(base + "\\sel\\inner\\doomed.txt"));

  // Each link is either gone or was reported, with the right message.
  const char* links[] = {"sel\\inner\\rel-link", "sel\\abs-link", "sel\\empty-link", "top-link"};
  size_t reported = 0, reportedInSel = 0;
  for (const char* link : links) {
    const std::string path = base + "\\" + link;
    auto prompt = std::find_if(host.prompts.begin(), host.prompts.end(),
                               [&](const auto& p) { return p.path == path; });
    if (prompt == host.prompts.end()) {
      EXPECT_FALSE(Exists(path)) << link;
    } else {
      ++reported;
      if (std::strncmp(link, "sel", 3) == 0) ++reportedInSel;
      EXPECT_TRUE(Exists(path)) << link;
      EXPECT_EQ(prompt->message, Text("ErrDelFolder")) << link;
    }
  }
  EXPECT_EQ(host.prompts.size(), reported);  // no other failures
  EXPECT_EQ(result, reported == 0);
  // A folder holding a link that stayed stays too.
  EXPECT_EQ(Exists(base + "\\sel"), reportedInSel > 0);
  // No temporary names anywhere.
  EXPECT_TRUE(kxtest::Listing(base, "KX*.tmp").empty());
  EXPECT_TRUE(kxtest::Listing(base + "\\sel", "KX*.tmp").empty());
  EXPECT_TRUE(kxtest::Listing(base + "\\sel\\inner", "KX*.tmp").empty());
}
#endif

namespace {

const kxtest::ScriptedHost::Prompt* PromptFor(const kxtest::ScriptedHost& host,
                                              const std::string& path) {
  for (const auto& prompt : host.prompts)
    if (prompt.path == path) return &prompt;
  return nullptr;
}

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

}  // namespace

TEST_F(ShredTest, AFileWithOtherNamesIsNeverOverwrittenAndAsksUntilAnswered) {
  const std::string outside = Make("outside\\shared.txt", 700, 's');
  Folder("sel");
  const std::string inside = scratch / "sel\\shared.txt";
  ASSERT_TRUE(CreateHardLinkA(inside.c_str(), outside.c_str(), nullptr));
  const std::string other = Make("sel\\plain.txt", 10);
  Add(scratch / "sel");
  // Try Again asks again while the other name is there; Skip keeps the file.
  host.answers = {kAnswerTryAgain, kAnswerSkip};
  EXPECT_FALSE(Run());

  EXPECT_EQ(ReadBytes(outside), Fill(700, 's'));
  EXPECT_EQ(ReadBytes(inside), Fill(700, 's'));
  EXPECT_FALSE(Exists(other));
  EXPECT_TRUE(Exists(scratch / "sel"));
  ASSERT_EQ(host.prompts.size(), 2u);
  for (const auto& prompt : host.prompts) {
    EXPECT_EQ(prompt.path, inside);
    EXPECT_EQ(prompt.code, kReasonOtherNames);
    EXPECT_EQ(prompt.message, Text("ErrDelFile"));
  }
  ASSERT_NE(OwnReasonKey(kReasonOtherNames), nullptr);
  EXPECT_NE(Text(OwnReasonKey(kReasonOtherNames)), "");
  // Only the plain file was overwritten.
  ASSERT_EQ(host.overwrites.size(), 1u);
  EXPECT_EQ(host.overwrites[0].path, other);
  EXPECT_FALSE(host.cancelled);

  // Once the other name has gone, Try Again destroys the file.
  ReleaseJob(job);
  NewJob(job);
  host.prompts.clear();
  host.beforeAnswer = [&](const kxtest::ScriptedHost::Prompt&) { DeleteFileA(outside.c_str()); };
  host.answers = {kAnswerTryAgain};
  Add(scratch / "sel");
  EXPECT_TRUE(Run());
  EXPECT_FALSE(Exists(inside));
  EXPECT_EQ(host.prompts.size(), 1u);

  // Cancel keeps it as well, and ends the job.
  const std::string second = Make("again\\f.txt", 30, 'q');
  ASSERT_TRUE(CreateHardLinkA((scratch / "again\\g.txt").c_str(), second.c_str(), nullptr));
  ReleaseJob(job);
  NewJob(job);
  host.beforeAnswer = nullptr;
  host.answers = {kAnswerCancel};
  Add(second);
  EXPECT_FALSE(Run());
  EXPECT_TRUE(host.cancelled);
  EXPECT_EQ(ReadBytes(scratch / "again\\g.txt"), Fill(30, 'q'));
}

TEST_F(ShredTest, AFailedFlushIsAFailedStepAndTheFileStays) {
  const std::string path = Make("flush\\a.txt", 70000, 'f');
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  const DWORD before = AttributesOf(path);
  RecordingWriter writer;
  writer.failingFlushes = 1;
  host.answers = {kAnswerSkip};
  Add(path);
  EXPECT_FALSE(Run(&writer));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].code, DWORD(ERROR_DISK_FULL));
  EXPECT_EQ(host.prompts[0].message, Text("ErrDelFile"));
  // Overwritten, but neither cut nor removed, and read-only again.
  EXPECT_EQ(ReadBytes(path).size(), 70000u);
  EXPECT_EQ(AttributesOf(path), before);
  EXPECT_TRUE(host.removed.empty());

  // Try Again flushes again and the file goes.
  ReleaseJob(job);
  NewJob(job);
  host.prompts.clear();
  writer.failingFlushes = 1;
  host.answers = {kAnswerTryAgain};
  Add(path);
  EXPECT_TRUE(Run(&writer));
  EXPECT_EQ(host.prompts.size(), 1u);
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(host.removed, std::vector<std::string>{path});
}

TEST_F(ShredTest, ASkippedFileKeepsTheAttributesThatWereClearedForIt) {
  const std::string path = Make("attr\\held.txt", 100, 'h');
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  const DWORD before = AttributesOf(path);
  ASSERT_TRUE(before & FILE_ATTRIBUTE_READONLY);
  Lock lock(path);
  ASSERT_TRUE(lock.Held());
  host.answers = {kAnswerSkip};
  Add(path);
  EXPECT_FALSE(Run());
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].code, DWORD(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(AttributesOf(path), before);
  lock.Release();
  EXPECT_EQ(ReadBytes(path), Fill(100, 'h'));
}

#ifdef KX_ENGINE_LINK_DIR
// files\sel\rel.txt, files\sel\abs.txt and files\top.txt are Linux links to
// files in files\outside, which Wine shows as the files themselves: only the
// handle's final path tells where they lead.
TEST_F(ShredTest, ALinkToAFileOutsideIsReportedAndWhatItLeadsToStaysWhole) {
  const std::string base = kxtest::WinePath(KX_ENGINE_LINK_DIR) + "\\files";
  ASSERT_EQ(ReadBytes(base + "\\outside\\keep.txt"), "outside file\n");
  ASSERT_EQ(ReadBytes(base + "\\outside\\top.txt"), "top target\n");
  ASSERT_FALSE(AttributesOf(base + "\\sel\\rel.txt") & FILE_ATTRIBUTE_REPARSE_POINT);
  Add(base + "\\sel");
  Add(base + "\\top.txt");
  host.answers.assign(3, kAnswerSkip);
  EXPECT_FALSE(Run());

  EXPECT_EQ(ReadBytes(base + "\\outside\\keep.txt"), "outside file\n");
  EXPECT_EQ(ReadBytes(base + "\\outside\\top.txt"), "top target\n");
  EXPECT_EQ(kxtest::Listing(base + "\\outside").size(), 2u);
  EXPECT_FALSE(Exists(base + "\\sel\\real.txt"));
  ASSERT_EQ(host.overwrites.size(), 1u);
  for (const char* link : {"\\sel\\rel.txt", "\\sel\\abs.txt", "\\top.txt"}) {
    const auto* prompt = PromptFor(host, base + link);
    ASSERT_NE(prompt, nullptr) << link;
    EXPECT_EQ(prompt->code, kReasonOutsideSelection) << link;
    EXPECT_EQ(prompt->message, Text("ErrDelFile")) << link;
    EXPECT_TRUE(Exists(base + link)) << link;
  }
  EXPECT_EQ(host.prompts.size(), 3u);
  EXPECT_TRUE(kxtest::Listing(base + "\\sel", "KX*.tmp").empty());
  EXPECT_TRUE(kxtest::Listing(base + "\\outside", "KX*.tmp").empty());
}

// A folder of the walked tree, and a selected folder itself, are swapped for
// links to swap\outside between the walk and the deletion.
TEST_F(ShredTest, AFolderSwappedForALinkAfterTheWalkIsAFailedStepNeverAWriteOutside) {
  const std::string base = kxtest::WinePath(KX_ENGINE_LINK_DIR) + "\\swap";
  auto make = [](const std::string& path, const std::string& content) {
    CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(path, content)) << path;
  };
  CreateDirectoryA((base + "\\sel").c_str(), nullptr);
  CreateDirectoryA((base + "\\sel\\inner").c_str(), nullptr);
  make(base + "\\sel\\inner\\a.txt", "walked a\n");
  make(base + "\\sel\\inner\\sub\\b.txt", "walked b\n");
  make(base + "\\sel\\c.txt", "walked c\n");
  CreateDirectoryA((base + "\\box").c_str(), nullptr);
  make(base + "\\box\\sel\\a.txt", "boxed a\n");
  Add(base + "\\sel");
  Add(base + "\\box\\sel");
  // Only real folders are moved: under Wine a rename of a link moves what
  // it leads to.
  host.betweenPasses = [&] {
    ASSERT_TRUE(MoveFileA((base + "\\sel").c_str(), (base + "\\sel-walked").c_str()));
    ASSERT_TRUE(MoveFileA((base + "\\shadow").c_str(), (base + "\\sel").c_str()));
    ASSERT_TRUE(MoveFileA((base + "\\box").c_str(), (base + "\\box-walked").c_str()));
    ASSERT_TRUE(MoveFileA((base + "\\box-shadow").c_str(), (base + "\\box").c_str()));
  };
  host.answers.assign(6, kAnswerSkip);
  EXPECT_FALSE(Run());

  EXPECT_EQ(ReadBytes(base + "\\outside\\a.txt"), "swap a\n");
  EXPECT_EQ(ReadBytes(base + "\\outside\\sub\\b.txt"), "swap b\n");
  EXPECT_EQ(kxtest::Listing(base + "\\outside").size(), 2u);
  EXPECT_EQ(kxtest::Listing(base + "\\outside\\sub").size(), 1u);
  // What was walked and moved away is outside the selection now, too.
  EXPECT_EQ(ReadBytes(base + "\\sel-walked\\inner\\a.txt"), "walked a\n");
  EXPECT_EQ(ReadBytes(base + "\\sel-walked\\inner\\sub\\b.txt"), "walked b\n");
  EXPECT_EQ(ReadBytes(base + "\\sel-walked\\c.txt"), "walked c\n");
  EXPECT_EQ(ReadBytes(base + "\\box-walked\\sel\\a.txt"), "boxed a\n");
  EXPECT_TRUE(host.overwrites.empty());
  // The swapped folders were reported, and stay with the links in them.
  EXPECT_NE(PromptFor(host, base + "\\sel\\inner"), nullptr);
  EXPECT_NE(PromptFor(host, base + "\\box\\sel"), nullptr);
  EXPECT_TRUE(Exists(base + "\\sel\\inner"));
  EXPECT_FALSE(host.prompts.empty());
  for (const auto& prompt : host.prompts) EXPECT_NE(prompt.path.find(base), std::string::npos);
}
#endif

// Names that the system's path parsing rewrites ("report." and "report "
// become "report") are destroyed as themselves, or reported and kept where
// the system cannot tell their exact names from a handle (Wine gives the
// twin's name for them); their twins stay whole either way.
TEST_F(ShredTest, ATrailingDotOrSpaceNamesItsOwnItemAndNeverItsTwin) {
  const std::string plain = Make("twins\\report", 300, 'p');
  const std::string dotted = Make("twins\\report.", 70000, 'd');
  const std::string spaced = Make("twins\\report ", 20, 's');
  const std::string keptFolder = Make("twins\\folder\\keep.txt", 40, 'k');
  Folder("twins\\folder.");
  Make("twins\\folder.\\gone.txt", 50, 'g');
  const std::vector<std::pair<std::string, std::string>> chosen = {
      {dotted, Fill(70000, 'd')}, {spaced, Fill(20, 's')}, {scratch / "twins\\folder.", ""}};
  for (const auto& item : chosen) Add(item.first);
  host.answers.assign(3, kAnswerSkip);
  Run();

  EXPECT_EQ(ReadBytes(plain), Fill(300, 'p'));
  EXPECT_EQ(ReadBytes(keptFolder), Fill(40, 'k'));
  EXPECT_EQ(kxtest::Listing(scratch / "twins\\folder").size(), 1u);
  for (const auto& [path, content] : chosen) {
    if (!Exists(path)) continue;
    EXPECT_NE(PromptFor(host, path), nullptr) << path << " stayed without a word";
    if (!content.empty()) EXPECT_EQ(ReadBytes(path), content) << path;
  }
  for (const auto& overwrite : host.overwrites)
    EXPECT_NE(overwrite.content.size(), 300u) << "the twin was overwritten";
  EXPECT_TRUE(kxtest::Listing(scratch / "twins", "KX*").empty());
}

// The folder a selected item lies in is replaced by another one between the
// confirmation and the work: the item is another one now and not touched.
TEST_F(ShredTest, AnItemWhoseFolderWasReplacedAfterTheConfirmationIsNotTouched) {
  Folder("box");
  Folder("other");
  Make("box\\sel\\a.txt", 30, 'c');
  Make("other\\sel\\a.txt", 30, 'o');
  Add(scratch / "box\\sel");
  TakeChosenIdentities(job);
  ASSERT_TRUE(MoveFileA((scratch / "box").c_str(), (scratch / "box-then").c_str()));
  ASSERT_TRUE(MoveFileA((scratch / "other").c_str(), (scratch / "box").c_str()));
  host.answers = {kAnswerSkip};
  Run();

  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].code, kReasonChanged);
  EXPECT_EQ(ReadBytes(scratch / "box\\sel\\a.txt"), Fill(30, 'o'));
  EXPECT_EQ(ReadBytes(scratch / "box-then\\sel\\a.txt"), Fill(30, 'c'));
  EXPECT_TRUE(host.overwrites.empty());
}

// A file with another name keeps its attributes, which that name shares;
// an item that cannot get its name back after a refused removal says so.
TEST_F(ShredTest, OtherNamesKeepTheirAttributesAndALostNameIsReported) {
  const std::string outside = Make("names\\outside.txt", 20, 'n');
  const std::string inside = scratch / "names\\inside.txt";
  ASSERT_TRUE(CreateHardLinkA(inside.c_str(), outside.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA(outside.c_str(), FILE_ATTRIBUTE_READONLY));
  host.answers = {kAnswerSkip};
  EXPECT_FALSE(Remove(inside.c_str(), job, false));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].code, kReasonOtherNames);
  EXPECT_TRUE(AttributesOf(outside) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Exists(inside));

  // The folder cannot go (not empty), and while the user decides its own
  // name is taken by something new.
  const std::string folder = Folder("lost");
  Make("lost\\inner.txt", 10, 'i');
  host.prompts.clear();
  host.beforeAnswer = [&](const kxtest::ScriptedHost::Prompt& prompt) {
    if (host.prompts.size() == 1) WriteBytes(folder, "newcomer");
  };
  host.answers = {kAnswerSkip, kAnswerSkip};
  EXPECT_FALSE(Remove(folder.c_str(), job, true));
  ASSERT_EQ(host.prompts.size(), 2u);
  EXPECT_EQ(host.prompts[1].message, Text("ErrRestoreName"));
  EXPECT_EQ(host.prompts[1].path, folder);
  EXPECT_EQ(ReadBytes(folder), "newcomer");
  EXPECT_EQ(kxtest::Listing(scratch.Path(), "KX*.tmp").size(), 1u);
}

#ifdef KX_ENGINE_LINK_DIR
// Case twins in a Linux folder are two items: the link in the selected "sel"
// to the unselected "Sel" leads outside, and "report.txt" beside the
// selected "Report.txt" is another file.
TEST_F(ShredTest, ACaseTwinOutsideTheSelectionIsAnotherItem) {
  const std::string base = kxtest::WinePath(KX_ENGINE_LINK_DIR) + "\\case";
  Add(base + "\\sel");
  Add(base + "\\Report.txt");
  host.answers = {kAnswerSkip};
  EXPECT_FALSE(Run());

  EXPECT_EQ(ReadBytes(base + "\\Sel\\precious.bin"), "precious\n");
  EXPECT_EQ(ReadBytes(base + "\\report.txt"), "neighbour\n");
  EXPECT_FALSE(Exists(base + "\\sel\\own.txt"));
  const auto* prompt = PromptFor(host, base + "\\sel\\lnk.bin");
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(prompt->code, kReasonOutsideSelection);
  EXPECT_EQ(host.prompts.size(), 1u);
  // Report.txt went by its own name.
  EXPECT_EQ(kxtest::Listing(base, "Report.txt"), std::vector<std::string>{"report.txt"});

  // An item in one of two case twins is not covered by the other twin.
  const std::string twins = kxtest::WinePath(KX_ENGINE_LINK_DIR) + "\\case2";
  ReleaseJob(job);
  NewJob(job);
  host.prompts.clear();
  Add(twins + "\\dir");
  ASSERT_NE(AddTopLevelItem(job, (twins + "\\Dir\\x.bin").c_str(), IsDirectory, SameOrInsideOnDisk),
            nullptr);
  EXPECT_TRUE(Run());
  EXPECT_EQ(kxtest::Listing(twins), std::vector<std::string>{"Dir"});
  EXPECT_EQ(kxtest::Listing(twins + "\\Dir"), std::vector<std::string>{"y.bin"});
  EXPECT_EQ(ReadBytes(twins + "\\Dir\\y.bin"), "stays\n");
}
#endif

TEST_F(ShredTest, NamedStreamsAreOverwrittenAndRemovedBeforeTheContents) {
  const std::string file = Make("data.bin", 3000, 'm');
  const std::string big = Make("data.bin.big", 70000, 'b');
  const std::string small = Make("data.bin.small", 10, 's');
  PlantedStreams streams;
  streams.names = {L":big:$DATA", L":small:$DATA"};
  PathRecordingWriter writer;
  Add(file);
  ASSERT_TRUE(Run(&writer, nullptr, &streams));
  EXPECT_TRUE(host.prompts.empty());
  EXPECT_FALSE(Exists(file));
  EXPECT_FALSE(Exists(big));
  EXPECT_FALSE(Exists(small));
  // Each stream whole, one after the other, and the contents last.
  std::vector<std::wstring> order;
  for (const std::wstring& path : writer.paths)
    if (order.empty() || order.back() != path) order.push_back(path);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_TRUE(order[0].ends_with(L"data.bin.big"));
  EXPECT_TRUE(order[1].ends_with(L"data.bin.small"));
  EXPECT_TRUE(order[2].ends_with(L"data.bin"));
  EXPECT_GE(writer.RunTo(order[0]), 70000);
  EXPECT_GE(writer.RunTo(order[1]), 10);
  // The file's own overwrite is the one reported.
  ASSERT_EQ(host.overwrites.size(), 1u);
  EXPECT_EQ(host.overwrites[0].content, Fill(3000, '\xFE'));
}

TEST_F(ShredTest, AStreamThatFailsOrLeadsElsewhereIsAFailedStepForItsFile) {
  const std::string file = Make("d\\doc.txt", 5000, 'm');
  const std::string planted = Make("d\\doc.txt.extra", 700, 'x');
  PlantedStreams streams;
  streams.names = {L":extra:$DATA"};

  // A write into the stream fails: the file is asked about under its own
  // name, and skipped it keeps its contents, its name and its stream.
  RecordingWriter writer;
  writer.failing = {1};
  host.answers = {kAnswerSkip};
  Add(file);
  EXPECT_FALSE(Run(&writer, nullptr, &streams));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].message, Text("ErrDelFile"));
  EXPECT_EQ(host.prompts[0].path, file);
  EXPECT_EQ(host.prompts[0].code, static_cast<uint32_t>(ERROR_DISK_FULL));
  EXPECT_EQ(writer.writes.size(), 1u);
  EXPECT_EQ(ReadBytes(file), Fill(5000, 'm'));
  EXPECT_TRUE(Exists(planted));

  // A stream whose handle reached another file is never written; Skip
  // keeps both.
  auto again = [&](int answer) {
    DeleteJob next;
    NewJob(next);
    Add(file, &next);
    host.prompts.clear();
    host.answers = {answer};
    writer.writes.clear();
    writer.failing.clear();
    const bool done = Run(&writer, &next, &streams);
    ReleaseJob(next);
    return done;
  };
  streams.vouch = false;
  EXPECT_FALSE(again(kAnswerSkip));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].path, file);
  EXPECT_EQ(host.prompts[0].code, kReasonOutsideSelection);
  EXPECT_TRUE(writer.writes.empty());
  EXPECT_EQ(ReadBytes(planted), Fill(700, 'x'));
  EXPECT_EQ(ReadBytes(file), Fill(5000, 'm'));

  // A listing that fails asks too; Try Again lists afresh and goes on.
  streams.vouch = true;
  streams.listFailures = 1;
  EXPECT_TRUE(again(kAnswerTryAgain));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].code, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(Exists(file));
  EXPECT_FALSE(Exists(planted));
}

TEST_F(ShredTest, WithoutAListOfStreamsTheUsualOneIsTriedAndAnotherFileOfItsNameStaysWhole) {
  // Wine lists no streams, and takes "name:stream" for a file of that name:
  // the system's own access tries the usual stream, finds another file and
  // leaves it alone.
  const std::string file = Make("download.exe", 2000, 'm');
  std::vector<std::wstring> listed;
  bool guessed = false;
  engine::StreamAccess system;
  EXPECT_EQ(system.List(kxtest::FileName(file), listed, guessed),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(guessed);
  EXPECT_EQ(listed, std::vector<std::wstring>{L":Zone.Identifier"});

  ASSERT_TRUE(WriteBytes(file + ":Zone.Identifier", "[ZoneTransfer]"));
  const std::string twin = ReadBytes(file + ":Zone.Identifier");
  ASSERT_EQ(twin, "[ZoneTransfer]");
  Add(file);
  EXPECT_TRUE(Run());
  EXPECT_TRUE(host.prompts.empty());
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadBytes(file + ":Zone.Identifier"), twin);
}

TEST_F(ShredTest, ATemporaryNameCoversTheWholeOfTheNameItReplaces) {
  const std::wstring folder = L"\\\\?\\Z:\\data\\";
  for (const std::wstring& name : std::vector<std::wstring>{L"a.txt", L"Quarterly-Ledger-2026.xlsx",
                                                            std::wstring(255, L'n')}) {
    const std::wstring temporary = engine::TemporaryNameBeside(folder + name, 0xABC123);
    ASSERT_TRUE(temporary.starts_with(folder + L"KXABC123")) << temporary.c_str();
    EXPECT_TRUE(temporary.ends_with(L".tmp"));
    EXPECT_EQ(temporary.size() - folder.size(), std::max<size_t>(name.size(), 12));
    // Another number, another name.
    EXPECT_NE(engine::TemporaryNameBeside(folder + name, 0xABC124), temporary);
  }
}

namespace {

// Whether a file was named or unnamed right in a folder (not below it) since
// the watch began, as far as the system tells within a moment.
class NameWatch {
 public:
  explicit NameWatch(const std::string& folder)
      : handle_(FindFirstChangeNotificationW(kxtest::FileName(folder).c_str(), FALSE,
                                             FILE_NOTIFY_CHANGE_FILE_NAME)) {}
  ~NameWatch() {
    if (handle_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(handle_);
  }
  bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Changed() const { return WaitForSingleObject(handle_, 500) == WAIT_OBJECT_0; }

 private:
  HANDLE handle_;
};

}  // namespace

// The files that overwrite the slack of an emptied folder's index are laid
// through the folder's handle: none lands beside it, none takes the place of
// a file it holds, and none stays.
TEST_F(ShredTest, ScrubFilesAreLaidInsideTheFolderOnlyAndNoneStays) {
  const std::string folder = Folder("scrubbed");
  const std::string kept = Make("scrubbed\\kept.txt", 7, 'k');
  kx::FileHandle handle(CreateFileW(kxtest::FileName(folder).c_str(),
                                    FILE_TRAVERSE | FILE_ADD_FILE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  ASSERT_TRUE(handle);
  NameWatch inside(folder), beside(scratch.Path());
  ASSERT_TRUE(inside.Ok() && beside.Ok());
  const std::vector<std::wstring> names = {L"KX000001FFFF.tmp",
                                           L"KX000002" + std::wstring(243, L'F') + L".tmp",
                                           L"KEPT.TXT", L"..\\escaped.tmp"};
  EXPECT_EQ(engine::ScrubFolderIndex(handle.Get(), names), 2u);
  EXPECT_TRUE(inside.Changed());
  EXPECT_FALSE(beside.Changed());
  EXPECT_EQ(kxtest::Listing(folder), std::vector<std::string>{"kept.txt"});
  EXPECT_EQ(ReadBytes(kept), Fill(7, 'k'));
  handle.Reset();

  // The pass lays them in every folder it empties, and only there.
  const std::string box = Folder("box");
  Make("box\\top\\Quarterly-Ledger-2026.xlsx", 10);
  Make("box\\top\\sub\\b.txt", 5);
  Add(box + "\\top");
  NameWatch around(box);
  ASSERT_TRUE(around.Ok());
  ASSERT_TRUE(Run());
  EXPECT_FALSE(around.Changed());
  EXPECT_TRUE(kxtest::Listing(box).empty());
  EXPECT_TRUE(host.prompts.empty());
}
