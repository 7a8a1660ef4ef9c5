#include "disk/volume_guard.h"

#include "framework/handle.h"

namespace {

// SUBST letters may stand for folders of other SUBST letters; the chain is
// cut short rather than followed around a loop.
constexpr int kMaxSubstDepth = 4;

VolumeIdentity IdentifyPathAt(const std::wstring& path, int depth);

std::wstring DeviceOf(const std::wstring& name) {
  wchar_t target[MAX_PATH * 2] = L"";
  return QueryDosDeviceW(name.c_str(), target, MAX_PATH * 2) ? target : L"";
}

std::wstring VolumeNameOf(const std::wstring& mountPoint) {
  wchar_t name[MAX_PATH] = L"";
  return GetVolumeNameForVolumeMountPointW(mountPoint.c_str(), name, MAX_PATH) ? name : L"";
}

// The serial of the volume that holds the item, from the item's own handle:
// the file system answers it, whatever letters, links or mount points the
// path went through.
void ReadSerial(const std::wstring& path, VolumeIdentity& id) {
  // A drive without its medium answers at once instead of asking for it.
  DWORD errorMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS, &errorMode);
  kx::FileHandle item(CreateFileW(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  SetThreadErrorMode(errorMode, nullptr);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!item || !GetFileInformationByHandle(item.Get(), &info)) return;
  id.hasSerial = true;
  id.serial = info.dwVolumeSerialNumber;
}

VolumeIdentity IdentifyDriveAt(char letter, int depth) {
  letter = DriveOfPath(std::string{letter, ':'}.c_str());
  if (!letter) return {};
  const std::wstring name{static_cast<wchar_t>(letter), L':'};
  const std::wstring device = DeviceOf(name);
  const std::wstring substituted = SubstitutedPath(device);
  if (!substituted.empty() && depth < kMaxSubstDepth) return IdentifyPathAt(substituted, depth + 1);
  VolumeIdentity id;
  id.letter = letter;
  id.device = device;
  id.name = VolumeNameOf(name + L'\\');
  ReadSerial(name + L'\\', id);
  return id;
}

VolumeIdentity IdentifyPathAt(const std::wstring& path, int depth) {
  wchar_t mountPoint[MAX_PATH] = L"";
  VolumeIdentity id;
  if (!GetVolumePathNameW(path.c_str(), mountPoint, MAX_PATH)) {
    // Where the system names no volume the path's own letter stands in.
    if (char letter = DriveOfPath(path.c_str())) id = IdentifyDriveAt(letter, depth);
  } else if (mountPoint[0] && DriveOfPath(mountPoint) && mountPoint[2] == L'\\' && !mountPoint[3]) {
    id = IdentifyDriveAt(DriveOfPath(mountPoint), depth);
  } else {
    // A volume mounted into a folder: it has a name and a device but no
    // letter of its own; the letter of the folder is kept only when nothing
    // else is known.
    id.name = VolumeNameOf(mountPoint);
    if (id.name.size() > 5 && id.name.back() == L'\\')
      id.device = DeviceOf(id.name.substr(4, id.name.size() - 5));
    if (id.name.empty()) id.letter = DriveOfPath(mountPoint);
  }
  ReadSerial(path, id);
  return id;
}

std::wstring SystemPartitionDevice() {
  wchar_t device[MAX_PATH] = L"";
  DWORD size = sizeof device;
  LONG result = RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\Setup", L"SystemPartition",
                             RRF_RT_REG_SZ, nullptr, device, &size);
  return result == ERROR_SUCCESS ? device : L"";
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

VolumeIdentity IdentifyPath(const std::wstring& path) { return IdentifyPathAt(path, 0); }

VolumeIdentity IdentifyDrive(char letter) { return IdentifyDriveAt(letter, 0); }

GuardedVolumes FindGuardedVolumes() {
  GuardedVolumes guarded;
  wchar_t path[MAX_PATH + 1] = L"";
  if (GetWindowsDirectoryW(path, MAX_PATH)) guarded.system.push_back(IdentifyPath(path));
  if (GetSystemDirectoryW(path, MAX_PATH)) guarded.system.push_back(IdentifyPath(path));
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  if (length > 0 && length <= MAX_PATH) guarded.program.push_back(IdentifyPath(path));
  guarded.systemPartition = SystemPartitionDevice();
  return guarded;
}

DriveGuard GuardOf(char letter, const GuardedVolumes& guarded) {
  DriveFacts drive;
  drive.volume = IdentifyDrive(letter);
  const std::wstring root{static_cast<wchar_t>(letter), L':', L'\\'};
  // Boot files live on fixed disks; a setup stick that carries the same
  // folders is no part of this system.
  if (GetDriveTypeW(root.c_str()) == DRIVE_FIXED) {
    wchar_t label[MAX_PATH + 1] = L"";
    if (GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                              0))
      drive.label = label;
    drive.bootFiles = Exists(root + L"Boot\\BCD") || Exists(root + L"EFI\\Microsoft\\Boot");
  }
  return GuardDrive(drive, guarded);
}
