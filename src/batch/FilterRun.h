#pragma once
// quorvane-batch as a filter: "-" as the only file replaces standard input
// onto standard output.
#include "batch/Streams.h"
#include "engine/RunPairs.h"

#include <memory>

namespace quorvane::batch {

// Reads all of input (a descriptor) into a private temporary folder, runs the
// pairs over it as over a file (its byte-order mark, the binary-file rule,
// binary true replacing in such input too) and writes the result to streams'
// output. Nothing is kept in the backup store. A binary input skipped is
// passed through unchanged and told on stderr. Returns 0, or 1 when the input
// could not be taken or replaced (nothing is written to output then) or
// output could not be written.
int FilterRun(std::shared_ptr<const RunPairs> pairs, bool binary, int input, Streams& streams);

} // namespace quorvane::batch
