#include "base/ansi_text.h"

#include <windows.h>

#include <cstring>

bool WideToAnsiExact(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (text == nullptr || out == nullptr || units == 0 || units > 0x7FFFFFFF || outSize < 2)
    return false;
  // A UTF-8 code page represents every character and takes no best-fit flag;
  // there only ill-formed UTF-16 can fail.
  const bool utf8 = GetACP() == CP_UTF8;
  const int room = outSize - 1 > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(outSize - 1);
  BOOL usedDefault = FALSE;
  const int written = WideCharToMultiByte(
      CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
      reinterpret_cast<const wchar_t*>(text), static_cast<int>(units), out, room, nullptr,
      utf8 ? nullptr : &usedDefault);
  if (written <= 0 || usedDefault) return false;
  out[written] = '\0';
  return std::strlen(out) == static_cast<size_t>(written);
}
