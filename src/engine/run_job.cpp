#include "engine/run_job.h"

#include "engine/prepare.h"
#include "engine/shredder.h"

bool RunJob(DeleteJob& job, const ConfigRecord& settings, JobHost& host) {
  job.settings = settings;
  job.host = &host;
  const bool done = Prepare(job) && Delete(job);
  job.host = nullptr;
  return done;
}
