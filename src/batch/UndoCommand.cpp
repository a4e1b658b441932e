#include "batch/UndoCommand.h"

#include "batch/CommandRun.h"
#include "batch/StopSignals.h"
#include "engine/backup/BackupStore.h"

#include <algorithm>

namespace quorvane::batch {

namespace {

// A run's start as the lists show it: local time, to the second.
QString LocalTime(const QDateTime& utc)
{
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// Where the run put its results; a run recorded before that was shows its description.
QString ModeText(const BackupRunInfo& run)
{
    switch (run.mode) {
    case BackupRunMode::InPlace:
        return QStringLiteral("in place");
    case BackupRunMode::OutputFolder:
        return QStringLiteral("output folder");
    case BackupRunMode::Unrecorded:
        break;
    }
    return run.description;
}

} // namespace

int UndoCommand(const BatchArguments& a, Streams& streams)
{
    if (const QString why = ReportFolderProblem(a.reportPath); !why.isEmpty()) {
        streams.message(why);
        return 2;
    }
    BackupStore store(DefaultBackupFolder());
    const std::vector<BackupRunInfo> runs = store.runs();
    QString runId = a.undoRun;
    if (runId.isEmpty()) {
        if (runs.empty()) {
            streams.message(QStringLiteral("There is no run to undo."));
            return 2;
        }
        runId = runs.front().id;
    }
    StopSignals catchStops;
    QString problem;
    const std::optional<RunReport> report =
        store.undo(runId, {}, [] { return StopSignals::received() != 0; }, &problem);
    if (!report) {
        streams.message(runId + ": " + problem);
        return 2;
    }
    const auto run = std::find_if(runs.begin(), runs.end(), [&](const BackupRunInfo& r) { return r.id == runId; });
    if (!a.quiet && run != runs.end())
        streams.out(QString("Undoing the run of %1 (%2, %3 in %4)\n")
                        .arg(LocalTime(run->started), ModeText(*run), Counted(run->files, "file", "files"),
                             run->folder)
                        .toUtf8());
    // Files put back on stdout, the ones left as they were on stderr, each once.
    for (const RunReportRow& row : report->rows()) {
        if (row.outcome == RunOutcome::Failed)
            streams.message(row.source + ": not restored: " + row.reason);
        else if (row.outcome == RunOutcome::NotReached)
            streams.message(row.source + ": " + RunOutcomeText(row.outcome));
        else if (!a.quiet)
            streams.out((RunOutcomeText(row.outcome) + ' ' + row.source + '\n').toUtf8());
    }
    const qsizetype notRestored = report->count(RunOutcome::Failed) + report->count(RunOutcome::NotReached);
    if (!a.quiet)
        streams.out(QString("%1 restored, %2 removed, %3 not restored\n")
                        .arg(Counted(report->count(RunOutcome::Restored), "file", "files"))
                        .arg(report->count(RunOutcome::Removed))
                        .arg(notRestored)
                        .toUtf8());
    if (!problem.isEmpty())
        streams.message(runId + ": " + problem);
    bool reportFailed = false;
    if (!a.reportPath.isEmpty()) {
        const QString why = WriteReport(a.reportPath, *report);
        if (!why.isEmpty()) {
            streams.message(a.reportPath + ": " + why);
            reportFailed = true;
        }
    }
    if (const int signal = StopSignals::received())
        return 128 + signal;
    return notRestored || reportFailed ? 1 : 0;
}

int ListRunsCommand(Streams& streams)
{
    BackupStore store(DefaultBackupFolder());
    for (const BackupRunInfo& run : store.runs())
        streams.out(QString("%1\t%2\t%3\t%4\t%5\n")
                        .arg(run.id, LocalTime(run.started), ModeText(run), Counted(run.files, "file", "files"),
                             run.folder)
                        .toUtf8());
    return 0;
}

} // namespace quorvane::batch
