#pragma once
// The words of the report at the end of a deletion job: what was destroyed,
// what stayed and why, what the file system may keep of destroyed files,
// the fill, the verification and the time taken.
#include "engine/job_report.h"
#include "widgets/report_content.h"

// A job that went as asked (nothing kept, nothing noted, not stopped) gives
// a summary that closes itself; any other keeps its window open.
ReportContent JobReportContent(const JobReport& report);
