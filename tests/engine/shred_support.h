#pragma once
// A scripted job host and a recording writer for the tests that destroy real
// files under Wine; the scratch folder and file helpers come with it.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/delete_job.h"
#include "engine/shredder.h"
#include "lang/text_store.h"
#include "support/scratch_folder.h"

namespace kxtest {

// Answers prompts from a list (Cancel when it runs out), records what the
// job showed, and keeps what each file held right after its overwrite.
class ScriptedHost : public JobHost {
 public:
  struct Prompt {
    std::string message;
    std::string path;
    uint32_t code;
  };
  struct Overwrite {
    std::string path;
    std::string content;
  };

  std::deque<int> answers;
  std::vector<Prompt> prompts;
  std::vector<Overwrite> overwrites;
  std::vector<std::string> fileLabels;
  std::vector<std::string> folderLabels;
  std::vector<std::string> removed;
  int reports = 0;
  bool cancelled = false;
  // Runs before a prompt is answered (closing a blocking handle, say).
  std::function<void(const Prompt&)> beforeAnswer;
  // Runs at every report with its number (cancelling half-way, say).
  std::function<void(int)> atReport;
  // Runs when the deletion pass starts, after the walk (changing the tree
  // under the job, say).
  std::function<void()> betweenPasses;

  bool ReportProgress(DeleteJob& job, const char* fileText, const char* folderText) override {
    ++reports;
    if (fileText) fileLabels.push_back(fileText);
    if (folderText) folderLabels.push_back(folderText);
    if (atReport) atReport(reports);
    return !cancelled;
  }
  // Records the message as the progress window shows it.
  int ErrorPrompt(DeleteJob& job, const char* messageKey, const char* path, uint32_t code) override {
    prompts.push_back({LangText(messageKey ? messageKey : ""), path ? path : "", code});
    if (beforeAnswer) beforeAnswer(prompts.back());
    if (cancelled || answers.empty()) return kAnswerCancel;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetBusy(DeleteJob& job, bool busy) override {
    if (!busy && betweenPasses) betweenPasses();
  }
  void ItemRemoved(DeleteJob& job, const char* path) override { removed.push_back(path); }
  void Cancel(DeleteJob& job) override { cancelled = true; }
  void FileOverwritten(DeleteJob& job, const char* path) override {
    overwrites.push_back({path, ReadBytes(path)});
  }
};

// Sees every write; can make chosen writes fail.
class RecordingWriter : public FileWriter {
 public:
  struct Write {
    uint64_t offset;
    DWORD size;
  };
  std::vector<Write> writes;
  // Writes with these numbers (1 = the first) fail with failCode.
  std::vector<int> failing;
  DWORD failCode = ERROR_DISK_FULL;
  // This many flushes fail with failCode before they work again.
  int failingFlushes = 0;
  int flushes = 0;

  bool Flush(HANDLE file) override {
    ++flushes;
    if (failingFlushes > 0) {
      --failingFlushes;
      SetLastError(failCode);
      return false;
    }
    return FileWriter::Flush(file);
  }

  bool Write(HANDLE file, uint64_t offset, const void* data, DWORD size, DWORD& written) override {
    writes.push_back({offset, size});
    for (int n : failing) {
      if (n == static_cast<int>(writes.size())) {
        written = 0;
        SetLastError(failCode);
        return false;
      }
    }
    return FileWriter::Write(file, offset, data, size, written);
  }
};

}  // namespace kxtest
