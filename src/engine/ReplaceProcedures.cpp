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

namespace {

std::vector<std::int64_t> RunAndReport(const QString& source, const QString& output,
                                       std::vector<Pair> pairs, const ReplaceContext& ctx,
                                       const QString& procedure, int writeStep)
{
    FileJob job;
    job.pairs = std::move(pairs);
    job.yield = ctx.yield;
    job.cancelled = ctx.cancelled;
    job.group = ctx.group;
    const FailureReporter report = ctx.report;
    const auto late = [report, procedure, writeStep](const QString& description) {
        if (report)
            report(procedure, writeStep, description);
    };
    const FileOutcome outcome = ProcessFile(source, output, job, late);
    if (!outcome.ok && !outcome.cancelled && report)
        report(procedure, outcome.failedAt == FileOutcome::Stage::Read ? 100 : writeStep, outcome.error);
    return outcome.counts;
}

} // namespace

// Pairs entry k of finds with entry k of replaces; a find without a partner
// is paired with the empty text (it deletes).
static std::vector<Pair> PairLists(const QStringList& finds, const QStringList& replaces)
{
    std::vector<Pair> pairs;
    pairs.reserve(size_t(finds.size()));
    for (qsizetype k = 0; k < finds.size(); ++k)
        pairs.push_back({finds[k], k < replaces.size() ? replaces[k] : QString()});
    return pairs;
}

std::vector<std::int64_t> ReplaceTextInFile(const QString& source, const QString& findText,
                                            const QString& replaceText, const QString& output,
                                            const ReplaceContext& ctx)
{
    // The pairs are copied here, so edits to the texts during the yields do not
    // reach this file.
    const QStringList finds = SplitLines(findText);
    const QStringList replaces = SplitLines(replaceText);
    return RunAndReport(source, output, PairLists(finds, replaces), ctx,
                        QStringLiteral("ReplaceText.ReplaceTextInFile"), 110);
}

std::vector<std::int64_t> ReplaceTextInFileCombo(const QString& source, const QStringList& finds,
                                                 const QStringList& replaces, const QString& output,
                                                 const ReplaceContext& ctx)
{
    return RunAndReport(source, output, PairLists(finds, replaces), ctx,
                        QStringLiteral("ReplaceText.ReplaceTextInFileCombo"), 106);
}

} // namespace quorvane
