#include "widgets/panel_title.h"

#include <cstddef>

void CapitaliseWords(char* text, LeadByteTest isLeadByte, ByteUpper toUpper) {
  if (!text) return;
  bool afterBlank = false;
  for (size_t i = 0; text[i];) {
    auto c = static_cast<unsigned char>(text[i]);
    if (isLeadByte && isLeadByte(c) && text[i + 1]) {
      afterBlank = false;
      i += 2;
      continue;
    }
    if (afterBlank && toUpper) text[i] = static_cast<char>(toUpper(c));
    afterBlank = c == ' ';
    ++i;
  }
}
