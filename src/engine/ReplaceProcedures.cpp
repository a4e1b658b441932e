// The two per-file procedures: each turns its texts into pairs, processes
// one file and reports a failure under its own procedure name and step.
#include "engine/FileReplace.h"

namespace quorvane {

QStringList SplitLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral("\r\n"));
}

std::vector<Pair> PairLists(const QStringList& finds, const QStringList& replaces)
{
    std::vector<Pair> pairs;
    pairs.reserve(size_t(finds.size()));
    for (qsizetype k = 0; k < finds.size(); ++k)
        pairs.push_back({finds[k], k < replaces.size() ? replaces[k] : QString()});
    return pairs;
}

FileOutcome ProcessFileAs(const QString& source, const QString& output, std::vector<Pair> pairs,
                          const ReplaceContext& ctx, const FailureReporter& late,
                          const QString& procedure, int writeStep)
{
    FileJob job;
    job.pairs = std::move(pairs);
    job.yield = ctx.yield;
    job.cancelled = ctx.cancelled;
    job.group = ctx.group;
    job.dryRun = ctx.dryRun;
    FileOutcome outcome = ProcessFile(source, output, job, [late, procedure, writeStep](const QString& why) {
        if (late)
            late(procedure, writeStep, why);
    });
    if (!outcome.ok && !outcome.cancelled && ctx.report)
        ctx.report(procedure, outcome.failedAt == FileOutcome::Stage::Read ? 100 : writeStep, outcome.error);
    return outcome;
}

std::vector<std::int64_t> ReplaceTextInFile(const QString& source, const QString& findText,
                                            const QString& replaceText, const QString& output,
                                            const ReplaceContext& ctx)
{
    // The pairs are copied here, so edits to the texts during the yields do not
    // reach this file.
    const QStringList finds = SplitLines(findText);
    const QStringList replaces = SplitLines(replaceText);
    return ProcessFileAs(source, output, PairLists(finds, replaces), ctx, ctx.report,
                         QStringLiteral("ReplaceText.ReplaceTextInFile"), 110).counts;
}

std::vector<std::int64_t> ReplaceTextInFileCombo(const QString& source, const QStringList& finds,
                                                 const QStringList& replaces, const QString& output,
                                                 const ReplaceContext& ctx)
{
    return ProcessFileAs(source, output, PairLists(finds, replaces), ctx, ctx.report,
                         QStringLiteral("ReplaceText.ReplaceTextInFileCombo"), 106).counts;
}

} // namespace quorvane
