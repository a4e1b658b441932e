#pragma once
// Where each entry's result goes, and the outputs that several entries share.
#include "batch/BatchArguments.h"
#include "batch/Gather.h"
#include "engine/write/SharedOutputs.h"

#include <QString>
#include <vector>

namespace quorvane::batch {

// The entry's output: its own path in place; with --keep-tree a file found by
// a --folder goes under its path relative to that folder; otherwise under its
// file name in the output folder. Empty for an entry that failed already.
QString EntryOutput(const BatchArguments& arguments, const ListEntry& entry);

// "written by 3 entries; the last one wins", with listed "written by 3
// entries (1, 4, 6); the last one wins" (entries counted from 1).
QString SharedOutputText(const std::vector<qsizetype>& group, bool listed);

} // namespace quorvane::batch
