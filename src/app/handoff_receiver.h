#pragma once
// The main program's side of the hand-off from the context-menu extension.
#include "engine/delete_job.h"

// Empties job and fills it with the paths of the hand-off block named on the
// command line ("-TME" in any letter case, then the mapping name). True when
// a block of paths was received, even if none of its paths could be added;
// false when the line names no block that can be opened, the block is of
// another kind (its header is then cleared), or job is running.
bool ReceiveHandOff(const char* commandLine, DeleteJob& job);
