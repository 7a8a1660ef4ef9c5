#pragma once
// Text building of the confirmation and error prompts, without windows.
#include <cstdint>
#include <string>

#include "base/rect.h"

// Fills a prompt pattern. The pattern may come from a language file, so it is
// data, never a format: "%1" becomes the name and "%2" the reason, in one
// pass, so that a name or reason holding "%1" stays as it is. A pattern
// without "%1" may hold one "%s", which then takes the name (when one is
// given). Every other "%" stays as written. A missing name or reason fills
// its placeholder with nothing; without a reason, a pattern without "%1"
// keeps its "%2".
std::string FillPromptPattern(const char* pattern, const char* name, const char* reason);

// The confirmation's language key: "ConfirmMulti" for two or more items,
// else "ConfirmFolder" or "ConfirmFile".
const char* ConfirmKey(uint64_t count, bool firstIsFolder);

// Where the confirmation's question goes once its height h is known: beside
// the icon and centred on it when lower than the icon; in its place but h
// high when taller than the text area (the dialog grows by `grow`);
// otherwise unchanged.
struct QuestionLayout {
  Rect text;
  int grow;
};
QuestionLayout FitQuestion(int h, const Rect& text, const Rect& icon);
