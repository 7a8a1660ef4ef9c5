#include "base/path_match.h"

#include <windows.h>

#include <string>

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
  return CompareStringOrdinal(a, static_cast<int>(units), b, static_cast<int>(units), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool SameOrInsideOnDisk(const char* listed, const char* path) {
  if (!listed || !path) return false;
  const std::wstring t = Wide(listed);
  const std::wstring p = Wide(path);
  if (t.empty() || p.empty()) return false;
  const size_t m = t.size(), n = p.size();
  if (m == n) return SameIgnoringCase(t.data(), p.data(), n);
  if (m > n || m <= 1) return false;
  // The listed path must end where a component of the other one ends.
  if (p[m] != L'\\' && p[m - 1] != L'\\') return false;
  return SameIgnoringCase(t.data(), p.data(), m);
}
