#include "widgets/report_content.h"

#include <cstdio>

#include "base/path_utils.h"
#include "lang/text_store.h"

namespace {

// Pattern bytes shown before the rest is cut to "...": a long pattern
// would crowd out the line it stands in.
constexpr size_t kShownPatternBytes = 16;

const char* ReportText(const char* key) { return LangText(key, "Report"); }

std::string PatternText(const std::string& pattern) {
  std::string text;
  char hex[4];
  for (size_t i = 0; i < pattern.size() && i < kShownPatternBytes; ++i) {
    std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X",
                  static_cast<unsigned char>(pattern[i]));
    text += hex;
  }
  if (pattern.size() > kShownPatternBytes) text += " ...";
  return text;
}

}  // namespace

std::string ReportPlainText(const ReportContent& content) {
  std::string text;
  for (const std::string& line : content.summary) text += line + "\r\n";
  if (!content.rows.empty()) text += "\r\n";
  for (const ReportContent::Row& row : content.rows) text += row.item + "\t" + row.what + "\r\n";
  return text;
}

std::string ElapsedText(uint64_t ms) {
  char text[48];
  const uint64_t seconds = ms / 1000;
  if (seconds < 10) {
    std::snprintf(text, sizeof text, "%u.%u s", static_cast<unsigned>(seconds),
                  static_cast<unsigned>(ms % 1000 / 100));
  } else if (seconds < 60) {
    std::snprintf(text, sizeof text, "%u s", static_cast<unsigned>(seconds));
  } else if (seconds < 3600) {
    std::snprintf(text, sizeof text, "%u min %02u s", static_cast<unsigned>(seconds / 60),
                  static_cast<unsigned>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%llu h %02u min",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds % 3600 / 60));
  }
  return text;
}

std::string CountText(uint64_t count) {
  char text[24];
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(count));
  return text;
}

void AddFillLines(ReportContent& content, FillKind fill, const std::string& pattern, bool verified,
                  uint64_t elapsedMs) {
  std::string fillText;
  switch (fill) {
    case FillKind::kRandom:
      fillText = ReportText("FillRandom");
      break;
    case FillKind::kZeros:
      fillText = ReportText("FillZeros");
      break;
    case FillKind::kPattern:
      fillText = FormatWithArgs(ReportText("FillPattern"), PatternText(pattern).c_str());
      break;
  }
  content.summary.push_back(FormatWithArgs(ReportText("Fill"), fillText.c_str()));
  content.summary.push_back(ReportText(verified ? "Verified" : "NotVerified"));
  content.summary.push_back(FormatWithArgs(ReportText("Time"), ElapsedText(elapsedMs).c_str()));
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    if (c != ' ' || (!line.empty() && line.back() != ' ')) line += c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}
