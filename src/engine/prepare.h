#pragma once
// The preparation pass of a job: walks every top-level item, builds the full
// tree below it and counts the files and bytes that the deletion pass will
// destroy. Runs on the job's worker thread and talks to the user only through
// the job's host (progress labels, busy bar, error prompts).
#include "engine/delete_job.h"

// True when the walk reached the end; false when the job was cancelled.
// Links and junctions are items of their own (size 0, not folders) and are
// never descended into. Top-level items that no longer exist are dropped from
// the job; one whose attributes cannot be read for another reason goes to the
// error prompt (Try Again, Skip, Skip All, Cancel).
bool Prepare(DeleteJob& job);
