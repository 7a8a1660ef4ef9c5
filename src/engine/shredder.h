#pragma once
// The deletion pass: every file of a prepared job is overwritten in place with
// the fill pattern, cut to zero length and removed under a temporary name;
// folders go after their contents. Runs on the job's worker thread and talks
// to the user only through the job's host (progress reports and prompts).
//
// Every name reaches the system in its long wide form, as the user chose it
// (a trailing dot or space included), and everything after the open goes
// through the handle that was checked to lie inside the selected item.
// shredder.cpp holds the steps of one file or folder, shredder_tree.cpp the
// pass over the tree; containment.h decides what lies inside.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/chunk_window.h"
#include "engine/containment.h"
#include "engine/delete_job.h"
#include "engine/file_streams.h"
#include "engine/handle_ops.h"
#include "engine/random_fill.h"
#include "framework/handle.h"

// Shred's answer for a file that is still there: it could not be opened,
// overwritten or removed, it was skipped, or the job was cancelled.
constexpr int64_t kShredGivenUp = -1;

// The one call that puts fill data on the disk. Tests replace it to see every
// write and to make writes fail.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Writes at an absolute offset of a synchronous handle; false with the
  // reason in GetLastError. A write that goes on where the last one on the
  // same handle ended is a plain write from the file position: positioned
  // writes cost several times as much under Wine.
  virtual bool Write(HANDLE file, uint64_t offset, const void* data, DWORD size, DWORD& written);
  // Brings what was written to the disk; false with the reason in
  // GetLastError.
  virtual bool Flush(HANDLE file);
  // Reads back at an absolute offset of the same handle, to verify what was
  // written; read is short at the end of the file. False with the reason in
  // GetLastError.
  virtual bool Read(HANDLE file, uint64_t offset, void* data, DWORD size, DWORD& read);

 private:
  HANDLE lastFile_ = nullptr;  // the handle the file position below belongs to
  uint64_t position_ = 0;
};

namespace engine {

class Shredder {
 public:
  // writer: null for the real WriteFile; streams: null for the system's
  // own named streams.
  explicit Shredder(DeleteJob& job, FileWriter* writer = nullptr, StreamAccess* streams = nullptr);
  ~Shredder();
  Shredder(const Shredder&) = delete;
  Shredder& operator=(const Shredder&) = delete;
  // Where random fill comes from (the system's generator unless set); tests
  // make it fail.
  void SetRandomSource(RandomSource source) { random_ = source; }

  // The whole pass over the job's tree. False when the fill buffer cannot be
  // had (nothing is touched) or when anything was left in place.
  bool Delete();
  // Destroys the item and everything below it, children first. True when
  // everything is gone (a drive root counts as gone once it is empty).
  bool DeleteItemTree(DeleteItem& item);
  // Overwrites, cuts and removes one file, its named streams first; a link
  // is only removed. Nothing
  // is written or cut through a handle whose final path lies outside the
  // item being destroyed (the selected item, or the path itself when called
  // on its own), nor into a file that has other names. Answers
  // the bytes overwritten (0 for a link or an empty file), or kShredGivenUp
  // when the file is still there. A file that was not completely overwritten
  // keeps its name and length.
  int64_t Shred(const char* path);
  // Removes one file or empty folder, passing through a temporary name in its
  // folder, or one link, always through a handle on the item itself (never
  // by a name that could lead to a link's target) that was checked to lie
  // inside the item being destroyed. A drive root answers true untouched.
  bool Remove(const char* path, bool folder);

 private:
  enum class Next { kRetry, kGiveUp };
  enum class Opened { kFile, kLinkRemoved, kGivenUp };
  enum class Entered { kInside, kLink, kGivenUp };
  struct OpenFile;
  // Holds the place of one item for as long as it is being destroyed, when
  // no item around it holds one already.
  class Anchor {
   public:
    Anchor(Shredder& shredder, const char* path, bool take) : shredder_(shredder), took_(take) {
      if (take) shredder.anchor_.Take(path);
    }
    ~Anchor() {
      if (took_) shredder_.anchor_.Clear();
    }
    Anchor(const Anchor&) = delete;
    Anchor& operator=(const Anchor&) = delete;

   private:
    Shredder& shredder_;
    bool took_;
  };
  // An item as the user knows it (shown in prompts) and as the system is
  // asked for it.
  struct Name {
    const char* shown;
    std::wstring wide;
  };
  static Name NameOf(const char* path);

