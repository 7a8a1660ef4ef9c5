#pragma once
// Which ANSI name of an item the engine gets, when the shell named it in
// UTF-16. The engine works on code-page paths; a look-alike character would
// name another item, so only an exact form counts: the item's own name, or
// else its short (8.3) name.
#include <cstddef>
#include <string>
#include <string_view>

// Converts exactly into out (outSize bytes, terminated) or answers false.
using ExactConvert = bool (*)(const char16_t* text, size_t units, char* out, size_t outSize);

enum class AnsiPathForm { kExact, kShortName, kNone };

// path: the item's name as the shell gave it. shortPath: the same item's
// short form as the system answered it (with or without the long-path
// prefix), empty when there is none. A short form that equals the long one
// (a volume without short names) gives nothing. On kNone, out is unusable.
AnsiPathForm PickAnsiPath(std::u16string_view path, std::u16string_view shortPath,
                          ExactConvert convert, char* out, size_t outSize);

// path with the long-path prefix ("\\?\", or "\\?\UNC\" for a share), by
// which the system takes names of any length; and the other way back.
std::u16string WithLongPathPrefix(std::u16string_view path);
std::u16string_view WithoutLongPathPrefix(std::u16string_view path, std::u16string& storage);
