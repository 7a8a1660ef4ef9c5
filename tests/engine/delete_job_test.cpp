#include "engine/delete_job.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct JobFixture : ::testing::Test {
  DeleteJob job;
  JobFixture() { BuildJob(job); }
  ~JobFixture() override { ReleaseJob(job); }

  std::vector<std::string> TopLevel() const {
    std::vector<std::string> paths;
    for (const DeleteItem* item = job.root.firstChild; item != nullptr; item = item->next) {
      paths.emplace_back(item->path);
    }
    return paths;
  }
};

bool AlwaysFolder(const char*) { return true; }

using TreeOps = JobFixture;

TEST_F(TreeOps, CoveredPathsAreDroppedButAFolderAddedLaterStaysBesideItsContent) {
  ASSERT_NE(AddTopLevelItem(job, "C:\\Data", AlwaysFolder), nullptr);
  EXPECT_EQ(AddTopLevelItem(job, "C:\\Data\\a.txt", nullptr), nullptr);
  EXPECT_EQ(AddTopLevelItem(job, "c:\\data", AlwaysFolder), nullptr);
  EXPECT_EQ(AddTopLevelItem(job, "c:\\DATA\\Sub\\b", nullptr), nullptr);
  EXPECT_NE(AddTopLevelItem(job, "C:\\Data2", AlwaysFolder), nullptr);
  EXPECT_EQ(TopLevel(), (std::vector<std::string>{"C:\\Data2", "C:\\Data"}));

  DeleteJob other;
  BuildJob(other);
  ASSERT_NE(AddTopLevelItem(other, "C:\\Data\\a.txt", nullptr), nullptr);
  DeleteItem* folder = AddTopLevelItem(other, "C:\\Data", AlwaysFolder);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->isFolder, 1);
  EXPECT_EQ(CountItems(other), 2u);
  ReleaseJob(other);
}

TEST_F(TreeOps, BeforeWalkingItemsInsideAnotherItemAndRepeatsAreDropped) {
  // Copies of a list are not checked on the way in; whatever order the user
  // chose, each path must be walked and destroyed once.
  for (const char* path : {"C:\\Data\\a.txt", "D:\\x", "C:\\Data", "d:\\X", "C:\\Data2",
                           "C:\\Data\\"}) {
    AddChild(job.root, path, 0, false);
  }
  DropNestedItems(job);
  EXPECT_EQ(TopLevel(), (std::vector<std::string>{"C:\\Data2", "d:\\X", "C:\\Data"}));
}

TEST_F(TreeOps, ARootOrTrailingBackslashCoversEverythingBelowIt) {
  ASSERT_NE(AddTopLevelItem(job, "D:\\", AlwaysFolder), nullptr);
  EXPECT_TRUE(IsCovered(job, "d:\\x\\y"));
  EXPECT_TRUE(IsCovered(job, "D:\\"));
  EXPECT_FALSE(IsCovered(job, "E:\\x"));
  EXPECT_FALSE(IsCovered(job, ""));
  EXPECT_EQ(AddTopLevelItem(job, "", nullptr), nullptr);
}

TEST_F(TreeOps, DoubleByteCharactersAreNeverSplitOrCaseFolded) {
  // 0x95 0x5C is one double-byte character whose second byte is a backslash:
  // "C:\<it>" is a folder, "C:\<it>abc" a sibling of it, not its content.
  const char folder[] = "C:\\\x95\x5C";
  ASSERT_NE(AddTopLevelItem(job, folder, AlwaysFolder), nullptr);
  EXPECT_FALSE(IsCovered(job, "C:\\\x95\x5C" "abc"));
  // Second bytes that look like ASCII letters are different characters.
  ASSERT_NE(AddTopLevelItem(job, "C:\\\x82\x61", nullptr), nullptr);
  EXPECT_FALSE(IsCovered(job, "C:\\\x82\x41"));
  EXPECT_TRUE(IsCovered(job, "c:\\\x82\x61"));
}

TEST_F(TreeOps, CopyKeepsTheUsersOrderSizesAndFlags) {
  AddTopLevelItem(job, "C:\\a", nullptr);
  AddTopLevelItem(job, "C:\\b", AlwaysFolder);
  AddTopLevelItem(job, "C:\\c", nullptr);
  job.root.firstChild->size = 7;  // c

  DeleteJob worker;
  BuildJob(worker);
  AddTopLevelItem(worker, "C:\\stale", nullptr);
  CopyItems(worker, job);
  std::vector<std::string> order;
  for (DeleteItem* item = worker.root.firstChild; item != nullptr; item = item->next) {
    order.emplace_back(item->path);
    EXPECT_EQ(item->job, &worker);
    EXPECT_EQ(item->parent, &worker.root);
    EXPECT_EQ(item->firstChild, nullptr);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"C:\\a", "C:\\b", "C:\\c"}));
  EXPECT_EQ(worker.root.firstChild->next->isFolder, 1);
  EXPECT_EQ(worker.root.firstChild->next->next->size, 7);

  char first[kMaxPathBytes + 1] = "";
  bool firstIsFolder = true;
  EXPECT_EQ(CountItems(worker, first, &firstIsFolder), 3u);
  EXPECT_STREQ(first, "C:\\a");
  EXPECT_FALSE(firstIsFolder);
  ReleaseJob(worker);
}

