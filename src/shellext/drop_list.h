#pragma once
// The file list that Explorer hands over as CF_HDROP data: a 20-byte header
// (offset of the list, drop point, two flags, the last one "wide") and the
// paths, each followed by a NUL, the list closed by an empty string. The
// memory comes from another component and is read only within its size.
#include <cstddef>

// Header size of the list; the paths start at the offset it holds.
constexpr size_t kDropHeaderSize = 20;

// Turns one UTF-16LE path of `units` code units (any length) into ANSI text
// in out (outSize bytes, terminated) that names the same item. False when
// there is no such text or it does not fit.
using DropWideToAnsi = bool (*)(const char16_t* text, size_t units, char* out, size_t outSize);
using DropPathSink = void (*)(const char* path, void* context);

// The number of strings in the list, paths that will be passed over
// included; 0 for a list that is empty or not a list.
size_t CountDropPaths(const void* drop, size_t size);

// Hands each path of the list to sink, in list order, and answers how many
// it handed on. A path is passed over, never shortened or approximated,
// when it is longer than 259 bytes, when the converter finds no ANSI form of
// a wide path, or when it holds a wildcard: a changed path could name a
// different item.
size_t ReadDropPaths(const void* drop, size_t size, DropWideToAnsi convert, DropPathSink sink,
                     void* context);
