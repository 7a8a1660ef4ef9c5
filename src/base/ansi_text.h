#pragma once
// Paths arrive from the shell in UTF-16 and are used through the ANSI file
// functions, which speak the system's code page.
#include <cstddef>
#include <string>

// Converts units UTF-16 units exactly and terminates out. False, with out
// unusable, when a character has no exact form in the code page (a default
// or look-alike would name some other item), when the text is empty, does
// not fit into outSize - 1 bytes, or holds a NUL.
bool WideToAnsiExact(const char16_t* text, size_t units, char* out, size_t outSize);

// The wide form of a full path under which the system's file functions take
// every name as it is: "\\?\" before a drive path, "\\?\UNC\" in place of the
// two leading backslashes of a share path. Without it the system drops a
// trailing dot or space from the last name, and "report." would reach
// "report". Forward slashes count as separators and repeated separators as
// one; a trailing separator goes unless it ends a drive root. Empty when the
// text is not valid in the code page, is not a full path, or holds a "." or
// ".." component, which the system would otherwise resolve.
std::wstring LongPathOf(const char* path);

// The ANSI path by which the engine reaches the item that the shell named in
// UTF-16 (units units): its exact form, or else its short (8.3) form when
// the volume keeps one, that form converts exactly and it opens the very
// same item. False when the item has no such name, or none that fits into
// outSize - 1 bytes.
bool ShellPathToAnsi(const char16_t* path, size_t units, char* out, size_t outSize);

// A name for messages only, never a path: characters outside the code page
// show as '?', not as look-alikes, so the user is not shown another name.
std::string ShownName(const char16_t* text, size_t units);

// A text of the code page in UTF-16, for the wide system dialogs; empty for
// null.
std::wstring WideFromAnsi(const char* text);
