#pragma once
// The words of the report at the end of a deletion job: what was destroyed,
// what stayed and why, what the file system may keep of destroyed files,
// the fill, the verification and the time taken.
#include <cstdint>
#include <string>

#include "engine/job_report.h"
#include "widgets/report_content.h"

// A job that went as asked (nothing kept, nothing noted, not stopped) gives
// a summary that closes itself; any other keeps its window open.
// describe: the system's description of an error code (empty when it has
// none), for the items skipped after a system error; null shows the code.
using ErrorDescriber = std::string (*)(uint32_t code);
ReportContent JobReportContent(const JobReport& report, ErrorDescriber describe = nullptr);
