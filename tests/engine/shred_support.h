#pragma once
// Scratch folders, file helpers and a scripted job host for the tests that
// destroy real files under Wine.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/delete_job.h"
#include "engine/shredder.h"

namespace kxtest {

// A Linux path as Wine's drive Z: shows it.
inline std::string UnixToWine(const char* path) {
  std::string wine = "Z:";
  for (const char* p = path; *p; ++p) wine += *p == '/' ? '\\' : *p;
  return wine;
}

// Removes a tree without ever entering a link.
inline void RemoveTree(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") RemoveTree(path + "\\" + name);
      } while (FindNextFileA(find, &entry));
      FindClose(find);
    }
  }
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!RemoveDirectoryA(path.c_str())) DeleteFileA(path.c_str());
  } else {
    DeleteFileA(path.c_str());
  }
}

// A fresh folder in the temporary folder, removed with its contents.
class ScratchFolder {
 public:
  ScratchFolder() {
    char base[MAX_PATH + 1];
    GetTempPathA(sizeof base, base);
    static int counter = 0;
    path_ = std::string(base) + "kxshred-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

inline bool WriteBytes(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = content.empty() ||
            WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == content.size();
}

// The whole content, or "<missing>" when the file cannot be read.
inline std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char block[65536];
  DWORD got = 0;
  while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) content.append(block, got);
  CloseHandle(file);
  return content;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names in a folder that match a wildcard.
inline std::vector<std::string> Listing(const std::string& folder, const char* pattern = "*") {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return names;
}

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
  int reports = 0;
  bool cancelled = false;
  // Runs before a prompt is answered (closing a blocking handle, say).
  std::function<void(const Prompt&)> beforeAnswer;
  // Runs at every report with its number (cancelling half-way, say).
  std::function<void(int)> atReport;

  bool ReportProgress(DeleteJob& job, const char* fileText, const char* folderText) override {
    ++reports;
    if (fileText) fileLabels.push_back(fileText);
    if (folderText) folderLabels.push_back(folderText);
    if (atReport) atReport(reports);
    return !cancelled;
  }
  int ErrorPrompt(DeleteJob& job, const char* message, const char* path, uint32_t code) override {
    prompts.push_back({message ? message : "", path ? path : "", code});
    if (beforeAnswer) beforeAnswer(prompts.back());
    if (cancelled || answers.empty()) return kAnswerCancel;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetBusy(DeleteJob& job, bool busy) override {}
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
