#include "engine/run_job.h"

#include "engine/prepare.h"
#include "engine/shredder.h"

bool RunJob(DeleteJob& job, const ConfigRecord& settings, JobHost& host,
            const ShredOptions& options, JobReport* report) {
  job.settings = settings;
  job.options = options;
  job.host = &host;
  job.report = report;
  const bool done = Prepare(job) && Delete(job);
  job.host = nullptr;
  job.report = nullptr;
  return done;
}
