#pragma once
// The deletion pass: every file of a prepared job is overwritten in place with
// the fill pattern, cut to zero length and removed under a temporary name;
// folders go after their contents. Runs on the job's worker thread and talks
// to the user only through the job's host (progress reports and prompts).
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/delete_job.h"
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

 private:
  HANDLE lastFile_ = nullptr;  // the handle the file position below belongs to
  uint64_t position_ = 0;
};

class Shredder {
 public:
  // writer: null for the real WriteFile.
  explicit Shredder(DeleteJob& job, FileWriter* writer = nullptr);
  ~Shredder();
  Shredder(const Shredder&) = delete;
  Shredder& operator=(const Shredder&) = delete;

  // The whole pass over the job's tree. False when the fill buffer cannot be
  // had (nothing is touched) or when anything was left in place.
  bool Delete();
  // Destroys the item and everything below it, children first. True when
  // everything is gone (a drive root counts as gone once it is empty).
  bool DeleteItemTree(DeleteItem& item);
  // Overwrites, cuts and removes one file; a link is only removed. Nothing
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
  class Anchor;
  // The three steps of Shred, all through one handle. The open removes a
  // link in place of opening it and learns the sector size and length; the
  // overwrite writes the fill pattern over every byte and flushes; the cut
  // sets the length to zero and the file is removed.
  Opened OpenForOverwrite(const char* path, OpenFile& file);
  bool Overwrite(OpenFile& file, const char* path);
  bool CutAndRemove(const char* path, OpenFile& file);
  // For a file that refused to be opened for writing: removes it when it is
  // a link, else clears the attributes that keep it from being written when
  // it lies inside the item (code gets the reason when it does not).
  Opened ClearBlockingAttributes(const char* path, OpenFile& file, DWORD& code);
  // Renames the item behind the handle to a temporary name beside where
  // (its full path) and removes it; on giving up it gets its name back.
  bool RemoveThrough(kx::FileHandle& item, const char* path, const std::wstring& where,
                     bool folder);
  uint32_t NextTemporaryNumber();
  int64_t ShredFile(const char* path);
  // What the handle of an opened file shows: ERROR_SUCCESS for a plain file
  // inside the selected item, or the reason it must not be written.
  DWORD Examine(OpenFile& file, const char* path, bool& isLink);
  // ERROR_SUCCESS when the handle's final path lies inside the item being
  // destroyed, else the reason; where (when given) gets that final path, or
  // stays empty when the system could not give it in full.
  DWORD CheckInside(HANDLE handle, std::wstring* where = nullptr);
  // Takes the final path that everything of the item at path must lie in.
  void AnchorOn(const char* path);
  // Opens a folder before its contents go, to see through the handle what
  // the name leads to now.
  Entered EnterFolder(const DeleteItem& item);
  void PutAttributesBack(const char* path, DWORD attributes);
  bool Report(const char* fileText, const char* folderText);
  Next AfterFailure(const char* messageKey, const char* path, DWORD code);
  bool EnsureFillBuffer();
  uint32_t SectorSizeOf(const char* path);
  bool WriteAt(HANDLE file, uint64_t offset, DWORD size, const char* path);
  bool RemoveLink(const char* path, bool folder);
  // CheckInside for a handle whose final path the system cannot give in
  // full (Wine, near the path limit): its volume and its path on the volume.
  DWORD CheckInsideOnVolume(HANDLE handle, DWORD finalPathError);

  DeleteJob& job_;
  FileWriter defaultWriter_;
  FileWriter* writer_;
  bool ownsFillBuffer_ = false;
  bool cancelled_ = false;
  // The final path of the item being destroyed; empty when it could not be
  // had (anchorError_ says why) or when no item is being destroyed.
  std::wstring anchor_;
  DWORD anchorError_ = 0;
  // The serial number of the volume the anchor lies on; 0 when unknown.
  DWORD anchorVolume_ = 0;
  bool anchored_ = false;
  char sectorFolder_[kMaxPathBytes + 1] = "";
  uint32_t sectorSize_ = 0;
  uint32_t temporaryNumber_ = 0;
};

// The same operations with the real WriteFile, one shredder per call.
bool Delete(DeleteJob& job);
bool DeleteItemTree(DeleteItem& item);
int64_t Shred(const char* path, DeleteJob& job);
bool Remove(const char* path, DeleteJob& job, bool folder);
