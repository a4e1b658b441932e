#include "app/RunFile.h"

#include <numeric>

namespace quorvane {

std::vector<Pair> SinglePairs(const QString& findText, const QString& replaceText)
{
    return PairLists(SplitLines(findText), SplitLines(replaceText));
}

FileRunResult RunFile(const QString& source, const QString& output, std::vector<Pair> pairs,
                      FileMode mode, const FileRunContext& ctx)
{
    const bool single = mode == FileMode::Single;
    ReplaceContext engine;
    engine.yield = ctx.yield;
    engine.cancelled = ctx.cancelled;
    engine.group = ctx.group;
    engine.report = ctx.report;
    engine.dryRun = ctx.dryRun;
    const FileOutcome outcome = ProcessFileAs(
        source, output, std::move(pairs), engine, ctx.lateReport,
        single ? QStringLiteral("ReplaceText.ReplaceTextInFile") : QStringLiteral("ReplaceText.ReplaceTextInFileCombo"),
        single ? 110 : 106);

    FileRunResult result;
    result.row.source = source;
    result.row.output = output;
    if (outcome.cancelled) {
        result.cancelled = true;
        return result;
    }
    if (!outcome.ok) {
        result.row.outcome = RunOutcome::Failed;
        result.row.reason = outcome.error;
        return result;
    }
    result.row.replacements = std::accumulate(outcome.counts.begin(), outcome.counts.end(), std::int64_t(0));
    // Only an in-place result identical to its source is left unwritten.
    result.row.outcome = outcome.written ? RunOutcome::Written : RunOutcome::Unchanged;
    return result;
}

} // namespace quorvane
