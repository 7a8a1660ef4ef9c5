// The fault campaign: random trees on disk destroyed by whole jobs while
// faults are injected (read-only and hidden files, files another process
// holds, links to sentinel trees outside, items that vanish or are swapped
// for links after the walk, prompts answered at random, jobs paused and
// cancelled at random moments). After every job the rules that make the
// program safe are checked on the disk itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/run_job.h"
#include "engine/shred_support.h"
#include "lang/english_texts.h"
#include "support/process_helpers.h"
#include "support/wine_paths.h"

using kxtest::Exists;
using kxtest::ReadBytes;
using kxtest::WriteBytes;

namespace {

constexpr int kJobs = 220;

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
constexpr int kSentinels = 6;  // as laid out by make-campaign-links
const size_t kSizes[] = {0, 1, 511, 512, 65024, 65025};

struct Totals {
  int jobs = 0;
  int filesDestroyed = 0;
  int faults = 0;
  int violations = 0;
};

// The host of one job: answers prompts at random, pauses and cancels at the
// report the job was given, and records what the job claimed.
class CampaignHost : public kxtest::ScriptedHost {
 public:
  std::mt19937* random = nullptr;
  int cancelAt = 0;  // 0: never
  int pauseAt = 0;
  std::function<void()> duringPause;
  std::function<void()> onFirstPrompt;
  std::set<std::string> prompted;
  int tries = 0;

  bool ReportProgress(DeleteJob& job, const char* fileText, const char* folderText) override {
    ++reports;
    if (pauseAt != 0 && reports == pauseAt) {
      // A paused worker waits while the world goes on.
      Sleep(2);
      if (duringPause) duringPause();
    }
    if (cancelAt != 0 && reports >= cancelAt) cancelled = true;
    return !cancelled;
  }
  int ErrorPrompt(DeleteJob& job, const char* messageKey, const char* path,
                  uint32_t code) override {
    prompted.insert(path ? path : "");
    if (onFirstPrompt) {
      auto once = onFirstPrompt;
      onFirstPrompt = nullptr;
      once();
    }
    if (cancelled) return kAnswerCancel;
    int roll = static_cast<int>((*random)() % 20);
    if (roll == 0) return kAnswerCancel;
    if (roll < 6 && tries < 3) {
      ++tries;
      return kAnswerTryAgain;
    }
    return kAnswerSkip;
  }
};

struct Built {
  std::string root;                      // the tree's top folder
  std::vector<std::string> files;        // every real file of the tree
  std::vector<std::string> folders;      // every real folder below the root
  std::map<std::string, DWORD> readOnly;  // files made read-only or hidden
  std::vector<std::string> holders;      // holder folders moved into the tree
  std::vector<std::string> parked;       // moved out of the selection after the walk
};

class FaultCampaign : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterEnglishTexts(nullptr); }

  std::string Base() const { return kxtest::WinePath(KX_CAMPAIGN_LINK_DIR); }

  void Snapshot(const std::string& folder, std::map<std::string, std::string>& out) {
    for (const std::string& name : kxtest::Listing(folder)) {
      const std::string path = folder + "\\" + name;
      DWORD attributes = GetFileAttributesA(path.c_str());
      if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        Snapshot(path, out);
      else
        out[path] = ReadBytes(path);
    }
  }

  void Grow(std::mt19937& random, Built& tree, const std::string& folder, int depth) {
    int entries = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < entries; ++i) {
      const std::string path = folder + "\\e" + std::to_string(i);
      if (depth < 3 && random() % 3 == 0) {
        CreateDirectoryA(path.c_str(), nullptr);
        tree.folders.push_back(path);
        Grow(random, tree, path, depth + 1);
        continue;
      }
      size_t size = kSizes[random() % 6];
      if (random() % 40 == 0) size = (1 + random() % 3) << 20;
      const std::string file = path + ".bin";
      std::string content(size, static_cast<char>('a' + random() % 26));
      ASSERT_TRUE(WriteBytes(file, content)) << file;
      tree.files.push_back(file);
      if (random() % 6 == 0) {
        DWORD attributes = random() % 2 ? FILE_ATTRIBUTE_READONLY
                                         : FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
        SetFileAttributesA(file.c_str(), attributes);
        tree.readOnly[file] = GetFileAttributesA(file.c_str()) &
                              (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
      }
    }
  }

  static bool Under(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '\\';
  }

  // Reported: the file or a folder above it was named by a prompt.
  static bool Reported(const CampaignHost& host, const std::string& path) {
    for (const std::string& p : host.prompted)
      if (p == path || Under(path, p)) return true;
    return false;
  }

  void FindTemporaryNames(const std::string& folder, std::vector<std::string>& out) {
    for (const std::string& name : kxtest::Listing(folder, "KX*.tmp")) out.push_back(folder + "\\" + name);
    for (const std::string& name : kxtest::Listing(folder)) {
      const std::string path = folder + "\\" + name;
      DWORD attributes = GetFileAttributesA(path.c_str());
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        FindTemporaryNames(path, out);
    }
  }
};

