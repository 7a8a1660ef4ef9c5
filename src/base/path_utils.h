#pragma once
// Operations on paths and on the command line. Paths are zero-terminated ANSI
// byte strings with the backslash as the only separator, held in buffers of
// 261 bytes; every operation that grows a path is told the size of its buffer
// and refuses rather than writes past it. None of them touches the disk.
#include <cstddef>
#include <string>

// The last byte of the path's root, or null when it has none: C:\dir -> the
// backslash, C:dir -> the colon, \\server\share -> the second backslash,
// \dir -> the backslash. A leading double quote is skipped.
const char* PathRoot(const char* path);
inline char* PathRoot(char* path) {
  return const_cast<char*>(PathRoot(static_cast<const char*>(path)));
}

// Cuts the last component off in place, never the root: C:\a\b -> C:\a,
// C:\a -> C:\, C:\ stays, \\server\share -> \\server -> \\. A trailing
// backslash belongs to the last component (C:\a\ -> C:\). False only for an
// empty or null path.
bool PathParent(char* path);

// Appends name to the folder path in place with one backslash between them
// (leading backslashes of name are dropped). capacity is the size of the
// folder's buffer; when the result would not fit, false and folder unchanged.
bool PathJoin(char* folder, size_t capacity, const char* name);

// The last component of an item path, pointing into it. A trailing backslash
// stays with the name (C:\dir\ -> dir\); a root names itself (D:\ -> D:\).
const char* PathName(const char* path);
inline char* PathName(char* path) {
  return const_cast<char*>(PathName(static_cast<const char*>(path)));
}

// Encloses the path in double quotes in place when it holds a blank and is
// not quoted yet. capacity is the size of its buffer; false (path unchanged)
// when the two quotes would not fit, true otherwise.
bool QuoteIfNeeded(char* path, size_t capacity);

// Looks for switchName anywhere in commandLine, in any letter case, and copies
// its value (letter case kept) into value, cut to valueSize - 1 bytes. The
// value ends at the first blank, or is enclosed in double quotes. True when
// the switch is present (its value may be empty); value is always terminated
// when valueSize > 0.
bool SwitchValue(const char* commandLine, const char* switchName, char* value,
                 size_t valueSize);

// Fills "%1" and "%2" of a message pattern with arg1 and arg2. The pattern is
// data (it may come from a language file): nothing else in it is special.
// Only leading non-empty arguments count; a placeholder without an argument
// becomes empty. Null pattern or arguments are allowed.
std::string FormatWithArgs(const char* pattern, const char* arg1,
                           const char* arg2 = nullptr);
// The same into a buffer of outSize bytes; the text is cut to fit and false
// is answered when it had to be cut. out is always terminated when outSize > 0.
bool FormatWithArgs(char* out, size_t outSize, const char* pattern,
                    const char* arg1, const char* arg2 = nullptr);

// The name under which the engine, which works with file-system redirection
// off, reaches the item that a 32-bit program's system dialogs showed as
// `shown`. Those dialogs work with redirection on, as every dialog that loads
// libraries must. Inside windowsFolder, their System32 is SysWOW64 (but for
// the folders the system never redirects) and their Sysnative is the real
// System32; every other name is its own. False when out (outSize bytes)
// cannot hold the answer.
bool UnredirectedPath(const char* shown, const char* windowsFolder, char* out, size_t outSize);
