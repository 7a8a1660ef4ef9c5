#pragma once
// The main program's side of the hand-off from the context-menu extension.
#include "engine/delete_job.h"

#include <cstdint>

// Empties job and fills it with the paths of the hand-off block named on the
// command line ("-TME" in any letter case, then the mapping name). True when
// a block of paths was received, even if none of its paths could be added;
// false when the line names no block that can be opened, the block is of
// another kind (its header is then cleared), or job is running.
// *passedOver, when given, counts the selected items that will not be
// destroyed although the user chose them: those the extension could not put
// into the block, and those of the block that cannot be taken as they stand.
// Paths left out because the job already covers them are not counted.
bool ReceiveHandOff(const char* commandLine, DeleteJob& job, uint64_t* passedOver = nullptr);
