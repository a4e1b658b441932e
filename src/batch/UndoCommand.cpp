#include "batch/UndoCommand.h"

#include "batch/CommandRun.h"
#include "batch/StopSignals.h"
#include "engine/backup/BackupStore.h"

namespace quorvane::batch {

int UndoCommand(const BatchArguments& a, Streams& streams)
{
    BackupStore store(DefaultBackupFolder());
    QString runId = a.undoRun;
    if (runId.isEmpty()) {
        const std::vector<BackupRunInfo> runs = store.runs();
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
    for (const RunReportRow& row : report->rows())
        if (row.outcome == RunOutcome::Failed || row.outcome == RunOutcome::NotReached)
            streams.message(row.source + ": " + (row.reason.isEmpty() ? RunOutcomeText(row.outcome) : row.reason));
    const qsizetype notRestored = report->count(RunOutcome::Failed) + report->count(RunOutcome::NotReached);
    if (!a.quiet)
        streams.out(QString("%1 restored, %2 removed, %3 not restored\n")
                        .arg(Counted(report->count(RunOutcome::Restored), "file", "files"))
                        .arg(report->count(RunOutcome::Removed))
                        .arg(notRestored)
                        .toUtf8());
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
        streams.out(QString("%1\t%2\t%3\t%4\n")
                        .arg(run.id, run.started.toLocalTime().toString("yyyy-MM-dd hh:mm:ss"),
                             Counted(run.files, "file", "files"), run.description)
                        .toUtf8());
    return 0;
}

} // namespace quorvane::batch
