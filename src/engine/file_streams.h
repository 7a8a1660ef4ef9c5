#pragma once
// The named data streams of a file. NTFS keeps data beside a file's main
// contents under names of their own (where a download came from, thumbnails,
// anything a program chose to put there); they are the file's as much as its
// contents and go with it. The Shredder reaches them only through this
// interface, so that tests can show it streams where the system has none.
#include <windows.h>

#include <string>
#include <vector>

namespace engine {

class StreamAccess {
 public:
  virtual ~StreamAccess() = default;
  // The file's named data streams, each as ":name:$DATA", the main stream
  // left out. file: its full path. ERROR_SUCCESS, or the reason they could
  // not be listed. Where the system lists no streams at all, the answer is
  // the one stream most files that came from elsewhere carry, with guessed
  // set: such a name may lead nowhere, or to a file of that name beside it.
  virtual DWORD List(const std::wstring& file, std::vector<std::wstring>& streams, bool& guessed);
  // Opens one stream for its overwrite, buffered (streams are small, and
  // often live in the file record); INVALID_HANDLE_VALUE with the reason in
  // GetLastError.
  virtual HANDLE Open(const std::wstring& file, const std::wstring& stream);
  // True when the stream's handle reached the same file as the file's own
  // handle: the same volume and the same number on it. A name built from a
  // path can lead elsewhere by now.
  virtual bool SameFile(HANDLE file, HANDLE stream);
};

// True for an error with which the system says it cannot list streams at
// all (no such call, or not on this volume), rather than that this file's
// could not be read.
bool StreamsUnsupported(DWORD code);

}  // namespace engine
