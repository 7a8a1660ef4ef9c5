#include "engine/handle_ops.h"

#include <winternl.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "engine/delete_job.h"
#include "engine/overwrite_plan.h"

namespace engine {

DWORD LastErrorOr(DWORD fallback) {
  DWORD code = GetLastError();
  return code != ERROR_SUCCESS ? code : fallback;
}

HandleFacts FactsOf(HANDLE file) {
  HandleFacts facts;
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard))
    return facts;
  facts.attributes = basic.FileAttributes;
  facts.links = standard.NumberOfLinks;
  facts.size = standard.EndOfFile.QuadPart;
  facts.allocation = standard.AllocationSize.QuadPart;
  facts.known = true;
  return facts;
}

FileIdentity IdentityOf(HANDLE handle) {
  FileIdentity identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return identity;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  identity.known = true;
  return identity;
}

DWORD VolumeOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(handle, &info) ? info.dwVolumeSerialNumber : 0;
}

std::wstring FinalPathOf(HANDLE handle) {
  const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  wchar_t buffer[MAX_PATH + 1];
  DWORD length = GetFinalPathNameByHandleW(handle, buffer, MAX_PATH + 1, flags);
  if (length != 0 && length <= MAX_PATH) return std::wstring(buffer, length);
  // Too small: the system answers with the length it needs, or (Wine, for a
  // path near the limit with its "\\?\" prefix) with ERROR_MORE_DATA alone.
  const DWORD error = GetLastError();
  const bool tooSmall = length > MAX_PATH || error == ERROR_MORE_DATA ||
                        error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_NOT_ENOUGH_MEMORY;
  if (!tooSmall) return {};
  if (length <= MAX_PATH) length = 32768;
  std::wstring longer(length, L'\0');
  DWORD again = GetFinalPathNameByHandleW(handle, &longer[0], length, flags);
  if (again == 0 || again >= length) {
    if (again != 0) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return {};
  }
  longer.resize(again);
  return longer;
}

bool SetAttributesThrough(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};
  basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

bool RenameThrough(HANDLE file, const std::wstring& to) {
  const size_t bytes = sizeof(FILE_RENAME_INFO) + (to.size() + 1) * sizeof(wchar_t);
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[bytes]());
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.get());
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
  return Unredirected([&] {
           return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(bytes));
         }) != 0;
}

bool DisposeThrough(HANDLE file) {
  FILE_DISPOSITION_INFO dispose = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose) != 0;
}

DWORD DisposeLink(HANDLE link, DWORD attributes) {
  // The handle reached the target (the system followed the link although
  // told not to): whatever is done through it would happen out there.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return ERROR_NOT_SUPPORTED;
  // Any other reparse point holds the item's own data, which removing it
  // would claim destroyed.
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!GetFileInformationByHandleEx(link, FileAttributeTagInfo, &tag, sizeof tag))
    return LastErrorOr(ERROR_NOT_SUPPORTED);
  if (!IsNameSurrogate(tag.ReparseTag)) return kReasonNotALink;
  if (attributes & FILE_ATTRIBUTE_READONLY) SetAttributesThrough(link, FILE_ATTRIBUTE_NORMAL);
  if (!DisposeThrough(link)) return GetLastError();
  return ERROR_SUCCESS;  // gone when the handle closes
}

std::wstring TemporaryNameBeside(const std::wstring& where, uint32_t number) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  const size_t slash = where.find_last_of(L'\\');
  const size_t start = slash == std::wstring::npos ? 0 : slash + 1;
  const uint32_t digits = TemporaryNameDigits(where.size() - start);
  std::wstring name = where.substr(0, start) + L"KX";
  for (int shift = 20; shift >= 0; shift -= 4) name += kHex[(number >> shift) & 0xF];
  uint64_t state = number;
  for (uint32_t i = 6; i < digits; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    name += kHex[state >> 60];
  }
  return name + L".tmp";
}

size_t ScrubFolderIndex(HANDLE folder, const std::vector<std::wstring>& names) {
  std::vector<kx::FileHandle> laid;
  laid.reserve(names.size());
  for (const std::wstring& name : names) {
    if (name.empty() || name.find(L'\\') != std::wstring::npos) continue;
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE file = nullptr;
    const NTSTATUS made = NtCreateFile(
        &file, DELETE | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, 0,
        FILE_CREATE, FILE_NON_DIRECTORY_FILE | FILE_DELETE_ON_CLOSE | FILE_SYNCHRONOUS_IO_NONALERT,
        nullptr, 0);
    if (made >= 0) laid.emplace_back(file);
  }
  return laid.size();
}

HANDLE OpenFolderToLook(const std::wstring& path, bool followLinks) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return Unredirected([&] {
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
  });
}

HANDLE OpenItemItself(const std::wstring& path) {
  return Unredirected([&] {
    return CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
  });
}

DWORD LookAtItself(const std::wstring& path, kx::FileHandle& item, HandleFacts& facts) {
  if (path.empty()) return ERROR_INVALID_NAME;
  item.Reset(OpenItemItself(path));
  if (!item) return LastErrorOr(ERROR_OPEN_FAILED);
  facts = FactsOf(item.Get());
  return facts.known ? ERROR_SUCCESS : LastErrorOr(ERROR_INVALID_FUNCTION);
}

}  // namespace engine