  // The three steps of a file, all through one handle. The open removes a
  // link in place of opening it (unless the walk found data there: then it
  // is a failed step) and learns the sector size and length; the overwrite
  // writes the fill pattern over every byte up to the end of the file's last
  // cluster and flushes; the cut sets the length to zero and the file is
  // removed. Its named streams go the same way before its contents.
  // sizeHint: the length the walk found (-1: unknown), which picks the
  // kind of handle before the file is opened.
  int64_t ShredFile(const Name& name, bool walkedAsLink, int64_t sizeHint);
  Opened OpenForOverwrite(const Name& name, OpenFile& file, bool walkedAsLink, int64_t sizeHint);
  bool Overwrite(OpenFile& file, const Name& name);
  // Overwrites, cuts and removes every named stream of the opened file;
  // false when one stays (the user was asked).
  bool ShredStreams(OpenFile& file, const Name& name);
  // One stream: ERROR_SUCCESS, the reason to ask the user about, or
  // kStreamGivenUp when the user was asked already and gave up.
  DWORD ShredStream(OpenFile& file, const Name& name, const std::wstring& stream, bool guessed);
  // Tells the job's report what the file system may keep of the file.
  void NoteCaveats(const OpenFile& file, const Name& name);
  bool CutAndRemove(const Name& name, OpenFile& file);
  bool RemoveItem(const Name& name, bool folder);
  // For a file that refused to be opened for writing: removes it when it is
  // a link, else clears the attributes that keep it from being written when
  // it lies inside the item and has no other names (code gets the reason
  // when it does not).
  Opened ClearBlockingAttributes(const Name& name, OpenFile& file, DWORD& code, bool walkedAsLink);
  // What the handle of an opened file shows: ERROR_SUCCESS for a plain file
  // inside the selected item, or the reason it must not be written.
  DWORD Examine(OpenFile& file, const Name& name, bool& isLink);
  // Renames the item behind the handle to a temporary name beside where
  // (its full path) and removes it; on giving up it gets its name back, and
  // the user hears when it cannot.
  bool RemoveThrough(kx::FileHandle& item, const char* path, const std::wstring& where,
                     bool folder);
  void RestoreName(kx::FileHandle& item, const char* path, const std::wstring& where);
  bool RemoveLink(const Name& name, bool folder);
  // A link stands where the walk found a file or folder: the data it named
  // has moved and survives, so this is a failed step, never a success.
  bool ReportBecameLink(const Name& name, bool folder);
  void PutAttributesBack(const Name& name, DWORD attributes);
  uint32_t NextTemporaryNumber();
  // The sector size of the file's volume; its cluster size goes to cluster.
  uint32_t SectorSizeOf(const Name& name, uint32_t& cluster);
  // Writes one chunk of fill at offset (new random data when the job asks
  // for it) and, when verifying, reads back each window of chunks once it
  // is full.
  bool WriteAt(HANDLE file, uint64_t offset, DWORD size, const char* path);
  bool WriteData(HANDLE file, uint64_t offset, const uint8_t* data, DWORD size, const char* path);
  // The data of the next chunk; null when the generator failed and the user
  // gave up.
  const uint8_t* NextChunkData(DWORD size, const char* path);
  // Reads back every chunk written since the last check (after a flush when
  // flush is set) and compares it; a failure is a failed step whose Try
  // Again writes those chunks again.
  bool VerifyWritten(HANDLE file, const char* path, bool flush);
  // ERROR_SUCCESS when every chunk of the window reads back as written;
  // kReasonVerifyFailed or the read's own error when not.
  DWORD CompareWindow(HANDLE file);

  // Opens a folder before its contents go, to see through the handle what
  // the name leads to now.
  Entered EnterFolder(const Name& name);
  // Before an emptied folder goes: lays and lets go, inside it, one empty
  // file for each item it held (the first 255 of a huge one), with a
  // temporary name as long as that item's, and one more as long as the
  // longest (the one a rename held for a moment), so that the copies of the
  // old entries that the file system left in the slack of the folder's
  // index are overwritten. Nothing for a folder that held nothing, nor for
  // one whose handle is not the checked one; no failure of it is a failed
  // step (the removal tells whether the folder is empty).
  void ScrubIndex(const DeleteItem& folder, const Name& name);
  // For a selected item: ERROR_SUCCESS when it and its folder are what they
  // were when the user confirmed them.
  DWORD CheckStillChosen(const char* path);

  bool Report(const char* fileText, const char* folderText);
  Next AfterFailure(const char* messageKey, const char* path, DWORD code);
  bool EnsureFillBuffer();

  DeleteJob& job_;
  FileWriter defaultWriter_;
  FileWriter* writer_;
  RandomSource random_ = SystemRandom;
  ChunkWindow window_;
  StreamAccess defaultStreams_;
  StreamAccess* streams_;
  bool ownsFillBuffer_ = false;
  bool cancelled_ = false;
  // The place of the item being destroyed; not taken while none is.
  SelectionAnchor anchor_;
  std::wstring sectorFolder_;
  uint32_t sectorSize_ = 0;
  uint32_t clusterSize_ = 0;
  // The volume whose flags were read last (its root), for the report.
  std::wstring flagsRoot_;
  DWORD volumeFlags_ = 0;
  uint32_t temporaryNumber_ = 0;
};

// The same operations with the real WriteFile, one shredder per call.
bool Delete(DeleteJob& job);
bool DeleteItemTree(DeleteItem& item);
int64_t Shred(const char* path, DeleteJob& job);
bool Remove(const char* path, DeleteJob& job, bool folder);

}  // namespace engine

using engine::Delete;
using engine::DeleteItemTree;
using engine::Remove;
using engine::Shred;
using engine::Shredder;
