#include "base/path_match.h"

#include <windows.h>

#include <string>

#include "framework/handle.h"

namespace {

// The code page's text as UTF-16, in which a backslash is always a
// separator. Empty when the bytes are not valid in the code page.
std::wstring Wide(const char* text) {
  const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (units <= 1) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide.data(), units);
  wide.resize(static_cast<size_t>(units) - 1);
  return wide;
}

// The comparison the file system makes of names: code point by code point
// after upper-casing each, with no linguistic equivalences ("ss" is not "ß").
bool SameIgnoringCase(const wchar_t* a, const wchar_t* b, size_t units) {
  return CompareStringOrdinal(a, static_cast<int>(units), b, static_cast<int>(units), TRUE) ==
         CSTR_EQUAL;
}

// Where the two spellings differ only in letter case, a folder that tells
// cases apart (Linux folders under Wine, folders so marked on Windows) holds
// two items: they are one only when they are one on the disk. Unsure (one
// cannot be opened) counts as one, as the names say.
bool SameOnDisk(const std::wstring& a, const std::wstring& b) {
  if (a == b) return true;
  const auto identity = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    std::wstring name = path;
    if (name.size() > 3 && name.back() == L'\\') name.pop_back();
    if (name.rfind(L"\\\\?\\", 0) != 0)  // the long form, which keeps every name
      name = name.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC\\" + name.substr(2) : L"\\\\?\\" + name;
    kx::FileHandle item(
        CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return item && GetFileInformationByHandle(item.Get(), &info);
  };
  BY_HANDLE_FILE_INFORMATION x, y;
  if (!identity(a, x) || !identity(b, y)) return true;
  return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
         x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

bool SameOrInsideOnDisk(const char* listed, const char* path) {
  if (!listed || !path) return false;
  const std::wstring t = Wide(listed);
  const std::wstring p = Wide(path);
  if (t.empty() || p.empty()) return false;
  const size_t m = t.size(), n = p.size();
  if (m == n) return SameIgnoringCase(t.data(), p.data(), n) && SameOnDisk(t, p);
  if (m > n || m <= 1) return false;
  // The listed path must end where a component of the other one ends.
  if (p[m] != L'\\' && p[m - 1] != L'\\') return false;
  return SameIgnoringCase(t.data(), p.data(), m) && SameOnDisk(t, p.substr(0, m));
}
