#pragma once
// What the report window at the end of a job or an erase shows, as plain
// text: a few summary lines, then one row for every item that needs the
// user's attention. Made without any window, so the texts can be checked on
// any machine; the words come from the language store (section "Report").
#include <cstdint>
#include <string>
#include <vector>

#include "engine/job_report.h"

struct ReportContent {
  struct Row {
    std::string item;
    std::string what;  // what happened to it
  };
  std::vector<std::string> summary;
  std::vector<Row> rows;
  // Everything went as asked: the window goes by itself after a moment.
  bool closesItself = false;
};

// The report as the user copies or saves it: the summary lines, then one
// row a line (item, a tab, what happened), each line ending in CR LF.
std::string ReportPlainText(const ReportContent& content);

// "1.4 s", "42 s", "3 min 05 s", "2 h 07 min".
std::string ElapsedText(uint64_t ms);
// The summary lines that jobs and erases share: the fill, whether it was
// read back, the time taken.
void AddFillLines(ReportContent& content, FillKind fill, const std::string& pattern, bool verified,
                  uint64_t elapsedMs);
// A count as a decimal text.
std::string CountText(uint64_t count);
// The text on one line, as a summary line or a list cell shows it: tabs and
// line breaks become spaces, runs of spaces one, none at the end.
std::string OneLine(const std::string& text);
