#pragma once
// quorvane-batch --undo and --list-runs: the backup store from the command line.
#include "batch/BatchArguments.h"
#include "batch/Streams.h"

namespace quorvane::batch {

// Puts back the files of arguments.undoRun (the latest run when empty). Each
// file not put back is told on stderr as "quorvane-batch: PATH: REASON"; unless
// --quiet, a last line such as "2 files restored, 1 removed, 1 not restored".
// --report writes the undo's rows as CSV. Returns 0 when every file was put
// back, 1 when some were not (or the report could not be written), 2 when
// there is no such run.
int UndoCommand(const BatchArguments& arguments, Streams& streams);

// One line per run kept, newest first: id, start time (YYYY-MM-DD hh:mm:ss),
// the number of files and the run's description, separated by tabs.
int ListRunsCommand(Streams& streams);

} // namespace quorvane::batch