TEST_F(TreeOps, RemoveTopLevelItemRelinksTheListAndFreesTheSubtree) {
  DeleteItem* a = AddTopLevelItem(job, "C:\\a", AlwaysFolder);
  DeleteItem* b = AddTopLevelItem(job, "C:\\b", nullptr);
  DeleteItem* c = AddTopLevelItem(job, "C:\\c", nullptr);
  AddChild(*a, "C:\\a\\x", 3, false);  // freed with a (ASan would tell)
  EXPECT_FALSE(RemoveTopLevelItem(job, nullptr));

  EXPECT_TRUE(RemoveTopLevelItem(job, b));  // middle
  EXPECT_EQ(TopLevel(), (std::vector<std::string>{"C:\\c", "C:\\a"}));
  EXPECT_EQ(a->prev, c);
  EXPECT_TRUE(RemoveTopLevelItem(job, c));  // first
  EXPECT_EQ(job.root.firstChild, a);
  EXPECT_EQ(a->prev, nullptr);
  EXPECT_TRUE(RemoveTopLevelItem(job, a));  // last
  EXPECT_EQ(job.root.firstChild, nullptr);
  EXPECT_EQ(CountItems(job), 0u);
}

TEST_F(TreeOps, PathsOver260BytesAreNeverStored) {
  std::string path = "C:\\" + std::string(257, 'x');  // 260 bytes: fits
  DeleteItem* item = AddTopLevelItem(job, path.c_str(), nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(std::string(item->name), std::string(257, 'x'));
  path += 'y';  // 261
  EXPECT_EQ(AddTopLevelItem(job, path.c_str(), nullptr), nullptr);
  EXPECT_EQ(AddChild(*item, path.c_str(), 1, false), nullptr);
  EXPECT_EQ(CountItems(job), 1u);
}

TEST_F(TreeOps, TotalSizeSumsTheSubtreeAndFreeChildrenEmptiesIt) {
  DeleteItem* top = AddTopLevelItem(job, "C:\\t", AlwaysFolder);
  DeleteItem* sub = AddChild(*top, "C:\\t\\s", 0, true);
  AddChild(*sub, "C:\\t\\s\\f", 5000000000LL, false);
  AddChild(*top, "C:\\t\\g", 2, false);
  EXPECT_EQ(sub->job, &job);
  EXPECT_STREQ(sub->name, "s");
  EXPECT_EQ(TotalSize(*top), 5000000002LL);
  EXPECT_EQ(TotalSize(job.root), 5000000002LL);
  FreeChildren(*top);
  EXPECT_EQ(top->firstChild, nullptr);
  EXPECT_EQ(TotalSize(job.root), 0);
}

TEST_F(TreeOps, ClearIsRefusedWhileRunningAndOtherwiseLeavesAFreshJob) {
  AddTopLevelItem(job, "C:\\a", nullptr);
  job.fileCount = 4;
  job.settings.fillLength = 9;
  job.running = true;
  EXPECT_FALSE(ClearJob(job));
  EXPECT_EQ(CountItems(job), 1u);
  job.running = false;
  EXPECT_TRUE(ClearJob(job));
  EXPECT_EQ(CountItems(job), 0u);
  EXPECT_EQ(job.fileCount, 0u);
  EXPECT_EQ(job.root.job, &job);
  EXPECT_EQ(job.settings.fillLength, 1);
  // Items added after a clear still belong to the job.
  EXPECT_EQ(AddTopLevelItem(job, "C:\\b", nullptr)->job, &job);
}

TEST(ErrorAnswers, EachAnswerLeadsToItsStepAndOnlySkipAllSkipsTheRest) {
  uint8_t skipAll = 0;
  EXPECT_EQ(NextStepAfter(kAnswerTryAgain, skipAll), AfterError::kTryAgain);
  EXPECT_EQ(NextStepAfter(kAnswerSkip, skipAll), AfterError::kSkip);
  EXPECT_EQ(skipAll, 0);
  EXPECT_EQ(NextStepAfter(kAnswerCancel, skipAll), AfterError::kCancel);
  // A closed or failed prompt answers something else: never taken as a skip.
  for (int odd : {-1, 0, 1, 1033, 0x7FFFFFFF}) EXPECT_EQ(NextStepAfter(odd, skipAll), AfterError::kCancel) << odd;
  EXPECT_EQ(skipAll, 0);
  EXPECT_EQ(NextStepAfter(kAnswerSkipAll, skipAll), AfterError::kSkip);
  EXPECT_EQ(skipAll, 1);
}

}  // namespace
