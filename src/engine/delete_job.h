#pragma once
// The deletion job: a tree of the files and folders to destroy, rooted in one
// record that also carries what a running job needs. The tree operations here
// are plain logic; walking the disk (Prepare) and destroying (Delete) live
// beside it and call back into the job's host for progress and prompts.
#include <cstddef>
#include <cstdint>

#include "base/config_record.h"
#include "engine/chosen_identity.h"
#include "engine/item_arena.h"
#include "engine/job_report.h"

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

// Reasons of the engine's own for a failed step, passed to the error prompt
// in place of a system error code. They carry the bit that the system leaves
// to applications, so no system error has the same number.
constexpr uint32_t kReasonOtherNames = 0x204B0001;        // hard links share the contents
constexpr uint32_t kReasonOutsideSelection = 0x204B0002;  // the name leads elsewhere now
constexpr uint32_t kReasonNotALink = 0x204B0003;          // a reparse point that holds data
constexpr uint32_t kReasonChanged = 0x204B0004;           // not what it was when confirmed
constexpr uint32_t kReasonBecameLink = 0x204B0005;        // a link now, where the walk found data
constexpr uint32_t kReasonVerifyFailed = 0x204B0006;      // read back, not what was written
// The language key (section Global) of the text that explains one of the
// reasons above; null for a system error code.
const char* OwnReasonKey(uint32_t code);

struct DeleteJob;

// The path of an item. An item keeps only what its path adds to its parent's
// (the name, for what a folder listing found), so a job of a million files
// does not hold a million full paths; the full path is built when asked for.
class ItemPath {
 public:
  // The full path, built into one of the job's path slots. The text stays
  // valid until kPathSlots more paths of the same job have been built, which
  // covers a call that takes it; hold a copy (CopyTo) across anything that
  // walks other items. Only the thread that works on the job may ask.
  operator const char*() const;
  // The full path into out (size bytes); false when it does not fit, and out
  // then holds an empty text.
  bool CopyTo(char* out, size_t size) const;
  size_t Length() const { return length_; }

 private:
  friend struct ItemPathAccess;
  uint16_t length_;    // of the full path, without the terminator
  uint8_t flags_;      // see delete_job.cpp
  uint8_t sizeClass_;  // the item's block in the job's arena
};

constexpr int kPathSlots = 8;

struct DeleteItem {
  ItemPath path;     // first: the path finds its item from its own address
  const char* name;  // the name part of the path, kept with the item
  int64_t size;      // bytes; 0 for folders and unprepared items
  uint8_t isFolder;
  uint8_t isLink;    // the walk found a link here: it goes as a link
  DeleteJob* job;    // the owning job (the root's points to the root)
  DeleteItem* next;  // siblings: doubly linked, no tail pointer
  DeleteItem* prev;
  DeleteItem* parent;  // null only for the root
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
  // failed path and the system error code come with it (or one of the
  // engine's own reasons, see OwnReasonKey). Answers a button identifier
  // (kAnswer...).
  virtual int ErrorPrompt(DeleteJob& job, const char* messageKey, const char* path,
                          uint32_t errorCode) = 0;
  // Switches the bar between busy (marquee) and normal.
  virtual void SetBusy(DeleteJob& job, bool busy) = 0;
  // Cancels the job: every later report answers false.
  virtual void Cancel(DeleteJob& job) = 0;
  // Called after a file was completely overwritten and flushed, before its
  // length is cut (a seam that lets tests read what was written).
  virtual void FileOverwritten(DeleteJob& job, const char* path) {}
  // Called once an item (a file, a link or a folder) is gone from the disk.
  virtual void ItemRemoved(DeleteJob& job, const char* path) {}
};

struct DeleteJob {
  DeleteItem root;        // empty path; its children are the top-level items
  ConfigRecord settings;  // given afresh when the job starts running
  ShredOptions options;   // the same
  JobReport* report;      // what the job did goes here; null: nobody asked
  JobHost* host;          // null while no progress window is attached
  bool running;           // a worker owns the job: Clear is refused
  uint8_t* fillBuffer;    // kFillBufferSize bytes during the deletion pass
  uint64_t totalBytes;
  uint64_t doneBytes;
  uint64_t fileCount;
  uint8_t skipAllDeleteErrors;
  uint8_t skipAllListErrors;
  uint32_t lastLabelUpdate;  // GetTickCount of the last label update; 0 never
  ItemArena items;           // every item but the root; freed with the job
  // What the top-level items were when the user confirmed them; null when
  // nobody took it (then nothing is compared). Owned by the job.
  ChosenIdentities* chosen;
  char pathSlots[kPathSlots][kMaxPathBytes + 1];
  uint32_t nextPathSlot;
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
// The same for the entry name of a folder listing: the child's path is the
// parent's joined with the name (one backslash between them). Null for an
// empty name, a joined path over 260 bytes, or no memory.
DeleteItem* AddNamedChild(DeleteItem& parent, const char* name, int64_t size, bool isFolder);
bool RemoveTopLevelItem(DeleteJob& job, DeleteItem* item);
void FreeChildren(DeleteItem& item);
// Number of top-level items; the first one's path (261-byte buffer) and folder
// flag when there is one and the outputs are given.
uint64_t CountItems(const DeleteJob& job, char* firstPath = nullptr, bool* firstIsFolder = nullptr);
// Replaces target's items by copies of source's top-level items (list order)
// and of what they were when confirmed.
void CopyItems(DeleteJob& target, const DeleteJob& source);
// Sum of the sizes of the item and everything below it.
int64_t TotalSize(const DeleteItem& item);
