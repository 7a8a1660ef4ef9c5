#include "lang/lang_file_parser.h"

#include <cstring>
#include <new>

#include "lang/text_compare.h"

namespace {

bool IsLineBlank(char c) { return c == '\r' || c == '\n' || c == '\t' || c == ' '; }
bool IsFieldBlank(char c) { return c == '\t' || c == ' '; }

// Trims [begin, end) in place of its pointers.
template <typename Pred>
void Trim(char*& begin, char*& end, Pred blank) {
  while (begin < end && blank(*begin)) ++begin;
  while (end > begin && blank(end[-1])) --end;
}

size_t AsciiOnly(void*, const char16_t* text, size_t units, char* out, size_t outCapacity) {
  size_t count = units < outCapacity ? units : outCapacity;
  for (size_t i = 0; i < count; ++i) out[i] = text[i] < 0x80 ? char(text[i]) : '?';
  return count;
}

class LangFileParser {
 public:
  LangFileParser(const LangFileInput& input, LangEntryFn onEntry, void* context)
      : input_(input), onEntry_(onEntry), context_(context) {
    if (input_.toAnsi == nullptr) input_.toAnsi = AsciiOnly;
  }

  void Run() {
    if (input_.read == nullptr) return;
    while (length_ < 2 && Fill(2)) {}
    const unsigned char* bytes = buffer_;
    if (length_ >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
      wide_ = true;
      Consume(2);
    } else if (length_ >= 2 && bytes[0] != 0 && bytes[1] == 0) {
      wide_ = true;
    }
    const size_t unit = wide_ ? 2 : 1;
    // One byte (ANSI) or one unit (UTF-16) is kept for the terminator.
    const size_t capacity = kLangLineBuffer - unit;

    size_t scanned = 0;  // bytes of the buffer known to hold no line feed
    for (;;) {
      size_t lineFeed = FindLineFeed(scanned);
      if (lineFeed != kNone) {
        Line(lineFeed);
        Consume(lineFeed + unit);
        scanned = 0;
        continue;
      }
      scanned = length_ - length_ % unit;
      if (ended_) {
        if (scanned != 0) Line(scanned);
        return;
      }
      if (length_ >= capacity) {
        length_ = 0;
        scanned = 0;
        continue;
      }
      Fill(capacity);
    }
  }

 private:
  static constexpr size_t kNone = ~size_t(0);

  // Reads more, up to `limit` bytes in the buffer; false at the end.
  bool Fill(size_t limit) {
    if (ended_ || length_ >= limit) return false;
    size_t room = limit - length_;
    size_t got = input_.read(input_.readContext, buffer_ + length_, room);
    if (got == 0 || got > room) {
      ended_ = true;
      return false;
    }
    length_ += got;
    return true;
  }

  void Consume(size_t count) {
    std::memmove(buffer_, buffer_ + count, length_ - count);
    length_ -= count;
  }

  // Byte offset of the first line feed at or after `from`, or kNone.
  size_t FindLineFeed(size_t from) const {
    if (!wide_) {
      const void* found = std::memchr(buffer_ + from, '\n', length_ - from);
      return found ? static_cast<const unsigned char*>(found) - buffer_ : kNone;
    }
    for (size_t i = from; i + 1 < length_; i += 2)
      if (buffer_[i] == '\n' && buffer_[i + 1] == 0) return i;
    return kNone;
  }

  // The first `bytes` bytes of the buffer are one line, without its line feed.
  void Line(size_t bytes) {
    size_t length;
    if (wide_) {
      char16_t units[kLangLineBuffer / 2];
      size_t count = bytes / 2;
      for (size_t i = 0; i < count; ++i)
        units[i] = char16_t(buffer_[2 * i] | (buffer_[2 * i + 1] << 8));
      length = count ? input_.toAnsi(input_.toAnsiContext, units, count, line_,
                                     kLangLineBuffer)
                     : 0;
      if (length > kLangLineBuffer) length = 0;
    } else {
      length = bytes;
      std::memcpy(line_, buffer_, length);
    }
    line_[length] = '\0';
    // A zero byte ends the text, as it would in any C string.
    ParseLine(line_, line_ + std::strlen(line_));
  }

  void ParseLine(char* begin, char* end) {
    Trim(begin, end, IsLineBlank);
    char* equals = static_cast<char*>(std::memchr(begin, '=', end - begin));
    char* keyEnd = equals ? equals : end;
    char* key = begin;
    Trim(key, keyEnd, IsFieldBlank);
    if (key == keyEnd || *key == '#' || *key == ';') return;

    if (*key == '[' && keyEnd - key >= 2 && keyEnd[-1] == ']') {
      char* name = key + 1;
      size_t nameLength = keyEnd - 1 - name;
      if (nameLength == 0 || EqualsNoCase("Info", name, nameLength)) return;
      std::memcpy(section_, name, nameLength);
      section_[nameLength] = '\0';
      haveSection_ = true;
      return;
    }
    if (equals == nullptr || !haveSection_) return;

    char* value = equals + 1;
    char* valueEnd = end;
    Trim(value, valueEnd, IsFieldBlank);
    if (valueEnd - value >= 1 && *value == '"') {
      if (valueEnd - value == 1) {
        valueEnd = value;
      } else if (valueEnd[-1] == '"') {
        ++value;
        --valueEnd;
      }
    }
    if (value == valueEnd) return;
    *keyEnd = '\0';
    *valueEnd = '\0';
    onEntry_(context_, section_, key, value);
  }

  LangFileInput input_;
  LangEntryFn onEntry_;
  void* context_;
  bool wide_ = false;
  bool ended_ = false;
  bool haveSection_ = false;
  size_t length_ = 0;
  unsigned char buffer_[kLangLineBuffer];
  char line_[kLangLineBuffer + 1];
  char section_[kLangLineBuffer + 1];
};

}  // namespace

void ParseLangFile(const LangFileInput& input, LangEntryFn onEntry, void* context) {
  // About 12 KB of buffers: kept off the stack of the caller's window thread.
  LangFileParser* parser = new (std::nothrow) LangFileParser(input, onEntry, context);
  if (parser == nullptr) return;
  parser->Run();
  delete parser;
}

uint32_t ParseLangFileVersion(const char* text) {
  if (text == nullptr) return 0;
  while (*text == ' ' || *text == '\t' || *text == '0') ++text;
  unsigned base = 10;
  if (*text == 'x' || *text == 'X') {
    base = 16;
    ++text;
  }
  uint64_t value = 0;
  for (;; ++text) {
    unsigned digit;
    char c = *text;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = value * base + digit;
    if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(value);
}
