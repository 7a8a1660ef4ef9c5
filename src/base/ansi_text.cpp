#include "base/ansi_text.h"

#include <windows.h>

#include <cstring>
#include <cwctype>
#include <string>
#include <string_view>

#include "base/exact_path.h"
#include "framework/handle.h"

bool WideToAnsiExact(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (text == nullptr || out == nullptr || units == 0 || units > 0x7FFFFFFF || outSize < 2)
    return false;
  // A UTF-8 code page represents every character and takes no best-fit flag;
  // there only ill-formed UTF-16 can fail.
  const bool utf8 = GetACP() == CP_UTF8;
  const int room = outSize - 1 > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(outSize - 1);
  BOOL usedDefault = FALSE;
  const int written =
      WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                          reinterpret_cast<const wchar_t*>(text), static_cast<int>(units), out,
                          room, nullptr, utf8 ? nullptr : &usedDefault);
  if (written <= 0 || usedDefault) return false;
  out[written] = '\0';
  return std::strlen(out) == static_cast<size_t>(written);
}

namespace {

// The item itself, not what a link of that name leads to.
bool OpenIdentity(const wchar_t* path, BY_HANDLE_FILE_INFORMATION& info) {
  kx::FileHandle item(CreateFileW(
      path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return item && GetFileInformationByHandle(item.Get(), &info);
}

// Whether the ANSI name, read back as the ANSI file functions read it, opens
// the item that the shell named.
bool NamesSameItem(std::u16string_view shellPath, const char* ansi) {
  const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi, -1, nullptr, 0);
  if (units <= 1) return false;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi, -1, wide.data(), units) != units)
    return false;
  wide.resize(static_cast<size_t>(units) - 1);
  const std::u16string shellFull = WithLongPathPrefix(shellPath);
  const std::u16string ansiFull = WithLongPathPrefix(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  if (!OpenIdentity(reinterpret_cast<const wchar_t*>(shellFull.c_str()), a) ||
      !OpenIdentity(reinterpret_cast<const wchar_t*>(ansiFull.c_str()), b))
    return false;
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

bool ShellPathToAnsi(const char16_t* path, size_t units, char* out, size_t outSize) {
  if (WideToAnsiExact(path, units, out, outSize)) return true;
  if (path == nullptr || units == 0 || units > 32000) return false;
  const std::u16string_view shellPath(path, units);
  const std::u16string full = WithLongPathPrefix(shellPath);
  const wchar_t* fullName = reinterpret_cast<const wchar_t*>(full.c_str());
  const DWORD needed = GetShortPathNameW(fullName, nullptr, 0);
  if (needed == 0 || needed > 32768) return false;
  std::u16string shortPath(needed, u'\0');
  const DWORD n = GetShortPathNameW(fullName, reinterpret_cast<wchar_t*>(shortPath.data()), needed);
  if (n == 0 || n >= needed) return false;
  shortPath.resize(n);
  if (PickAnsiPath(shellPath, shortPath, WideToAnsiExact, out, outSize) != AnsiPathForm::kShortName)
    return false;
  return NamesSameItem(shellPath, out);
}

std::string ShownName(const char16_t* text, size_t units) {
  if (text == nullptr || units == 0 || units > 0x7FFFFFFF) return {};
  const bool utf8 = GetACP() == CP_UTF8;
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = utf8 ? nullptr : "?";
  const int bytes = WideCharToMultiByte(CP_ACP, flags, wide, static_cast<int>(units), nullptr, 0,
                                        fallback, nullptr);
  if (bytes <= 0) return {};
  std::string shown(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide, static_cast<int>(units), shown.data(), bytes, fallback,
                      nullptr);
  shown.resize(strnlen(shown.c_str(), shown.size()));
  return shown;
}

std::wstring WideFromAnsi(const char* text) {
  if (!text) return {};
  const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units <= 1) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), units);
  wide.resize(static_cast<size_t>(units) - 1);
  return wide;
}

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring LongPathOf(const char* path) {
  if (path == nullptr || path[0] == '\0') return {};
  const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (units <= 1) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide.data(), units) != units)
    return {};
  wide.resize(static_cast<size_t>(units) - 1);

  // Split off the part that names the volume; the rest is names.
  std::wstring result;
  size_t rest;
  if (wide.size() >= 4 && IsSeparator(wide[0]) && IsSeparator(wide[1]) &&
      (wide[2] == L'?' || wide[2] == L'.') && IsSeparator(wide[3])) {
    // Already long (or a device path): its names are taken as they stand.
    result = L"\\\\?\\";
    rest = 4;
    if (wide.size() >= 8 && _wcsnicmp(wide.c_str() + 4, L"UNC", 3) == 0 && IsSeparator(wide[7])) {
      result += L"UNC\\";
      rest = 8;
    } else if (!(wide.size() >= 6 && iswalpha(wide[4]) && wide[5] == L':')) {
      return {};
    } else {
      result.append(wide, 4, 2);
      rest = 6;
    }
  } else if (wide.size() >= 2 && iswalpha(wide[0]) && wide[1] == L':') {
    if (wide.size() > 2 && !IsSeparator(wide[2])) return {};  // relative to the drive
    result = L"\\\\?\\";
    result.append(wide, 0, 2);
    rest = 2;
  } else if (wide.size() >= 3 && IsSeparator(wide[0]) && IsSeparator(wide[1]) &&
             !IsSeparator(wide[2])) {
    result = L"\\\\?\\UNC\\";
    rest = 2;
  } else {
    return {};
  }

  // The names, one separator before each.
  bool share = result.size() == 8;  // "\\?\UNC\": server and share come first
  size_t at = rest;
  int names = 0;
  while (at < wide.size()) {
    while (at < wide.size() && IsSeparator(wide[at])) ++at;
    if (at >= wide.size()) break;
    size_t end = at;
    while (end < wide.size() && !IsSeparator(wide[end])) ++end;
    const std::wstring name = wide.substr(at, end - at);
    if (name == L"." || name == L"..") return {};
    if (names > 0 || !share) result += L'\\';
    result += name;
    ++names;
    at = end;
  }
  if (share && names < 2) return {};  // a server alone is no folder
  // A drive root keeps its separator: "\\?\C:" would name the volume itself.
  if (!share && names == 0) result += L'\\';
  return result;
}
