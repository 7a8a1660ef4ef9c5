#pragma once
// Reading language files: INI-style lines "Key=Value" under "[Section]"
// headers, in the ANSI code page or in UTF-16 (with or without byte-order
// mark). The file is streamed through a 4096-byte buffer and never held whole.
#include <cstddef>
#include <cstdint>

#include "lang/text_store.h"

// The buffer a line must fit into, line feed included: 4095 bytes of ANSI
// text or 2047 UTF-16 units. A longer line loses the part that filled the
// buffer; the rest of it, up to its line feed, is read as a line of its own.
constexpr size_t kLangLineBuffer = 4096;

// One text of the file: section (as written between the brackets), key and
// value (trimmed, enclosing quotes removed, escapes still as written).
using LangEntryFn = void (*)(void* context, const char* section, const char* key,
                             const char* value);

// Calls onEntry for every text line in file order. A missing `read` reads an
// empty file; a missing `toAnsi` keeps ASCII and turns every other character
// into '?'.
void ParseLangFile(const LangFileInput& input, LangEntryFn onEntry, void* context);

// The "Version" of section "Info": leading blanks and zeros skipped, then "x"
// starts hexadecimal digits, anything else decimal; stops at the first other
// character; too large a number counts as 0xFFFFFFFF.
uint32_t ParseLangFileVersion(const char* text);
