#pragma once
// The deletion job: a tree of the files and folders to destroy, rooted in one
// record that also carries what a running job needs. The tree operations here
// are plain logic; walking the disk (Prepare) and destroying (Delete) live
// beside it and call back into the job's host for progress and prompts.
#include <cstdint>

#include "base/config_record.h"

constexpr int kMaxPathBytes = 260;  // MAX_PATH, without the terminator

// Error prompt answers.
constexpr int kAnswerSkip = 1030;
constexpr int kAnswerSkipAll = 1031;
constexpr int kAnswerTryAgain = 1032;
constexpr int kAnswerCancel = 2;  // IDCANCEL; any unknown answer cancels too

// What a job does after the error prompt has answered: the same rule for
// the walk and for the destruction.
enum class AfterError { kTryAgain, kSkip, kCancel };
// Skip All also sets skipAll, so that later errors of the pass are skipped
// without asking; any answer but the four known ones cancels.
AfterError NextStepAfter(int answer, uint8_t& skipAll);

struct DeleteJob;

struct DeleteItem {
  char path[kMaxPathBytes + 1];
  const char* name;        // into path, at its name part
  int64_t size;            // bytes; 0 for folders and unprepared items
  uint8_t isFolder;
  DeleteJob* job;          // the owning job (the root's points to the root)
  DeleteItem* next;        // siblings: doubly linked, no tail pointer
  DeleteItem* prev;
  DeleteItem* parent;      // null only for the root
  DeleteItem* firstChild;
};

// What a running job calls back: the progress window side. Prompts and reports
// come from the worker thread.
class JobHost {
 public:
  virtual ~JobHost() = default;
  // Updates bar and (throttled) labels; either text may be null. False once
  // the job has been cancelled.
  virtual bool ReportProgress(DeleteJob& job, const char* fileText, const char* folderText) = 0;
  // Shows the error prompt: the message is the language key (section
  // Global) of a pattern with %1 for the name and %2 for the reason; the
  // failed path and the system error code come with it. Answers a button
  // identifier (kAnswer...).
  virtual int ErrorPrompt(DeleteJob& job, const char* messageKey, const char* path,
                          uint32_t errorCode) = 0;
  // Switches the bar between busy (marquee) and normal.
  virtual void SetBusy(DeleteJob& job, bool busy) = 0;
  // Cancels the job: every later report answers false.
  virtual void Cancel(DeleteJob& job) = 0;
  // Called after a file was completely overwritten and flushed, before its
  // length is cut (a seam that lets tests read what was written).
  virtual void FileOverwritten(DeleteJob& job, const char* path) {}
};

struct DeleteJob {
  DeleteItem root;          // empty path; its children are the top-level items
  ConfigRecord settings;    // given afresh when the job starts running
  JobHost* host;            // null while no progress window is attached
  bool running;             // a worker owns the job: Clear is refused
  uint8_t* fillBuffer;      // kFillBufferSize bytes during the deletion pass
  uint64_t totalBytes;
  uint64_t doneBytes;
  uint64_t fileCount;
  uint8_t skipAllDeleteErrors;
  uint8_t skipAllListErrors;
  uint32_t lastLabelUpdate;  // GetTickCount of the last label update; 0 never
};

// Sets every field to zero, the root's job to the job, the settings to defaults.
void BuildJob(DeleteJob& job);
// Frees the fill buffer and the tree and clears the record.
void ReleaseJob(DeleteJob& job);
// Frees all items and resets the record as BuildJob leaves it (the root's job
// pointer stays valid); refused (false) while running.
bool ClearJob(DeleteJob& job);
// Adds a top-level item unless the path is covered; the folder flag comes from
// the file system (isFolder callback; null treats the path as a file). Null
// when covered, empty, too long or out of memory.
using FolderTest = bool (*)(const char* path);
// Whether path is the listed path or lies inside it, as the file system sees
// it (code page and letter case are the system's). Null: the rule below that
// needs no system, ASCII letters matching in any case and a byte behind one of
// 0x80 or more (perhaps the second half of a double-byte character) matching
// exactly.
using PathMatch = bool (*)(const char* listed, const char* path);
DeleteItem* AddTopLevelItem(DeleteJob& job, const char* path, FolderTest isFolder,
                            PathMatch match = nullptr);
// True when the root already holds the path or a folder that contains it.
bool IsCovered(const DeleteJob& job, const char* path, PathMatch match = nullptr);
// Removes every top-level item that another one covers (the first of two
// equal paths stays), so that nothing is counted or destroyed twice. A folder
// added after an item inside it leaves both in the list until then.
void DropNestedItems(DeleteJob& job, PathMatch match = nullptr);
// Adds a child at the front of the parent's list. Null when too long / no memory.
DeleteItem* AddChild(DeleteItem& parent, const char* path, int64_t size, bool isFolder);
bool RemoveTopLevelItem(DeleteJob& job, DeleteItem* item);
void FreeChildren(DeleteItem& item);
// Number of top-level items; the first one's path (261-byte buffer) and folder
// flag when there is one and the outputs are given.
uint64_t CountItems(const DeleteJob& job, char* firstPath = nullptr, bool* firstIsFolder = nullptr);
// Replaces target's items by copies of source's top-level items (list order).
void CopyItems(DeleteJob& target, const DeleteJob& source);
// Sum of the sizes of the item and everything below it.
int64_t TotalSize(const DeleteItem& item);
