#pragma once
// One volume opened through its raw path "\\.\X:", for the disk eraser. Every
// call answers whether it worked and, when not, leaves the system's error in
// LastError(), read right where the call failed.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/handle.h"

class RawVolume {
 public:
  // The system's DeviceIoControl, or a stand-in: a lock that fails cannot be
  // provoked everywhere (Wine grants every lock).
  using ControlFn = BOOL(WINAPI*)(HANDLE, DWORD, void*, DWORD, void*, DWORD, DWORD*, OVERLAPPED*);
  explicit RawVolume(ControlFn control = nullptr);

  // "\\.\X:" for the letter.
  static std::string PathFor(char letter);

  // Read and write, shared for reading and writing, no flags: the volume's
  // own rules for raw access apply, as the eraser writes whole sectors from
  // an aligned buffer anyway.
  bool Open(char letter);
  bool IsOpen() const { return file_.Valid(); }
  bool Lock();
  bool Unlock();
  bool Dismount();
  void Close();

  // The length in bytes, from the first source that answers: the disk's
  // length, its partition, its geometry, and last the handle's own size,
  // which is how an image file behind a drive letter answers. 0 when none
  // does; LastError() then holds the last failure (25 when there was none).
  uint64_t Measure();
  // Bytes per sector from the geometry; 0 when the volume does not say.
  uint32_t ReportedSectorSize();

  // Writes size bytes at the offset. A write that moves fewer bytes fails too,
  // with ERROR_DISK_FULL.
  bool WriteAt(uint64_t offset, const void* data, uint32_t size);
  // Reads size bytes at the offset, to verify what was written; fewer bytes
  // fail with ERROR_HANDLE_EOF.
  bool ReadAt(uint64_t offset, void* data, uint32_t size);
  // Puts what was written onto the medium.
  bool Flush();

  DWORD LastError() const { return lastError_; }

 private:
  bool Control(DWORD code, void* out, DWORD outSize);
  bool Fail(DWORD error);

  ControlFn control_;
  kx::FileHandle file_;
  bool locked_ = false;
  DWORD lastError_ = 0;
};
