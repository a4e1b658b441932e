#pragma once
// Outputs that several entries of a run write: the later result takes the
// earlier one's place, which the command line and the preview both warn of.
#include <QString>
#include <vector>

namespace quorvane {

// Entries (by index) whose outputs reach one file (ResolveWriteTarget): one
// group per such file with at least two entries, each group in list order,
// groups in order of their first entry. Empty outputs belong to no group.
std::vector<std::vector<qsizetype>> SharedOutputs(const std::vector<QString>& outputs);

} // namespace quorvane
