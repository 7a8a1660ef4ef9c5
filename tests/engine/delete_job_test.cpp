#include "engine/delete_job.h"

#include <gtest/gtest.h>

#include <iterator>
#include <list>
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

namespace {

// What the tree held when every item kept its whole path in a buffer of its
// own: the path exactly as given, the name part of it, and children in
// front of their older siblings. The compact tree must answer the same.
struct ModelItem {
  std::string path;
  std::string name;
  int64_t size = 0;
  bool folder = false;
  std::list<ModelItem> children;  // list order; stays where it is when others are added

  ModelItem* Add(const std::string& childPath, int64_t childSize, bool childFolder) {
    if (childPath.size() > kMaxPathBytes) return nullptr;
    ModelItem child;
    child.path = childPath;
    // The last component; a trailing backslash stays with the name.
    size_t cut = 0;
    for (size_t i = childPath.size(); i >= 2; --i) {
      if (childPath[i - 2] == '\\') {
        cut = i - 1;
        break;
      }
    }
    child.name = childPath.substr(cut);
    child.size = childSize;
    child.folder = childFolder;
    children.push_front(child);
    return &children.front();
  }
  ModelItem* AddNamed(const std::string& childName, int64_t childSize, bool childFolder) {
    if (childName.empty()) return nullptr;
    std::string joined = path;
    if (!joined.empty() && joined.back() != '\\') joined += '\\';
    return Add(joined + childName, childSize, childFolder);
  }
};

void ExpectSameTree(const DeleteItem& item, const ModelItem& model, const std::string& where) {
  size_t count = 0;
  const DeleteItem* previous = nullptr;
  auto next = model.children.begin();
  for (const DeleteItem* child = item.firstChild; child != nullptr; child = child->next) {
    ASSERT_LT(count, model.children.size()) << "more children than before under " << where;
    ++count;
    const ModelItem& expected = *next++;
    char copied[kMaxPathBytes + 1];
    ASSERT_TRUE(child->path.CopyTo(copied, sizeof copied));
    EXPECT_EQ(std::string(child->path), expected.path);
    EXPECT_EQ(std::string(copied), expected.path);
    EXPECT_EQ(child->path.Length(), expected.path.size());
    EXPECT_EQ(std::string(child->name), expected.name) << expected.path;
    EXPECT_EQ(child->size, expected.size) << expected.path;
    EXPECT_EQ(child->isFolder != 0, expected.folder) << expected.path;
    EXPECT_EQ(child->parent, &item);
    EXPECT_EQ(child->prev, previous);
    EXPECT_EQ(child->job, item.job);
    previous = child;
    ExpectSameTree(*child, expected, expected.path);
  }
  EXPECT_EQ(count, model.children.size()) << "children missing under " << where;
}

// A fixed sequence of pseudo-random choices, the same on every run.
struct Choices {
  uint32_t state = 12345;
  uint32_t Next(uint32_t below) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % below;
  }
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

struct Pair {
  DeleteItem* item;
  ModelItem* model;
};

// Adds children of every kind a caller can ask for below one folder: names
// from a listing (some reaching the 260-byte limit, some beyond it), paths
// that continue the folder's, and paths that do not.
void Grow(Pair at, Choices& choose, int depth, std::vector<Pair>& folders) {
  const int children = 2 + static_cast<int>(choose.Next(4));
  for (int i = 0; i < children; ++i) {
    const bool folder = depth < 3 && choose.Next(3) == 0;
    const int64_t size = choose.Next(100000);
    const size_t room = kMaxPathBytes - at.model->path.size();
    std::string name;
    switch (choose.Next(6)) {
      case 0:  // exactly at the limit, one below it, one beyond it
        name = Repeat('L', room > 1 ? room - 1 - choose.Next(2) + 1 : 1);
        if (choose.Next(2)) name += 'x';
        break;
      case 1:
        name = "n" + std::to_string(choose.Next(1000));
        break;
      default:
        name = "file " + std::to_string(i) + ".txt";
        break;
    }
    DeleteItem* item = nullptr;
    ModelItem* model = nullptr;
    switch (choose.Next(5)) {
      case 0: {  // a whole path that continues the parent's
        std::string joined = at.model->path;
        if (joined.back() != '\\') joined += '\\';
        joined += name;
        item = AddChild(*at.item, joined.c_str(), size, folder);
        model = at.model->Add(joined, size, folder);
        break;
      }
      case 1: {  // a path elsewhere, or one that only shares the first bytes
        std::string other = choose.Next(2) ? "E:\\elsewhere\\" + name : at.model->path + name;
        if (other.size() > kMaxPathBytes) other.resize(kMaxPathBytes);
        item = AddChild(*at.item, other.c_str(), size, folder);
        model = at.model->Add(other, size, folder);
        break;
      }
      default:
        item = AddNamedChild(*at.item, name.c_str(), size, folder);
        model = at.model->AddNamed(name, size, folder);
        break;
    }
    ASSERT_EQ(item == nullptr, model == nullptr) << at.model->path << " + " << name;
    if (item != nullptr && folder) {
      folders.push_back({item, model});
      Grow({item, model}, choose, depth + 1, folders);
    }
  }
}

TEST_F(TreeOps, TheCompactTreeAnswersThePathsOrderAndCountsOfWholePaths) {
  ModelItem model;
  Choices choose;
  std::vector<Pair> folders;
  for (const char* top : {"E:\\", "D:\\Data", "\\\\server\\share\\dir", "C:\\Data\\",
                          "relative", "C:\\Deep\\\x95\x5C"}) {
    DeleteItem* item = AddTopLevelItem(job, top, AlwaysFolder);
    ASSERT_NE(item, nullptr) << top;
    ModelItem* m = model.Add(top, 0, true);
    folders.push_back({item, m});
    Grow({item, m}, choose, 1, folders);
  }
  ExpectSameTree(job.root, model, "the root");

  // Walking a folder again frees its children and adds them anew.
  std::vector<Pair> again;
  int top = 0;
  for (const Pair& folder : folders) {
    if (folder.item->parent == &job.root && top++ % 2 == 0) again.push_back(folder);
  }
  ASSERT_EQ(again.size(), 3u);
  std::vector<Pair> regrown;
  for (const Pair& folder : again) {
    FreeChildren(*folder.item);
    folder.model->children.clear();
    Grow(folder, choose, 2, regrown);
  }
  ExpectSameTree(job.root, model, "the root");

  // The worker's copy holds the top-level items, in the order chosen.
  DeleteJob copy;
  BuildJob(copy);
  CopyItems(copy, job);
  std::vector<std::string> copied;
  for (const DeleteItem* item = copy.root.firstChild; item != nullptr; item = item->next)
    copied.emplace_back(item->path);
  std::vector<std::string> chosen;
  for (auto it = model.children.rbegin(); it != model.children.rend(); ++it)
    chosen.push_back(it->path);
  EXPECT_EQ(copied, chosen);
  EXPECT_EQ(CountItems(copy), model.children.size());
  ReleaseJob(copy);

  DeleteItem* second = job.root.firstChild->next;
  ASSERT_TRUE(RemoveTopLevelItem(job, second));
  model.children.erase(std::next(model.children.begin()));
  ExpectSameTree(job.root, model, "the root");
}

TEST_F(TreeOps, ThePathLimitCountsTheSeparatorAndTheDriveRootHasNone) {
  const std::string folder = "C:\\" + Repeat('f', 255);  // 258 bytes
  DeleteItem* top = AddTopLevelItem(job, folder.c_str(), AlwaysFolder);
  ASSERT_NE(top, nullptr);
  DeleteItem* fits = AddNamedChild(*top, "x", 1, false);  // 258 + \ + x = 260
  ASSERT_NE(fits, nullptr);
  EXPECT_EQ(std::string(fits->path), folder + "\\x");
  EXPECT_EQ(AddNamedChild(*top, "xy", 1, false), nullptr);  // 261
  EXPECT_EQ(AddNamedChild(*top, "", 1, false), nullptr);

  DeleteJob rooted;
  BuildJob(rooted);
  const std::string root = "\\\\s\\" + Repeat('r', 254) + "\\";  // 259, ends in a separator
  DeleteItem* share = AddTopLevelItem(rooted, root.c_str(), AlwaysFolder);
  ASSERT_NE(share, nullptr);
  DeleteItem* child = AddNamedChild(*share, "\\z", 1, false);  // leading separators dropped
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(std::string(child->path), root + "z");
  EXPECT_STREQ(child->name, "z");
  EXPECT_EQ(AddNamedChild(*share, "zz", 1, false), nullptr);

  // A buffer too short for the path is left empty rather than cut.
  char small[8] = "junk";
  EXPECT_FALSE(child->path.CopyTo(small, sizeof small));
  EXPECT_STREQ(small, "");
  ReleaseJob(rooted);
}

TEST_F(TreeOps, APathStaysValidWhileTheNextFewPathsOfTheJobAreBuilt) {
  DeleteItem* top = AddTopLevelItem(job, "C:\\top", AlwaysFolder);
  std::vector<DeleteItem*> items;
  for (int i = 0; i < kPathSlots; ++i)
    items.push_back(AddNamedChild(*top, ("c" + std::to_string(i)).c_str(), 0, false));
  std::vector<const char*> texts;
  for (DeleteItem* item : items) texts.push_back(item->path);
  for (int i = 0; i < kPathSlots; ++i)
    EXPECT_STREQ(texts[i], ("C:\\top\\c" + std::to_string(i)).c_str());
  // Another job's paths never touch this one's.
  DeleteJob other;
  BuildJob(other);
  DeleteItem* elsewhere = AddNamedChild(*AddTopLevelItem(other, "D:\\o", AlwaysFolder), "p", 0, false);
  EXPECT_STREQ(elsewhere->path, "D:\\o\\p");
  EXPECT_STREQ(texts[0], "C:\\top\\c0");
  ReleaseJob(other);
  EXPECT_STREQ(job.root.path, "");
}

TEST_F(TreeOps, WalkingAFolderAgainReusesItsStorageAndReleaseGivesItAllBack) {
  DeleteItem* top = AddTopLevelItem(job, "C:\\many", AlwaysFolder);
  auto fill = [&] {
    for (int i = 0; i < 20000; ++i)
      ASSERT_NE(AddNamedChild(*top, ("f" + std::to_string(i) + ".bin").c_str(), i, false), nullptr);
  };
  fill();
  const size_t once = job.items.ReservedBytes();
  // Each item costs its record and its name, not a path buffer (the
  // storage comes in chunks of up to a mebibyte).
  EXPECT_LE(once, 20000 * (sizeof(DeleteItem) + 24) + (1u << 20));
  for (int pass = 0; pass < 3; ++pass) {
    FreeChildren(*top);
    fill();
  }
  EXPECT_EQ(job.items.ReservedBytes(), once);
  EXPECT_EQ(TotalSize(*top), 20000LL * 19999 / 2);
  ReleaseJob(job);
  EXPECT_EQ(job.items.ReservedBytes(), 0u);
  EXPECT_EQ(CountItems(job), 0u);
}

}  // namespace
