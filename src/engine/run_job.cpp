#include "engine/run_job.h"

#include <windows.h>

#include "engine/prepare.h"
#include "engine/shredder.h"

bool RunJob(DeleteJob& job, const ConfigRecord& settings, JobHost& host,
            const ShredOptions& options, JobReport* report) {
  job.settings = settings;
  job.options = options;
  job.host = &host;
  job.report = report;
  const ULONGLONG start = GetTickCount64();
  const bool done = Prepare(job) && Delete(job);
  if (report) {
    report->SetFill(settings, options);
    report->elapsedMs = GetTickCount64() - start;
  }
  job.host = nullptr;
  job.report = nullptr;
  return done;
}
