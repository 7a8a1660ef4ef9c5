#pragma once
// How the open-file chooser's answer (explorer style) becomes paths: one
// full path, or a folder followed by names, each terminated, ending in an
// empty string. The same for the ANSI and the UTF-16 chooser.
#include <cstddef>
#include <string>

// Calls found(path) for every selected file, folder joined with name; names
// whose joined path would exceed maxPathUnits are not passed on and are
// counted in the result. Never reads past size units.
template <typename Char, typename Found>
int SplitOpenFileResult(const Char* buffer, size_t size, size_t fileOffset, size_t maxPathUnits,
                        Found&& found) {
  if (!buffer || size == 0) return 0;
  auto length = [buffer, size](size_t pos) {
    size_t n = 0;
    while (pos + n < size && buffer[pos + n] != Char(0)) ++n;
    return n;
  };
  const size_t first = length(0);
  if (first == 0 || first == size) return 0;
  // A single selection is one full path; a multiple one puts a terminator
  // right before the first name.
  const bool multiple = fileOffset > 0 && fileOffset <= size && buffer[fileOffset - 1] == Char(0);
  int refused = 0;
  if (!multiple) {
    if (first <= maxPathUnits) {
      found(std::basic_string<Char>(buffer, first));
    } else {
      ++refused;
    }
    return refused;
  }
  const std::basic_string<Char> folder(buffer, first);
  for (size_t pos = first + 1; pos < size;) {
    const size_t len = length(pos);
    if (len == 0 || pos + len == size) break;
    std::basic_string<Char> path = folder;
    if (path.back() != Char('\\')) path += Char('\\');
    path.append(buffer + pos, len);
    if (path.size() <= maxPathUnits) {
      found(path);
    } else {
      ++refused;
    }
    pos += len + 1;
  }
  return refused;
}