class Holder {
 public:
  Holder(const std::vector<std::string>& files, int n) {
    const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
    const std::string readyName = "KXCampaignReady-" + tag, releaseName = "KXCampaignGo-" + tag;
    ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    release_ = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    std::string command = "\"" + kxtest::WinePath(KX_FILE_HOLDER) + "\" " + readyName + " " + releaseName;
    for (const std::string& file : files) command += " \"" + file + "\"";
    if (kxtest::StartProcess(command, info_)) {
      started_ = true;
      WaitForSingleObject(ready_, 20000);
    }
  }
  ~Holder() {
    Release();
    CloseHandle(ready_);
    CloseHandle(release_);
  }
  void Release() {
    if (!started_) return;
    started_ = false;
    SetEvent(release_);
    if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }

 private:
  HANDLE ready_;
  HANDLE release_;
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

TEST_F(FaultCampaign, RandomTreesUnderFaultsLoseNothingOutsideAndClaimNothingFalse) {
  const auto start = std::chrono::steady_clock::now();
  std::map<std::string, std::string> sentinels;
  Snapshot(Base() + "\\sentinels", sentinels);
  ASSERT_GE(sentinels.size(), size_t(3 * kSentinels));
  kxtest::ScratchFolder scratch("kxcampaign");
  Totals totals;

  auto violation = [&](int job, const std::string& what) {
    ++totals.violations;
    ADD_FAILURE() << "job " << job << ": " << what;
  };

  for (int n = 0; n < kJobs; ++n) {
    std::mt19937 random(1000u + static_cast<unsigned>(n));
    Built tree;
    tree.root = scratch / ("t" + std::to_string(n));
    CreateDirectoryA(tree.root.c_str(), nullptr);
    Grow(random, tree, tree.root, 0);

    // Links to a sentinel tree: a holder folder moved into the tree.
    const int sentinel = static_cast<int>(random() % kSentinels);
    const std::string holderHome = Base() + "\\holders\\h" + std::to_string(sentinel);
    const std::string shadowHome = Base() + "\\shadows\\w" + std::to_string(sentinel);
    std::string holderAt;
    if (random() % 4 == 0 && Exists(holderHome)) {
      holderAt = tree.root + "\\links";
      if (MoveFileA(holderHome.c_str(), holderAt.c_str())) {
        ++totals.faults;
        tree.files.push_back(holderAt + "\\flnk.bin");
      } else {
        holderAt.clear();
      }
    }
    // A walked folder swapped for a folder whose "inner" leads outside.
    std::string swapAt;
    if (random() % 6 == 0 && Exists(shadowHome)) {
      swapAt = tree.root + "\\swap";
      CreateDirectoryA(swapAt.c_str(), nullptr);
      CreateDirectoryA((swapAt + "\\inner").c_str(), nullptr);
      CreateDirectoryA((swapAt + "\\inner\\sub").c_str(), nullptr);
      WriteBytes(swapAt + "\\inner\\a.bin", "walked\n");
      WriteBytes(swapAt + "\\inner\\sub\\b.bin", "walked too\n");
      tree.files.push_back(swapAt + "\\inner\\a.bin");
      tree.files.push_back(swapAt + "\\inner\\sub\\b.bin");
    }

    CampaignHost host;
    host.random = &random;
    // Vanishing items and the swap happen between the walk and the deletion.
    std::vector<std::string> vanished;
    const bool vanish = random() % 4 == 0 && !tree.files.empty();
    const std::string parkedSwap = scratch / ("parked" + std::to_string(n));
    host.betweenPasses = [&] {
      if (vanish) {
        const std::string& victim = tree.files[random() % tree.files.size()];
        if (Under(victim, holderAt) || Under(victim, swapAt)) return;
        SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(victim.c_str())) {
          vanished.push_back(victim);
          ++totals.faults;
        }
      }
      if (!swapAt.empty() && MoveFileA(swapAt.c_str(), parkedSwap.c_str())) {
        if (MoveFileA(shadowHome.c_str(), swapAt.c_str())) {
          tree.parked.push_back(parkedSwap);
          ++totals.faults;
        } else {
          MoveFileA(parkedSwap.c_str(), swapAt.c_str());
        }
      }
    };
    std::map<std::string, std::string> parkedBefore;
    if (!swapAt.empty()) {
      // What will be parked outside must survive as it is.
      std::map<std::string, std::string> inSwap;
      Snapshot(swapAt, inSwap);
      for (auto& [path, content] : inSwap) parkedBefore[parkedSwap + path.substr(swapAt.size())] = content;
    }

    // Files another process holds; Try Again may find them released.
    std::vector<std::string> held;
    for (const std::string& file : tree.files)
      if (!Under(file, holderAt) && !Under(file, swapAt) && random() % 12 == 0) held.push_back(file);
    std::unique_ptr<Holder> holder;
    if (!held.empty()) {
      holder = std::make_unique<Holder>(held, n);
      totals.faults += static_cast<int>(held.size());
      if (random() % 2) host.onFirstPrompt = [&] { holder->Release(); };
    }
    if (random() % 5 == 0) {
      host.cancelAt = 1 + static_cast<int>(random() % 60);
      ++totals.faults;
    }
    if (random() % 5 == 0) {
      host.pauseAt = 1 + static_cast<int>(random() % 40);
      ++totals.faults;
      // While paused, an item not reached yet goes away.
      host.duringPause = [&] {
        if (tree.files.empty()) return;
        const std::string& victim = tree.files[random() % tree.files.size()];
        if (Under(victim, holderAt) || Under(victim, swapAt)) return;
        SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(victim.c_str())) vanished.push_back(victim);
      };
    }

