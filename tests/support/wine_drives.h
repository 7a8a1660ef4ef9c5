#pragma once
// Drive letters of the running Wine session, defined through Wine's drive
// manager as Wine's own configuration does: a Windows program under Wine
// cannot make them otherwise, and a link laid in the prefix alone stays
// unknown to the session until it restarts.
#include <windows.h>

#include <string>

namespace kxtest {

// The record Wine's drive manager takes to define a drive: the fixed part,
// then the zero-terminated Unix paths its offsets point to. Without a root
// the drive is removed.
struct WineUnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPoint;
  USHORT device;
  USHORT label;
};
constexpr DWORD kDefineUnixDrive = 0x6DC080;

// The drive's root is the Unix folder `root`; `device`, when given, the Unix
// file that opens as its raw volume. An empty root removes the drive.
inline bool DefineWineDrive(char letter, UINT type, const std::string& root,
                            const std::string& device = std::string()) {
  std::string record(sizeof(WineUnixDrive), '\0');
  size_t rootAt = 0, deviceAt = 0;
  if (!root.empty()) {
    rootAt = record.size();
    record += root;
    record += '\0';
  }
  if (!device.empty()) {
    deviceAt = record.size();
    record += device;
    record += '\0';
  }
  auto* drive = reinterpret_cast<WineUnixDrive*>(record.data());
  drive->size = static_cast<ULONG>(record.size());
  drive->type = type;
  drive->letter = static_cast<WCHAR>(letter - 'A' + 'a');
  drive->mountPoint = static_cast<USHORT>(rootAt);
  drive->device = static_cast<USHORT>(deviceAt);
  HANDLE manager =
      CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, record.data(),
                            static_cast<DWORD>(record.size()), nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return ok != FALSE;
}

// The Unix path Wine gives a Windows path; empty when it gives none.
inline std::string UnixPathOf(const wchar_t* path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* unixPath = toUnix ? toUnix(path) : nullptr;
  if (!unixPath) return {};
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

}  // namespace kxtest
