#include "disk/raw_volume.h"

#include <winioctl.h>

#include "disk/disk_logic.h"

RawVolume::RawVolume(ControlFn control) : control_(control ? control : DeviceIoControl) {}

std::string RawVolume::PathFor(char letter) {
  std::string path = "\\\\.\\A:";
  path[4] = letter;
  return path;
}

bool RawVolume::Fail(DWORD error) {
  lastError_ = error;
  return false;
}

bool RawVolume::Open(char letter) {
  Close();
  file_.Reset(CreateFileA(PathFor(letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  return file_.Valid() || Fail(GetLastError());
}

bool RawVolume::Control(DWORD code, void* out, DWORD outSize) {
  if (!file_) return Fail(ERROR_INVALID_HANDLE);
  DWORD returned = 0;
  if (!control_(file_.Get(), code, nullptr, 0, out, outSize, &returned, nullptr))
    return Fail(GetLastError());
  return true;
}

bool RawVolume::Lock() {
  if (!Control(FSCTL_LOCK_VOLUME, nullptr, 0)) return false;
  locked_ = true;
  return true;
}

bool RawVolume::Unlock() {
  if (!Control(FSCTL_UNLOCK_VOLUME, nullptr, 0)) return false;
  locked_ = false;
  return true;
}

bool RawVolume::Dismount() { return Control(FSCTL_DISMOUNT_VOLUME, nullptr, 0); }

void RawVolume::Close() {
  // A lock ends with its handle, but say so rather than leave it to that.
  if (locked_) Unlock();
  locked_ = false;
  file_.Reset();
}

uint64_t RawVolume::Measure() {
  lastError_ = 0;
  GET_LENGTH_INFORMATION length{};
  if (Control(IOCTL_DISK_GET_LENGTH_INFO, &length, sizeof length) && length.Length.QuadPart > 0)
    return static_cast<uint64_t>(length.Length.QuadPart);
  PARTITION_INFORMATION partition{};
  if (Control(IOCTL_DISK_GET_PARTITION_INFO, &partition, sizeof partition) &&
      partition.PartitionLength.QuadPart > 0)
    return static_cast<uint64_t>(partition.PartitionLength.QuadPart);
  DISK_GEOMETRY geometry{};
  if (Control(IOCTL_DISK_GET_DRIVE_GEOMETRY, &geometry, sizeof geometry)) {
    uint64_t size = GeometryLength(geometry.Cylinders.QuadPart, geometry.TracksPerCylinder,
                                   geometry.SectorsPerTrack, geometry.BytesPerSector);
    if (size > 0) return size;
  }
  DWORD remembered = lastError_;
  LARGE_INTEGER fileSize{};
  if (file_ && GetFileSizeEx(file_.Get(), &fileSize) && fileSize.QuadPart > 0)
    return static_cast<uint64_t>(fileSize.QuadPart);
  lastError_ = remembered ? remembered : ERROR_SEEK;
  return 0;
}

uint32_t RawVolume::ReportedSectorSize() {
  DISK_GEOMETRY geometry{};
  return Control(IOCTL_DISK_GET_DRIVE_GEOMETRY, &geometry, sizeof geometry) ? geometry.BytesPerSector
                                                                            : 0;
}

bool RawVolume::WriteAt(uint64_t offset, const void* data, uint32_t size) {
  if (!file_) return Fail(ERROR_INVALID_HANDLE);
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file_.Get(), position, nullptr, FILE_BEGIN)) return Fail(GetLastError());
  DWORD written = 0;
  if (!WriteFile(file_.Get(), data, size, &written, nullptr)) return Fail(GetLastError());
  return written == size || Fail(ERROR_DISK_FULL);
}

bool RawVolume::ReadAt(uint64_t offset, void* data, uint32_t size) {
  if (!file_) return Fail(ERROR_INVALID_HANDLE);
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file_.Get(), position, nullptr, FILE_BEGIN)) return Fail(GetLastError());
  DWORD read = 0;
  if (!ReadFile(file_.Get(), data, size, &read, nullptr)) return Fail(GetLastError());
  return read == size || Fail(ERROR_HANDLE_EOF);
}

bool RawVolume::Flush() {
  if (!file_) return Fail(ERROR_INVALID_HANDLE);
  return FlushFileBuffers(file_.Get()) || Fail(GetLastError());
}
