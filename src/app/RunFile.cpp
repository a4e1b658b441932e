#include "app/RunFile.h"

#include <numeric>

namespace quorvane {

std::vector<Pair> SetPairs(const QStringList& finds, const QStringList& replaces)
{
    std::vector<Pair> pairs;
    pairs.reserve(size_t(finds.size()));
    for (qsizetype k = 0; k < finds.size(); ++k)
        pairs.push_back({finds[k], k < replaces.size() ? replaces[k] : QString()});
    return pairs;
}

std::vector<Pair> SinglePairs(const QString& findText, const QString& replaceText)
{
    return SetPairs(SplitLines(findText), SplitLines(replaceText));
}

FileRunResult RunFile(const QString& source, const QString& output, std::vector<Pair> pairs,
                      FileMode mode, const FileRunContext& ctx)
{
    const QString procedure = mode == FileMode::Single ? QStringLiteral("ReplaceText.ReplaceTextInFile")
                                                       : QStringLiteral("ReplaceText.ReplaceTextInFileCombo");
    const int writeStep = mode == FileMode::Single ? 110 : 106;
    FileJob job;
    job.pairs = std::move(pairs);
    job.yield = ctx.yield;
    job.cancelled = ctx.cancelled;
    job.group = ctx.group;
    const FailureReporter late = ctx.lateReport;
    const FileOutcome outcome = ProcessFile(source, output, job, [late, procedure, writeStep](const QString& why) {
        if (late)
            late(procedure, writeStep, why);
    });

    FileRunResult result;
    result.row.source = source;
    result.row.output = output;
    if (outcome.cancelled) {
        result.cancelled = true;
        return result;
    }
    if (!outcome.ok) {
        if (ctx.report)
            ctx.report(procedure, outcome.failedAt == FileOutcome::Stage::Read ? 100 : writeStep, outcome.error);
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
