// Gives the running Wine session the drives the disk tests work on. A link
// in the prefix's dosdevices folder alone is not enough: Wine's drive
// manager reads that folder when the session starts, and a letter it does
// not know is missing from GetLogicalDrives, so the disk chooser would not
// list it. Each drive is defined through the drive manager instead, which
// also lays the links:
//   K:  the folder k-root as its root, the image file k.img as its raw volume
//   M:  the folder m-root only
//   N:  the folder n-root, as a CD-ROM drive
// Usage: define_wine_drives <Unix folder holding k-root, m-root, n-root, k.img>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The record Wine's drive manager takes to define a drive: the fixed part,
// then the zero-terminated Unix paths its offsets point to.
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

bool DefineWineDrive(char letter, UINT type, const std::string& root, const std::string& device) {
  std::string record(sizeof(WineUnixDrive), '\0');
  record += root;
  record += '\0';
  size_t deviceAt = 0;
  if (!device.empty()) {
    deviceAt = record.size();
    record += device;
    record += '\0';
  }
  auto* drive = reinterpret_cast<WineUnixDrive*>(record.data());
  drive->size = static_cast<ULONG>(record.size());
  drive->type = type;
  drive->letter = static_cast<WCHAR>(letter - 'A' + 'a');
  drive->mountPoint = sizeof(WineUnixDrive);
  drive->device = static_cast<USHORT>(deviceAt);
  HANDLE manager = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, record.data(), static_cast<DWORD>(record.size()),
                            nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return ok != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: define_wine_drives <drives folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct {
    char letter;
    UINT type;
    const char* root;
    const char* device;
  } const drives[] = {
      {'K', DRIVE_FIXED, "/k-root", "/k.img"},
      {'M', DRIVE_FIXED, "/m-root", nullptr},
      {'N', DRIVE_CDROM, "/n-root", nullptr},
  };
  int failed = 0;
  for (const auto& d : drives) {
    const char root[] = {d.letter, ':', '\\', '\0'};
    bool ok = DefineWineDrive(d.letter, d.type, dir + d.root, d.device ? dir + d.device : std::string());
    bool known = (GetLogicalDrives() >> (d.letter - 'A')) & 1;
    if (!ok || !known || GetDriveTypeA(root) != d.type) {
      std::fprintf(stderr, "%c: not defined (error %lu)\n", d.letter, GetLastError());
      ++failed;
    }
  }
  return failed ? 1 : 0;
}
