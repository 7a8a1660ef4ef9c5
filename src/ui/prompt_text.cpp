#include "ui/prompt_text.h"

#include <cstring>

std::string FillPromptPattern(const char* pattern, const char* name, const char* reason) {
  if (!pattern) return {};
  const bool numbered = std::strstr(pattern, "%1") != nullptr;
  bool nameUsed = false;
  std::string out;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == '1') {
      out += name ? name : "";
      ++p;
    } else if (p[0] == '%' && p[1] == '2' && (reason || numbered)) {
      out += reason ? reason : "";
      ++p;
    } else if (p[0] == '%' && p[1] == 's' && !numbered && name && !nameUsed) {
      out += name;
      nameUsed = true;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

const char* ConfirmKey(uint64_t count, bool firstIsFolder) {
  if (count >= 2) return "ConfirmMulti";
  return firstIsFolder ? "ConfirmFolder" : "ConfirmFile";
}

QuestionLayout FitQuestion(int h, const Rect& text, const Rect& icon) {
  if (h < icon.Height()) {
    int top = icon.top + (icon.Height() - h) / 2;
    return {{text.left, top, text.right, top + h}, 0};
  }
  if (h > text.Height()) return {{text.left, text.top, text.right, text.top + h}, h - text.Height()};
  return {text, 0};
}
