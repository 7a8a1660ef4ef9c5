#include "base/ansi_text.h"

#include <windows.h>

#include <cstring>
#include <cwctype>

bool WideToAnsiExact(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (text == nullptr || out == nullptr || units == 0 || units > 0x7FFFFFFF || outSize < 2)
    return false;
  // A UTF-8 code page represents every character and takes no best-fit flag;
  // there only ill-formed UTF-16 can fail.
  const bool utf8 = GetACP() == CP_UTF8;
  const int room = outSize - 1 > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(outSize - 1);
  BOOL usedDefault = FALSE;
  const int written = WideCharToMultiByte(
      CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
      reinterpret_cast<const wchar_t*>(text), static_cast<int>(units), out, room, nullptr,
      utf8 ? nullptr : &usedDefault);
  if (written <= 0 || usedDefault) return false;
  out[written] = '\0';
  return std::strlen(out) == static_cast<size_t>(written);
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
