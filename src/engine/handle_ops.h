#pragma once
// What the engine does to one file or folder through a handle it holds, and
// the few calls that open such a handle by name. Names are passed in their
// long wide form (LongPathOf), so that the system never rewrites them; every
// call that resolves a name runs with file-system redirection off.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/folder_test.h"
#include "framework/handle.h"

// What a handle shows of the file it reached, from two queries that read
// no more than the file itself (the volume is not asked).
struct HandleFacts {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;
  DWORD links = 0;
  int64_t size = 0;
  int64_t allocation = 0;  // the space the file system holds for it
  bool known = false;
};

// Where a file or folder is, whatever name leads to it: its volume and its
// number on the volume.
struct FileIdentity {
  DWORD volume = 0;
  uint64_t index = 0;
  bool known = false;
  bool operator==(const FileIdentity& other) const {
    return known && other.known && volume == other.volume && index == other.index;
  }
};

namespace engine {

// A 32-bit process on 64-bit Windows would find SysWOW64 where the user chose
// System32. Redirection is off around each call that resolves a name (handles
// keep what they opened), never while a prompt is open, since prompts load
// libraries. The call's last error survives the switch back.
template <typename F>
auto Unredirected(F call) {
  decltype(call()) result;
  DWORD error;
  {
    Wow64RedirectionOff off;
    result = call();
    error = GetLastError();
  }
  SetLastError(error);
  return result;
}

// The code of a call that failed without saying why still names a failure.
DWORD LastErrorOr(DWORD fallback);

HandleFacts FactsOf(HANDLE file);
FileIdentity IdentityOf(HANDLE handle);
// The serial number of the volume a handle lies on; 0 when it cannot be read.
DWORD VolumeOf(HANDLE handle);
// The path a handle really reached, with every link and drive letter
// resolved as the system sees them; empty (the reason in GetLastError) when
// the system cannot say.
std::wstring FinalPathOf(HANDLE handle);

// Sets the attributes of the file behind the handle, times untouched.
bool SetAttributesThrough(HANDLE file, DWORD attributes);
// Gives the file behind the handle another name (a full path in the same
// folder); never replaces what already has that name.
bool RenameThrough(HANDLE file, const std::wstring& to);
// Marks the file behind the handle for removal when the handle closes.
bool DisposeThrough(HANDLE file);
// Removes a link through a handle on the link itself; ERROR_SUCCESS or the
// reason it cannot. Only a name for something else goes as a link.
DWORD DisposeLink(HANDLE link, DWORD attributes);

// The name an item bears in its last moments: "KX", hex digits and ".tmp",
// as long as its own name where that is long enough (TemporaryNameDigits),
// in the folder of `where` (the item's full path). The first six digits are
// the number's; the rest follow from it.
std::wstring TemporaryNameBeside(const std::wstring& where, uint32_t number);

// Lays an empty file under each of the names (plain names, no folder) in the
// folder behind the handle, holds them all at once and lets them go: the
// folder's index grows over its own slack, where the file system keeps
// copies of entries it has moved, and those copies are of these names from
// then on. Each file is made through the folder's handle, so it lands there
// or nowhere, never replaces anything, and goes when its handle closes, also
// when the process ends. Answers how many were laid; a name that cannot be
// had is left out.
size_t ScrubFolderIndex(HANDLE folder, const std::vector<std::wstring>& names);

// A handle on a folder that can read attributes and nothing else: on the
// link itself when one stands in its place, or, with followLinks, on what
// the path leads to.
HANDLE OpenFolderToLook(const std::wstring& path, bool followLinks = false);
// Opens an item itself, never what it may point to, to look at it and to
// remove it; INVALID_HANDLE_VALUE (the reason in GetLastError) when it cannot.
HANDLE OpenItemItself(const std::wstring& path);
// Opens an item itself and reads what its handle shows; ERROR_SUCCESS, or the
// reason the item cannot be looked at (the item's name is no full path
// among them).
DWORD LookAtItself(const std::wstring& path, kx::FileHandle& item, HandleFacts& facts);

}  // namespace engine
