// The preparation pass on real folders under Wine.
#include "engine/prepare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/shred_support.h"
#include "engine/shredder.h"
#include "lang/english_texts.h"
#include "lang/text_store.h"

namespace {

using kxtest::ScratchFolder;
using kxtest::ScriptedHost;
using kxtest::WriteBytes;

bool IsDir(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The tree that tests/engine/make-prepare-tree lays out before these tests.
// Wine shows the Linux root as drive Z:.
std::string Fixture(const char* name) {
  std::string path = "Z:" KX_PREPARE_TREE "/";
  path += name;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

const DeleteItem* Find(const DeleteItem& parent, const std::string& name) {
  for (const DeleteItem* child = parent.firstChild; child != nullptr; child = child->next) {
    if (name == child->name) return child;
  }
  return nullptr;
}

void CollectPaths(const DeleteItem& item, std::vector<std::string>& paths) {
  for (const DeleteItem* child = item.firstChild; child != nullptr; child = child->next) {
    paths.emplace_back(child->path);
    CollectPaths(*child, paths);
  }
}

class PrepareTest : public ::testing::Test {
 protected:
  DeleteJob job;
  ScriptedHost host;

  PrepareTest() {
    RegisterEnglishTexts(nullptr);
    BuildJob(job);
    job.host = &host;
  }
  ~PrepareTest() override { ReleaseJob(job); }

  void Add(const std::string& path) { AddTopLevelItem(job, path.c_str(), IsDir); }
};

TEST_F(PrepareTest, CountsEveryFileAndEndsWithTheTotalsInTheFolderLabel) {
  ScratchFolder scratch;
  std::string data = scratch / "data";
  CreateDirectoryA(data.c_str(), nullptr);
  CreateDirectoryA((data + "\\sub").c_str(), nullptr);
  CreateDirectoryA((scratch / "empty").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(data + "\\a", "1"));
  ASSERT_TRUE(WriteBytes(data + "\\b", "22"));
  ASSERT_TRUE(WriteBytes(data + "\\sub\\c", "333"));
  Add(data);
  Add(scratch / "empty");

  ASSERT_TRUE(Prepare(job));
  EXPECT_EQ(job.totalBytes, 6u);
  EXPECT_EQ(job.doneBytes, 6u);
  EXPECT_EQ(job.fileCount, 3u);
  EXPECT_EQ(TotalSize(job.root), 6);
  ASSERT_FALSE(host.fileLabels.empty());
  EXPECT_EQ(host.fileLabels.front(), "Preparing...Please wait.");
  ASSERT_FALSE(host.folderLabels.empty());
  EXPECT_EQ(host.folderLabels.back(), "Total 6.00 bytes found in 3 files.");

  const DeleteItem* empty = Find(job.root, "empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->isFolder, 1);
  EXPECT_EQ(empty->size, 0);
  EXPECT_EQ(empty->firstChild, nullptr);
  const DeleteItem* sub = Find(*Find(job.root, "data"), "sub");
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->isFolder, 1);
  ASSERT_NE(Find(*sub, "c"), nullptr);
  EXPECT_EQ(Find(*sub, "c")->size, 3);

  // Walking a prepared job again rebuilds the same tree and the same totals.
  std::vector<std::string> before;
  CollectPaths(job.root, before);
  ASSERT_TRUE(Prepare(job));
  std::vector<std::string> after;
  CollectPaths(job.root, after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(job.fileCount, 3u);
  EXPECT_EQ(job.totalBytes, 6u);
}

TEST_F(PrepareTest, ALinkToAFolderIsAnEmptyItemAndNothingBehindItIsListed) {
  Add(Fixture("tree"));
  Add(Fixture("tree\\link"));  // covered by the tree, dropped
  ASSERT_TRUE(Prepare(job));
  EXPECT_EQ(job.fileCount, 2u);  // one.txt and sub\two.txt
  EXPECT_EQ(job.totalBytes, 3u);
  ASSERT_EQ(CountItems(job), 1u);
  const DeleteItem* link = Find(*job.root.firstChild, "link");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->isFolder, 0);
  EXPECT_EQ(link->size, 0);
  EXPECT_EQ(link->firstChild, nullptr);
  // Nothing outside is reached, neither through the link nor through the
  // entry whose name holds backslashes.
  std::vector<std::string> paths;
  CollectPaths(job.root, paths);
  for (const std::string& path : paths) {
    EXPECT_EQ(path.find("keep"), std::string::npos) << path;
    EXPECT_EQ(path.find("big"), std::string::npos) << path;
  }

  // Chosen on its own, the link is still not entered.
  ClearJob(job);
  Add(Fixture("tree\\link"));
  ASSERT_TRUE(Prepare(job));
  ASSERT_EQ(CountItems(job), 1u);
  EXPECT_EQ(job.root.firstChild->firstChild, nullptr);
  EXPECT_EQ(job.root.firstChild->isFolder, 0);
  EXPECT_EQ(job.fileCount, 0u);
}

TEST_F(PrepareTest, ListingErrorsAskUntilSkipAllAndTheAnswersAreObeyed) {
  // Two folders that the system shows but cannot list, beside a file.
  auto run = [&](std::initializer_list<int> answers) {
    ClearJob(job);
    job.host = &host;
    host = ScriptedHost{};
    host.answers.assign(answers);
    Add(Fixture("unlistable"));
    return Prepare(job);
  };

  EXPECT_TRUE(run({kAnswerSkipAll}));
  ASSERT_EQ(host.prompts.size(), 1u);
  EXPECT_EQ(host.prompts[0].message, "Cannot get contents of '%1':\r\n\r\n%2");
  EXPECT_EQ(host.prompts[0].code, static_cast<uint32_t>(ERROR_INVALID_NAME));
  EXPECT_EQ(job.fileCount, 1u);
  EXPECT_EQ(job.totalBytes, 3u);
  EXPECT_EQ(job.skipAllListErrors, 1);
  // Skipped folders stay, without children, for the deletion pass to try.
  for (const char* name : {"p|q", "l<g"}) {
    const DeleteItem* folder = Find(*job.root.firstChild, name);
    ASSERT_NE(folder, nullptr) << name;
    EXPECT_EQ(folder->isFolder, 1);
    EXPECT_EQ(folder->firstChild, nullptr);
  }

  EXPECT_TRUE(run({kAnswerSkip, kAnswerSkip}));
  EXPECT_EQ(host.prompts.size(), 2u);
  EXPECT_NE(host.prompts[0].path, host.prompts[1].path);

  EXPECT_FALSE(run({kAnswerTryAgain, kAnswerCancel}));
  ASSERT_EQ(host.prompts.size(), 2u);
  EXPECT_EQ(host.prompts[0].path, host.prompts[1].path);
  EXPECT_TRUE(host.cancelled);

  // The settings can start a job with listing errors skipped.
  ClearJob(job);
  host = ScriptedHost{};
  job.host = &host;
  job.settings.skipErrors = 1;
  Add(Fixture("unlistable"));
  EXPECT_TRUE(Prepare(job));
  EXPECT_TRUE(host.prompts.empty());
}

TEST_F(PrepareTest, ATopLevelItemThatVanishedIsPassedOverAndTheOthersArePrepared) {
  ScratchFolder scratch;
  ASSERT_TRUE(WriteBytes(scratch / "kept.txt", "12345"));
  Add(scratch / "gone.txt");
  Add(scratch / "kept.txt");
  Add(scratch / "no-folder\\gone.txt");
  ASSERT_EQ(CountItems(job), 3u);

  ASSERT_TRUE(Prepare(job));
  EXPECT_TRUE(host.prompts.empty());
  ASSERT_EQ(CountItems(job), 1u);
  EXPECT_EQ(std::string(job.root.firstChild->path), scratch / "kept.txt");
  EXPECT_EQ(job.fileCount, 1u);
  EXPECT_EQ(job.totalBytes, 5u);
}

TEST_F(PrepareTest, ATopLevelItemThatCannotBeReadGoesToThePrompt) {
  ScratchFolder scratch;
  ASSERT_TRUE(WriteBytes(scratch / "kept.txt", "12"));
  std::string bad = scratch / "bad|name";
  Add(bad);
  Add(scratch / "kept.txt");

  host.answers = {kAnswerTryAgain, kAnswerSkip};
  ASSERT_TRUE(Prepare(job));
  ASSERT_EQ(host.prompts.size(), 2u);
  EXPECT_EQ(host.prompts[1].path, bad);
  EXPECT_EQ(host.prompts[1].message, "Cannot get contents of '%1':\r\n\r\n%2");
  EXPECT_NE(host.prompts[1].code, 0u);
  ASSERT_EQ(CountItems(job), 1u);
  EXPECT_EQ(job.totalBytes, 2u);

  ClearJob(job);
  host = ScriptedHost{};
  job.host = &host;
  Add(bad);
  Add(scratch / "kept.txt");
  host.answers = {kAnswerCancel};
  EXPECT_FALSE(Prepare(job));
  EXPECT_TRUE(host.cancelled);
}

TEST_F(PrepareTest, WhatTheWalkPassesOverIsReportedAsKeptButAVanishedItemIsNot) {
  JobReport report;
  job.report = &report;
  ScratchFolder scratch;
  ASSERT_TRUE(WriteBytes(scratch / "kept.txt", "12"));
  const std::string bad = scratch / "bad|name";
  Add(bad);
  Add(scratch / "gone.txt");
  Add(scratch / "kept.txt");
  // One unlistable folder is answered Skip All, the other passed over unasked.
  Add(Fixture("unlistable"));
  host.answers = {kAnswerSkip, kAnswerSkipAll};

  ASSERT_TRUE(Prepare(job));
  EXPECT_EQ(host.prompts.size(), 2u);
  ASSERT_EQ(report.kept.size(), 3u);
  const std::string inside = Fixture("unlistable") + "\\";
  EXPECT_EQ(report.kept[0].path.rfind(inside, 0), 0u) << report.kept[0].path;
  EXPECT_EQ(report.kept[1].path.rfind(inside, 0), 0u) << report.kept[1].path;
  EXPECT_NE(report.kept[0].path, report.kept[1].path);
  EXPECT_EQ(report.kept[1].code, static_cast<uint32_t>(ERROR_INVALID_NAME));
  EXPECT_EQ(report.kept[2].path, bad);
  for (const JobReport::Kept& kept : report.kept) EXPECT_EQ(kept.reason, KeptReason::kSkipped);
  EXPECT_FALSE(report.cancelled);
  job.report = nullptr;
}

TEST_F(PrepareTest, ACancelledJobStopsWalkingAtOnce) {
  ScratchFolder scratch;
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(WriteBytes(scratch / ("f" + std::to_string(i)), "x"));
  }
  Add(scratch.Path());
  host.atReport = [&](int report) {
    if (report == 6) host.cancelled = true;
  };
  EXPECT_FALSE(Prepare(job));
  EXPECT_LE(host.reports, 7);
  EXPECT_LT(job.fileCount, 40u);
}

// Paths near the limit are made through the wide functions, which take
// longer paths than the ANSI ones the engine uses.
std::wstring Long(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

bool WriteLong(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return written == content.size();
}

std::string ReadLong(const std::string& path) {
  HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[64] = {};
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

TEST_F(PrepareTest, EntriesUpToThePathLimitAreWalkedAndDestroyedAndOneBeyondItIsLeftAlone) {
  ScratchFolder scratch;
  const std::string folder = scratch.Path() + "\\" + std::string(250 - scratch.Path().size() - 1, 'd');
  ASSERT_EQ(folder.size(), 250u);
  ASSERT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr));
  const std::string at259 = folder + "\\" + std::string(8, 'a');
  const std::string at260 = folder + "\\" + std::string(9, 'b');
  const std::string beyond = folder + "\\" + std::string(10, 'c');
  ASSERT_TRUE(WriteLong(at259, "259"));
  ASSERT_TRUE(WriteLong(at260, "260!"));
  ASSERT_TRUE(WriteLong(beyond, "untouched"));
  Add(folder);

  ASSERT_TRUE(Prepare(job));
  std::vector<std::string> paths;
  CollectPaths(job.root, paths);
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{folder, at259, at260}));
  EXPECT_EQ(job.fileCount, 2u);
  EXPECT_EQ(job.totalBytes, 7u);

  Delete(job);
  EXPECT_EQ(ReadLong(at259), "<missing>");
  EXPECT_EQ(ReadLong(at260), "<missing>");
  // What the job could not name is not part of it; its folder stays for it.
  EXPECT_EQ(ReadLong(beyond), "untouched");
  DeleteFileW(Long(beyond).c_str());
  RemoveDirectoryW(Long(folder).c_str());
}

}  // namespace
