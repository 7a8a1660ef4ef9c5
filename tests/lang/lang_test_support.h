#pragma once
// Feeding language files to the store from memory, in chunks of any size.
#include <algorithm>
#include <cstring>
#include <string>

#include "lang/lang_file_parser.h"
#include "lang/text_store.h"

struct MemoryFile {
  std::string bytes;
  size_t chunk = 1 << 20;  // largest read answered at once
  size_t pos = 0;

  static size_t Read(void* context, void* buffer, size_t capacity) {
    auto* self = static_cast<MemoryFile*>(context);
    size_t count = std::min({capacity, self->chunk, self->bytes.size() - self->pos});
    std::memcpy(buffer, self->bytes.data() + self->pos, count);
    self->pos += count;
    return count;
  }
};

// UTF-16 to the test's code page, Latin-1.
inline size_t Latin1FromUtf16(void*, const char16_t* text, size_t units, char* out,
                              size_t capacity) {
  if (units > capacity) return 0;
  for (size_t i = 0; i < units; ++i) out[i] = text[i] < 0x100 ? char(text[i]) : '?';
  return units;
}

// Latin-1 text as UTF-16 little-endian bytes.
inline std::string Utf16FromLatin1(const std::string& text, bool byteOrderMark) {
  std::string wide = byteOrderMark ? std::string("\xFF\xFE", 2) : std::string();
  for (unsigned char c : text) {
    wide.push_back(char(c));
    wide.push_back('\0');
  }
  return wide;
}

inline void LoadFromMemory(CMLVC& store, const std::string& bytes, size_t chunk = 1 << 20) {
  MemoryFile file{bytes, chunk};
  LangFileInput input;
  input.read = &MemoryFile::Read;
  input.readContext = &file;
  input.toAnsi = &Latin1FromUtf16;
  store.LoadLanguage(input);
}

inline std::string TextOf(const CMLVC& store, const char* key, const char* section) {
  const char* text = store.GetText(key, section);
  return text ? text : "<none>";
}
