#include "base/path_utils.h"

#include <cstring>

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Letter case is folded for ASCII only, byte for byte, so that positions in
// the folded copy are positions in the original as well.
std::string Upper(const char* text) {
  std::string result(text);
  for (char& c : result) c = AsciiUpper(c);
  return result;
}

}  // namespace

const char* PathRoot(const char* path) {
  if (!path) return nullptr;
  if (*path == '"') ++path;
  if (!*path) return nullptr;
  // The first colon ends a drive root. A later one can only introduce a
  // stream name (file:stream), which must not become the root.
  if (const char* colon = std::strchr(path, ':')) return colon[1] == '\\' ? colon + 1 : colon;
  if (path[0] != '\\') return nullptr;
  return path[1] == '\\' ? path + 1 : path;
}

bool PathParent(char* path) {
  if (!path || !*path) return false;
  char* root = PathRoot(path);
  char* start = root ? root + 1 : path;
  char* end = path + std::strlen(path);
  // A trailing backslash is part of the last component, as in PathName:
  // the parent of C:\dir\ is C:\, not C:\dir.
  if (end > start && end[-1] == '\\') --end;
  for (char* p = end; p > start;) {
    if (*--p == '\\') {
      *p = '\0';
      return true;
    }
  }
  *start = '\0';
  return true;
}

bool PathJoin(char* folder, size_t capacity, const char* name) {
  if (!folder || capacity == 0) return false;
  size_t length = strnlen(folder, capacity);
  if (length == capacity) return false;
  if (!name) name = "";
  while (*name == '\\') ++name;
  size_t separator = (length > 0 && folder[length - 1] != '\\') ? 1 : 0;
  size_t nameLength = std::strlen(name);
  if (length + separator + nameLength >= capacity) return false;
  if (separator) folder[length++] = '\\';
  std::memcpy(folder + length, name, nameLength + 1);
  return true;
}

const char* PathName(const char* path) {
  if (!path) return "";
  size_t length = std::strlen(path);
  // Starting one byte before the end keeps a trailing backslash in the name.
  for (size_t i = length; i >= 2; --i) {
    if (path[i - 2] == '\\') return path + i - 1;
  }
  return path;
}

bool QuoteIfNeeded(char* path, size_t capacity) {
  if (!path || capacity == 0) return false;
  size_t length = strnlen(path, capacity);
  if (length == capacity) return false;
  if (length >= 2 && path[0] == '"' && path[length - 1] == '"') return true;
  if (!std::memchr(path, ' ', length)) return true;
  if (length + 3 > capacity) return false;
  std::memmove(path + 1, path, length);
  path[0] = '"';
  path[length + 1] = '"';
  path[length + 2] = '\0';
  return true;
}

bool SwitchValue(const char* commandLine, const char* switchName, char* value, size_t valueSize) {
  if (value && valueSize > 0) value[0] = '\0';
  if (!commandLine || !switchName || !*switchName) return false;
  size_t at = Upper(commandLine).find(Upper(switchName));
  if (at == std::string::npos) return false;

  const char* rest = commandLine + at + std::strlen(switchName);
  if (!*rest) return true;
  bool quoted = *rest == '"';
  if (quoted) ++rest;
  const char* end = std::strchr(rest, quoted ? '"' : ' ');
  size_t length;
  if (end && end > rest)
    length = static_cast<size_t>(end - rest);
  else if (quoted && end == rest)
    length = 0;  // "" is an empty value, not a value of one quote
  else if (std::strchr(rest, '/'))
    length = 0;  // the next switch follows at once
  else
    length = std::strlen(rest);

  if (value && valueSize > 0) {
    if (length > valueSize - 1) length = valueSize - 1;
    std::memcpy(value, rest, length);
    value[length] = '\0';
  }
  return true;
}

std::string FormatWithArgs(const char* pattern, const char* arg1, const char* arg2) {
  std::string result;
  if (!pattern) return result;
  const char* args[2] = {arg1, arg2};
  int count = 0;
  while (count < 2 && args[count] && *args[count]) ++count;
  for (const char* p = pattern; *p;) {
    if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
      int index = p[1] - '1';
      if (index < count) result += args[index];
      p += 2;
    } else {
      result += *p++;
    }
  }
  return result;
}

bool FormatWithArgs(char* out, size_t outSize, const char* pattern, const char* arg1,
                    const char* arg2) {
  if (!out || outSize == 0) return false;
  std::string text = FormatWithArgs(pattern, arg1, arg2);
  size_t length = text.size() < outSize ? text.size() : outSize - 1;
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
  return length == text.size();
}

namespace {

// Whether text starts with the component name (any letter case), followed
// by a separator or the end; answers what follows the component.
const char* AfterComponent(const char* text, const char* name) {
  size_t i = 0;
  for (; name[i] != '\0'; ++i) {
    if (AsciiUpper(text[i]) != AsciiUpper(name[i])) return nullptr;
  }
  return text[i] == '\0' || text[i] == '\\' ? text + i : nullptr;
}

// Folders of System32 that a 32-bit view shows unredirected.
bool NeverRedirected(const char* inSystem32) {
  if (*inSystem32 != '\\') return false;
  ++inSystem32;
  for (const char* name : {"catroot", "catroot2", "driverstore", "logfiles", "spool"}) {
    if (AfterComponent(inSystem32, name)) return true;
  }
  const char* drivers = AfterComponent(inSystem32, "drivers");
  return drivers && *drivers == '\\' && AfterComponent(drivers + 1, "etc");
}

}  // namespace

bool UnredirectedPath(const char* shown, const char* windowsFolder, char* out, size_t outSize) {
  if (!shown || !out || outSize == 0) return false;
  std::string result = shown;
  size_t folderLength = windowsFolder ? std::strlen(windowsFolder) : 0;
  while (folderLength > 0 && windowsFolder[folderLength - 1] == '\\') --folderLength;
  bool inWindows = folderLength > 0 && result.size() > folderLength &&
                   shown[folderLength] == '\\';
  for (size_t i = 0; inWindows && i < folderLength; ++i) {
    inWindows = AsciiUpper(shown[i]) == AsciiUpper(windowsFolder[i]);
  }
  if (inWindows) {
    const char* component = shown + folderLength + 1;
    const size_t at = folderLength + 1;
    if (const char* rest = AfterComponent(component, "Sysnative")) {
      result = result.substr(0, at) + "System32" + rest;
    } else if (const char* inSystem32 = AfterComponent(component, "System32")) {
      if (!NeverRedirected(inSystem32)) result = result.substr(0, at) + "SysWOW64" + inSystem32;
    }
  }
  if (result.size() >= outSize) return false;
  std::memcpy(out, result.c_str(), result.size() + 1);
  return true;
}
