#pragma once
// What a preview tells beside each file's count: the things a user must see
// before writing, which the run itself would not stop for.
#include "engine/report/RunReport.h"

#include <vector>

namespace quorvane {

// Adds to the reason of each row (rows in list order, entry k at index k-1):
// - two entries whose results go to the same file (with an output folder, two
//   sources of one name): the earlier is told that the later's result
//   replaces it, the later which entry it replaces;
// - with an output folder, an output that would replace a file that exists;
// - a skipped file, why it would be skipped.
// Failed rows keep their reason: they tell why the file cannot be read.
void AddPreviewNotes(std::vector<RunReportRow>& rows, bool intoFolder);

} // namespace quorvane