    DeleteJob job;
    BuildJob(job);
    const bool wholeTree = random() % 5 != 0;
    if (wholeTree) {
      AddTopLevelItem(job, tree.root.c_str(), IsDirectory);
    } else {
      for (const std::string& name : kxtest::Listing(tree.root))
        AddTopLevelItem(job, (tree.root + "\\" + name).c_str(), IsDirectory);
    }
    ConfigRecord settings;
    ResetConfig(settings);
    settings.skipErrors = 0;
    const bool result = RunJob(job, settings, host);
    ReleaseJob(job);
    if (holder) holder->Release();
    ++totals.jobs;

    // Every sentinel byte for byte.
    for (const auto& [path, content] : sentinels)
      if (ReadBytes(path) != content) violation(n, "sentinel changed: " + path);
    // (parked only when the deletion pass began)
    if (!tree.parked.empty())
      for (const auto& [path, content] : parkedBefore)
        if (ReadBytes(path) != content) violation(n, "parked item changed: " + path);
    // A file still there under its name was reported, or the job was cancelled.
    for (const std::string& file : tree.files) {
      if (!Exists(file)) continue;
      if (!Reported(host, file) && !host.cancelled) violation(n, "left without a prompt: " + file);
      auto ro = tree.readOnly.find(file);
      if (ro != tree.readOnly.end() &&
          (GetFileAttributesA(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) !=
              ro->second)
        violation(n, "attributes not put back: " + file);
    }
    // Nothing reported done still exists.
    for (const std::string& gone : host.removed) {
      if (Exists(gone)) violation(n, "reported removed but still there: " + gone);
      if (gone != tree.root && !Under(gone, tree.root)) violation(n, "removed outside the tree: " + gone);
    }
    for (const std::string& file : tree.files)
      if (std::find(host.removed.begin(), host.removed.end(), file) != host.removed.end())
        ++totals.filesDestroyed;
    if (result && wholeTree && Exists(tree.root)) violation(n, "job claimed success, tree stays");
    std::vector<std::string> temporary;
    FindTemporaryNames(scratch.Path(), temporary);
    for (const std::string& t : temporary) violation(n, "temporary name left: " + t);

    // Links cannot be removed under Wine: the holders go back for the next jobs.
    if (!holderAt.empty() && Exists(holderAt)) MoveFileA(holderAt.c_str(), holderHome.c_str());
    if (!tree.parked.empty() && Exists(swapAt)) MoveFileA(swapAt.c_str(), shadowHome.c_str());
    kxtest::RemoveTree(tree.root);
    for (const std::string& p : tree.parked) kxtest::RemoveTree(p);
  }

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("fault campaign: %d jobs, %d files destroyed, %d faults injected, %d violations "
              "(%.1f s)\n",
              totals.jobs, totals.filesDestroyed, totals.faults, totals.violations, seconds);
  EXPECT_EQ(totals.violations, 0);
  EXPECT_GE(totals.jobs, 200);
  EXPECT_GT(totals.filesDestroyed, 200);
}

}  // namespace
