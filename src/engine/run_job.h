#pragma once
// One job from start to end on the calling (worker) thread: the preparation
// pass, then the deletion pass. What the job needs from outside comes in as
// arguments, so that any host (a progress window, a disk eraser, a test) can
// run it.
#include "base/config_record.h"
#include "engine/delete_job.h"

// Copies settings and options into the job and attaches host (and report,
// which may be null) for the run; both are detached again before it returns. True when the walk reached the end and
// the deletion pass left nothing in place; false when cancelled or when
// anything stayed.
bool RunJob(DeleteJob& job, const ConfigRecord& settings, JobHost& host,
            const ShredOptions& options = {}, JobReport* report = nullptr);
