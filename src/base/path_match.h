#pragma once
// Whether one path names the same item as another or lies inside it, decided
// the way the file system decides it: the system's code page tells a
// backslash from the second byte of a double-byte character, and letter case
// is folded by the system's own table, for every letter of the code page.

// True when path is listed itself (in any letter case) or lies inside the
// folder listed. Spellings that differ in letter case match only when they
// open the same item (or either cannot be opened): in a folder that tells
// cases apart they are two. A path that the code page cannot read never
// matches.
bool SameOrInsideOnDisk(const char* listed, const char* path);
