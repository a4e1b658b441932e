#pragma once
// The regular-expression matcher's replacer: each pair's pattern in turn,
// each over the output of the ones before, all streaming.
#include "engine/RunPairs.h"

namespace quorvane {

// A replacer for one file. regexes: the run's kept pairs in order; kept:
// their positions among the run's pairs (for the counts). Both must outlive
// the replacer. cancelled (may be empty) is asked between chunks and stages.
template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> MakeRegexReplacer(
    const std::vector<std::shared_ptr<const CompiledRegex<Unit>>>& regexes, const std::vector<size_t>& kept,
    std::function<bool()> cancelled);

} // namespace quorvane
