// The fault campaign: random trees on disk destroyed by whole jobs while
// faults are injected (read-only and hidden files, files another process
// holds, links to sentinel trees outside, items that vanish or are swapped
// for links after the walk, writes and flushes that fail, prompts answered at
// random, jobs paused and cancelled at random moments). Beside every selected
// item lie unselected neighbours whose names Windows confuses with it (a
// trailing dot or space, the other letter case), and selected folders hold a
// link into their case twin. After every job the rules that make the program
// safe are checked on the disk itself.
//
// Long runs: tools/campaign --jobs N --seed S (KX_CAMPAIGN_JOBS and
// KX_CAMPAIGN_SEED here).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/fill_buffer.h"
#include "engine/prepare.h"
#include "engine/shred_support.h"
#include "engine/shredder.h"
#include "lang/english_texts.h"
#include "support/process_helpers.h"
#include "support/wine_paths.h"

using kxtest::Exists;
using kxtest::ReadBytes;
using kxtest::WriteBytes;

namespace {

constexpr int kSentinels = 6;  // as laid out by make-campaign-links
const size_t kSizes[] = {0, 1, 511, 512, 65024, 65025};

// Every kind of fault the bounded run must have injected at least once.
const char* const kFaultKinds[] = {"read-only",   "held",     "sentinel link", "swapped folder",
                                   "vanished",    "pause",    "cancel",        "write fails",
                                   "flush fails", "skip all", "twin link",     "dotted selected"};

int Setting(const char* name, int fallback) {
  char text[32];
  DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
  return length > 0 && length < sizeof text ? std::atoi(text) : fallback;
}

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names as they are on the disk: the plain calls drop a trailing dot or
// space and match either letter case, "\\?\" paths do neither (our paths
// are ASCII).
std::wstring Exact(const std::string& path) {
  return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

bool ExactExists(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  const std::wstring name = Exact(path).substr(4 + slash + 1);
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((Exact(path.substr(0, slash)) + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do found = name == entry.cFileName;
  while (!found && FindNextFileW(find, &entry));
  FindClose(find);
  return found;
}

// The test's helpers reach a full path by its long form already.
std::string ExactRead(const std::string& path) { return ReadBytes(path); }

bool ExactWrite(const std::string& path, const std::string& content) {
  return WriteBytes(path, content, CREATE_NEW);
}

bool ExactDelete(const std::string& path) {
  // Once the name is gone, Wine would find its case twin by it.
  if (!ExactExists(path)) return false;
  // A file another process holds stays, and so do its attributes.
  const DWORD attributes = GetFileAttributesW(Exact(path).c_str());
  SetFileAttributesW(Exact(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileW(Exact(path).c_str())) return true;
  SetFileAttributesW(Exact(path).c_str(), attributes);
  return false;
}

// The campaign's folders lie on Z:, which is the Linux root.
std::string UnixPath(const std::string& winePath) {
  std::string path = winePath.substr(2);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string Quoted(const std::string& winePath) { return "'" + UnixPath(winePath) + "'"; }

// Under Wine no Windows call makes a case twin (each finds the name in the
// other case) or a link, so a Linux shell does. Wine cannot wait for a Linux
// process: the script says it is done with a file of its own.
bool RunShell(const std::string& script, const std::string& at) {
  const std::string done = at + ".done";
  DeleteFileA(done.c_str());
  if (!WriteBytes(at, "set -e\n" + script + "echo ok > " + Quoted(done) + "\n")) return false;
  std::string command = "/bin/sh " + UnixPath(at);
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return false;
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  for (int waited = 0; waited < 20000; waited += 2) {
    if (ReadBytes(done) == "ok\n") return true;
    Sleep(2);
  }
  return false;
}

// The byte at offset of a file overwritten with the job's fill pattern.
uint8_t FillByte(const ConfigRecord& settings, uint64_t offset) {
  const unsigned length = std::min<unsigned>(settings.fillLength, kMaxFillPatternLength);
  return length == 0 ? 0 : settings.fillPattern[(offset % kFillBufferSize) % length];
}

// Fails one chosen write and one chosen flush of a job, once each, and
// keeps what the prompt for it must say.
class CampaignWriter : public FileWriter {
 public:
  DeleteJob* job = nullptr;
  int failWrite = 0;  // 1 = the job's first write; 0: none
  int failFlush = 0;
  DWORD code = ERROR_DISK_FULL;
  int injectedWrites = 0;
  int injectedFlushes = 0;
  DWORD due = 0;        // the code of a failure whose prompt has not come yet
  std::string faulted;  // the file of the last failure
  std::vector<std::string> mustStay;

  bool Write(HANDLE file, uint64_t offset, const void* data, DWORD size, DWORD& written) override {
    if (++writes_ == failWrite) {
      ++injectedWrites;
      written = 0;
      return Fail(file);
    }
    return FileWriter::Write(file, offset, data, size, written);
  }
  bool Flush(HANDLE file) override {
    if (++flushes_ == failFlush) {
      ++injectedFlushes;
      return Fail(file);
    }
    return FileWriter::Flush(file);
  }

 private:
  bool Fail(HANDLE file) {
    char final[MAX_PATH + 1] = "";
    DWORD length = GetFinalPathNameByHandleA(file, final, sizeof final, 0);
    faulted = length > 4 && length <= MAX_PATH ? final + 4 : final;  // less "\\?\"
    // Skipping all errors gives the file up without asking.
    if (job->skipAllDeleteErrors)
      mustStay.push_back(faulted);
    else
      due = code;
    SetLastError(code);
    return false;
  }
  int writes_ = 0;
  int flushes_ = 0;
};

// The host of one job: answers prompts at random, pauses and cancels at the
// report the job was given, checks every overwrite and every prompt for an
// injected failure, and records what the job claimed.
class CampaignHost : public kxtest::ScriptedHost {
 public:
  std::mt19937* random = nullptr;
  CampaignWriter* writer = nullptr;
  const ConfigRecord* settings = nullptr;
  std::function<void(const std::string&)> violation;
  int cancelAt = 0;  // 0: never
  int pauseAt = 0;
  std::function<void()> duringPause;
  std::function<void()> onFirstPrompt;
  std::set<std::string> prompted;
  int tries = 0;
  int skipAlls = 0;
  int overwritesChecked = 0;
  std::set<std::string> overwritten;

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
    const std::string named = path ? path : "";
    prompted.insert(named);
    if (onFirstPrompt) {
      auto once = onFirstPrompt;
      onFirstPrompt = nullptr;
      once();
    }
    const int answer = Answer();
    if (writer->due != 0) {
      // The prompt right after a failed write or flush says why, for that file.
      if (code != writer->due || named != writer->faulted)
        violation("failure " + std::to_string(writer->due) + " of " + writer->faulted +
                  " prompted as " + std::to_string(code) + " for " + named);
      writer->due = 0;
      if (answer != kAnswerTryAgain) writer->mustStay.push_back(writer->faulted);
    }
    return answer;
  }
  // Every byte on the disk before the cut is the fill pattern's.
  void FileOverwritten(DeleteJob& job, const char* path) override {
    ++overwritesChecked;
    overwritten.insert(path);
    const std::string bytes = ExactRead(path);
    for (size_t offset = 0; offset < bytes.size(); ++offset) {
      if (static_cast<uint8_t>(bytes[offset]) != FillByte(*settings, offset)) {
        violation("overwritten with other bytes than the fill pattern: " + std::string(path) +
                  " at " + std::to_string(offset));
        return;
      }
    }
  }

 private:
  int Answer() {
    if (cancelled) return kAnswerCancel;
    int roll = static_cast<int>((*random)() % 20);
    if (roll == 0) return kAnswerCancel;
    if (roll < 3) {
      ++skipAlls;
      return kAnswerSkipAll;
    }
    if (roll < 8 && tries < 3) {
      ++tries;
      return kAnswerTryAgain;
    }
    return kAnswerSkip;
  }
};

struct Grown {
  size_t size;
  char fill;  // every byte of the file, before the job
};

struct Built {
  std::string root;                               // the tree's top folder
  std::vector<std::string> files;                 // every selected real file
  std::map<std::string, Grown> contents;          // what those files held
  std::vector<std::string> folders;               // every real folder below the root
  std::vector<std::string> links;                 // links into case twins
  std::map<std::string, DWORD> readOnly;          // files made read-only or hidden
  std::vector<std::string> parked;                // moved out of the selection after the walk
  std::map<std::string, std::string> neighbours;  // unselected files and their bytes
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
      const char fill = static_cast<char>('a' + random() % 26);
      ASSERT_TRUE(WriteBytes(file, std::string(size, fill))) << file;
      tree.files.push_back(file);
      tree.contents[file] = {size, fill};
      if (random() % 6 == 0) {
        DWORD attributes = random() % 2 ? FILE_ATTRIBUTE_READONLY
                                        : FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
        SetFileAttributesA(file.c_str(), attributes);
        tree.readOnly[file] =
            GetFileAttributesA(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
      }
    }
  }

  // A neighbour: a file, or a folder holding one file; bytes of its own.
  // Made directly under its name, or under a plain staging name that the
  // shell renames (a case twin).
  void MakeNeighbour(Built& tree, const std::string& path, bool folder, const std::string& makeAt) {
    const std::string file = folder ? path + "\\n.bin" : path;
    const std::string content = "neighbour " + file + "\n";
    const std::string stagedFile = folder ? makeAt + "\\n.bin" : makeAt;
    if (folder) CreateDirectoryW(Exact(makeAt).c_str(), nullptr);
    EXPECT_TRUE(ExactWrite(stagedFile, content)) << stagedFile;
    tree.neighbours[file] = content;
  }

  // Places the confusable neighbours of one selected item and answers the
  // path to select: sometimes the one with a trailing dot or space, the
  // plain one then being a neighbour. Case twins and links go into script.
  std::string Confuse(std::mt19937& random, Built& tree, const std::string& item, bool folder,
                      std::string& script, std::map<std::string, int>& faults) {
    const size_t slash = item.find_last_of('\\');
    const std::string parent = item.substr(0, slash), name = item.substr(slash + 1);
    std::string selected = item;
    if (!folder && random() % 4 == 0) {
      selected = item + (random() % 2 ? "." : " ");
      const char fill = static_cast<char>('A' + random() % 26);
      const size_t size = kSizes[random() % 6];
      EXPECT_TRUE(ExactWrite(selected, std::string(size, fill))) << selected;
      // The plain one is no longer selected.
      tree.neighbours[item] = ExactRead(item);
      tree.files.erase(std::find(tree.files.begin(), tree.files.end(), item));
      tree.contents.erase(item);
      tree.readOnly.erase(item);
      tree.files.push_back(selected);
      tree.contents[selected] = {size, fill};
      ++faults["dotted selected"];
    }
    for (const char* suffix : {".", " "}) {
      const std::string confusable = item + suffix;
      if (confusable != selected) MakeNeighbour(tree, confusable, folder, confusable);
    }
    std::string twin = name;
    twin[0] = static_cast<char>(twin[0] ^ 0x20);
    const std::string staging = parent + "\\kxstage" + std::to_string(tree.neighbours.size());
    MakeNeighbour(tree, parent + "\\" + twin, folder, staging);
    script += "mv -T " + Quoted(staging) + " " + Quoted(parent + "\\" + twin) + "\n";
    if (folder) {
      // Leads into the twin; a check of "inside" that ignores letter case lets it through.
      script += "ln -s '../" + twin + "/n.bin' " + Quoted(item + "\\tlnk.bin") + "\n";
      tree.links.push_back(item + "\\tlnk.bin");
      ++faults["twin link"];
    }
    return selected;
  }

  static bool Under(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '\\';
  }

  // Reported: the item or a folder above it was named by a prompt.
  static bool Reported(const CampaignHost& host, const std::string& path) {
    for (const std::string& p : host.prompted)
      if (p == path || Under(path, p)) return true;
    return false;
  }

  // A folder that stays was named by a prompt, or something below it was.
  static bool ReportedBelow(const CampaignHost& host, const std::string& folder) {
    for (const std::string& p : host.prompted)
      if (p == folder || Under(p, folder) || Under(folder, p)) return true;
    return false;
  }

  void FindTemporaryNames(const std::string& folder, std::vector<std::string>& out) {
    for (const std::string& name : kxtest::Listing(folder, "KX*.tmp"))
      out.push_back(folder + "\\" + name);
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
    std::string command =
        "\"" + kxtest::WinePath(KX_FILE_HOLDER) + "\" " + readyName + " " + releaseName;
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
    if (WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0)
      TerminateProcess(info_.hProcess, 1);
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
  const int jobs = Setting("KX_CAMPAIGN_JOBS", 180);
  const unsigned seed = static_cast<unsigned>(Setting("KX_CAMPAIGN_SEED", 1000));
  std::map<std::string, std::string> sentinels;
  Snapshot(Base() + "\\sentinels", sentinels);
  ASSERT_GE(sentinels.size(), size_t(3 * kSentinels));
  // On Z:, where the shell finds it under the same path.
  const std::string scratch = Base() + "\\scratch";
  const std::string script = Base() + "\\neighbours.sh";
  CreateDirectoryA(scratch.c_str(), nullptr);
  int violations = 0, neighboursChecked = 0, overwritesChecked = 0, filesDestroyed = 0;
  std::map<std::string, int> faults;
  for (const char* kind : kFaultKinds) faults[kind] = 0;
  std::string cleanup;  // removes the last job's folder

  for (int n = 0; n < jobs; ++n) {
    auto violation = [&](const std::string& what) {
      // The first ones tell the story; the count tells the rest.
      if (++violations <= 40) ADD_FAILURE() << "job " << n << ": " << what;
    };
    std::mt19937 random(seed + static_cast<unsigned>(n));
    const std::string jobFolder = scratch + "\\j" + std::to_string(n);
    CreateDirectoryA(jobFolder.c_str(), nullptr);
    Built tree;
    tree.root = jobFolder + "\\t";
    CreateDirectoryA(tree.root.c_str(), nullptr);
    Grow(random, tree, tree.root, 0);
    faults["read-only"] += static_cast<int>(tree.readOnly.size());

    // Links to a sentinel tree: a holder folder moved into the tree.
    const int sentinel = static_cast<int>(random() % kSentinels);
    const std::string holderHome = Base() + "\\holders\\h" + std::to_string(sentinel);
    const std::string shadowHome = Base() + "\\shadows\\w" + std::to_string(sentinel);
    std::string holderAt;
    if (random() % 4 == 0 && Exists(holderHome)) {
      holderAt = tree.root + "\\links";
      if (MoveFileA(holderHome.c_str(), holderAt.c_str())) {
        ++faults["sentinel link"];
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

    // The selection, and beside each selected item its confusable neighbours.
    const bool wholeTree = random() % 5 != 0;
    std::vector<std::string> selected;
    std::string shell = cleanup;
    if (wholeTree) {
      selected.push_back(Confuse(random, tree, tree.root, true, shell, faults));
    } else {
      for (const std::string& name : kxtest::Listing(tree.root)) {
        const std::string path = tree.root + "\\" + name;
        if (path == holderAt || path == swapAt)
          selected.push_back(path);
        else
          selected.push_back(Confuse(random, tree, path, IsDirectory(path.c_str()), shell, faults));
      }
    }
    ASSERT_TRUE(RunShell(shell, script)) << shell;
    cleanup = "rm -rf " + Quoted(jobFolder) + "\n";

    CampaignHost host;
    CampaignWriter writer;
    ConfigRecord settings;
    ResetConfig(settings);
    settings.skipErrors = 0;
    // Zeros, the default byte, or a string whose copies do not fit a chunk evenly.
    const uint8_t lengths[] = {0, 1, 3, 7};
    settings.fillLength = lengths[random() % 4];
    if (settings.fillLength > 1) std::memcpy(settings.fillPattern, "KXfill!", 7);
    host.random = &random;
    host.writer = &writer;
    host.settings = &settings;
    host.violation = violation;
    if (random() % 3 == 0) writer.failWrite = 1 + static_cast<int>(random() % 8);
    if (random() % 4 == 0) writer.failFlush = 1 + static_cast<int>(random() % 4);
    const DWORD codes[] = {ERROR_DISK_FULL, ERROR_WRITE_FAULT, ERROR_CRC};
    writer.code = codes[random() % 3];

    // Vanishing items and the swap happen between the walk and the deletion.
    std::vector<std::string> vanished;
    const bool vanish = random() % 4 == 0 && !tree.files.empty();
    const std::string parkedSwap = jobFolder + "\\parked";
    host.betweenPasses = [&] {
      if (vanish) {
        const std::string& victim = tree.files[random() % tree.files.size()];
        if (Under(victim, holderAt) || Under(victim, swapAt)) return;
        if (ExactDelete(victim)) {
          vanished.push_back(victim);
          ++faults["vanished"];
        }
      }
      if (!swapAt.empty() && MoveFileA(swapAt.c_str(), parkedSwap.c_str())) {
        if (MoveFileA(shadowHome.c_str(), swapAt.c_str())) {
          tree.parked.push_back(parkedSwap);
          ++faults["swapped folder"];
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
      for (auto& [path, content] : inSwap)
        parkedBefore[parkedSwap + path.substr(swapAt.size())] = content;
    }

    // Files another process holds; Try Again may find them released. The
    // holder opens by plain names, which cannot reach a trailing dot.
    std::vector<std::string> held;
    for (const std::string& file : tree.files)
      if (tree.contents.count(file) && file.back() != '.' && file.back() != ' ' &&
          random() % 12 == 0)
        held.push_back(file);
    std::unique_ptr<Holder> holder;
    if (!held.empty()) {
      holder = std::make_unique<Holder>(held, n);
      faults["held"] += static_cast<int>(held.size());
      if (random() % 2) host.onFirstPrompt = [&] { holder->Release(); };
    }
    if (random() % 5 == 0) {
      host.cancelAt = 1 + static_cast<int>(random() % 60);
      ++faults["cancel"];
    }
    if (random() % 5 == 0) {
      host.pauseAt = 1 + static_cast<int>(random() % 40);
      ++faults["pause"];
      // While paused, an item not reached yet goes away.
      host.duringPause = [&] {
        if (tree.files.empty()) return;
        const std::string& victim = tree.files[random() % tree.files.size()];
        if (Under(victim, holderAt) || Under(victim, swapAt)) return;
        if (ExactDelete(victim)) vanished.push_back(victim);
      };
    }

    DeleteJob job;
    BuildJob(job);
    for (const std::string& path : selected) AddTopLevelItem(job, path.c_str(), IsDirectory);
    // RunJob, with a writer that fails when told to.
    writer.job = &job;
    job.settings = settings;
    job.host = &host;
    const bool result = Prepare(job) && Shredder(job, &writer).Delete();
    job.host = nullptr;
    ReleaseJob(job);
    if (holder) holder->Release();
    faults["write fails"] += writer.injectedWrites;
    faults["flush fails"] += writer.injectedFlushes;
    faults["skip all"] += host.skipAlls;
    overwritesChecked += host.overwritesChecked;

    // Every sentinel and every neighbour byte for byte.
    for (const auto& [path, content] : sentinels)
      if (ReadBytes(path) != content) violation("sentinel changed: " + path);
    for (const auto& [path, content] : tree.neighbours) {
      ++neighboursChecked;
      if (!ExactExists(path))
        violation("neighbour gone: " + path);
      else if (ExactRead(path) != content)
        violation("neighbour changed: " + path);
    }
    // (parked only when the deletion pass began)
    if (!tree.parked.empty())
      for (const auto& [path, content] : parkedBefore)
        if (ReadBytes(path) != content) violation("parked item changed: " + path);
    // A failed write or flush was answered by the prompt; unless tried again
    // the file stays.
    if (writer.due != 0) violation("failed write or flush without a prompt: " + writer.faulted);
    for (const std::string& file : writer.mustStay)
      if (!ExactExists(file)) violation("removed although its overwrite failed: " + file);
    // What stays was reported, or the user cancelled or skipped all errors.
    const bool silent = host.cancelled || host.skipAlls > 0;
    for (const std::string& file : tree.files) {
      if (!ExactExists(file)) continue;
      if (!Reported(host, file) && !silent) violation("left without a prompt: " + file);
      auto ro = tree.readOnly.find(file);
      if (ro != tree.readOnly.end() &&
          (GetFileAttributesW(Exact(file).c_str()) &
           (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) != ro->second)
        violation("attributes not put back: " + file);
      // Its full length, each byte its own or the fill pattern's.
      auto grown = tree.contents.find(file);
      if (grown == tree.contents.end()) continue;
      const std::string bytes = ExactRead(file);
      // (or none at all, once all of them were the fill pattern's)
      bool sound =
          bytes.size() == grown->second.size || (bytes.empty() && host.overwritten.count(file));
      for (size_t offset = 0; sound && offset < bytes.size(); ++offset)
        sound = bytes[offset] == grown->second.fill ||
                static_cast<uint8_t>(bytes[offset]) == FillByte(settings, offset);
      if (!sound) violation("left damaged: " + file);
    }
    for (const std::string& link : tree.links)
      if (ExactExists(link) && !Reported(host, link) && !silent)
        violation("link left without a prompt: " + link);
    std::vector<std::string> folders = tree.folders;
    if (wholeTree) folders.push_back(tree.root);
    for (const std::string& folder : folders)
      if (!silent && ExactExists(folder) && !ReportedBelow(host, folder))
        violation("folder left without a prompt: " + folder);
    // Nothing reported done still exists.
    for (const std::string& gone : host.removed) {
      if (ExactExists(gone)) violation("reported removed but still there: " + gone);
      if (gone != tree.root && !Under(gone, tree.root))
        violation("removed outside the tree: " + gone);
    }
    for (const std::string& file : tree.files)
      if (std::find(host.removed.begin(), host.removed.end(), file) != host.removed.end())
        ++filesDestroyed;
    if (result && wholeTree && ExactExists(tree.root)) violation("job claimed success, tree stays");
    std::vector<std::string> temporary;
    FindTemporaryNames(scratch, temporary);
    for (const std::string& t : temporary) violation("temporary name left: " + t);

    // Links cannot be removed under Wine: the holders go back for the next jobs.
    if (!holderAt.empty() && Exists(holderAt)) MoveFileA(holderAt.c_str(), holderHome.c_str());
    if (!tree.parked.empty() && Exists(swapAt)) MoveFileA(swapAt.c_str(), shadowHome.c_str());
  }
  RunShell(cleanup, script);

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::string kinds;
  for (const auto& [kind, count] : faults) kinds += ", " + kind + " " + std::to_string(count);
  std::printf(
      "fault campaign (seed %u): %d jobs, %d neighbours checked, %d overwrites checked, "
      "%d files destroyed; faults%s; %d violations (%.1f s)\n",
      seed, jobs, neighboursChecked, overwritesChecked, filesDestroyed, kinds.c_str(), violations,
      seconds);
  EXPECT_EQ(violations, 0);
  EXPECT_GT(filesDestroyed, jobs);
  for (const auto& [kind, count] : faults) EXPECT_GT(count, 0) << "never injected: " << kind;
}

}  // namespace
