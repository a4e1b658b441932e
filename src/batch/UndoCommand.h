#pragma once
// quorvane-batch --undo and --list-runs: the backup store from the command line.
#include "batch/BatchArguments.h"
#include "batch/Streams.h"

namespace quorvane::batch {

// Puts back the files of arguments.undoRun (the latest run when empty). Unless
// --quiet, stdout names the run ("Undoing the run of TIME (MODE, N files in
// FOLDER)"), then "restored PATH" or "removed PATH" for each file put back,
// and a last line such as "2 files restored, 1 removed, 1 not restored". Each
// file not put back is told on stderr as "quorvane-batch: PATH: not restored:
// REASON" ("PATH: not reached" after a stop). --report writes the undo's rows
// as CSV. Returns 0 when every file was put back, 1 when some were not (or the
// report could not be written), 2 when there is no such run.
int UndoCommand(const BatchArguments& arguments, Streams& streams);

// One line per run kept, newest first, fields separated by tabs: id, start
// time (YYYY-MM-DD hh:mm:ss), mode ("in place" or "output folder"; the
// description for runs recorded before the mode was), the number of files and
// their common folder.
int ListRunsCommand(Streams& streams);

} // namespace quorvane::batch
