#include "batch/CommandRun.h"

#include "batch/Gather.h"
#include "batch/ProgressLine.h"
#include "batch/StopSignals.h"
#include "engine/FileReplace.h"
#include "engine/backup/BackupStore.h"
#include "engine/diff/FileDiff.h"
#include "engine/files/PathHelpers.h"
#include "engine/report/RunReport.h"
#include "engine/write/AtomicWrite.h"
#include "engine/write/CommitGroup.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <numeric>

namespace quorvane::batch {

QString Counted(std::int64_t n, const char* one, const char* many)
{
    return QString::number(n) + ' ' + QLatin1String(n == 1 ? one : many);
}

namespace {

// Lines on stdout and messages on stderr; the progress line goes off the screen first.
struct Console {
    Streams& streams;
    ProgressLine progress;

    void print(const QString& line)
    {
        progress.erase();
        streams.out(line.toUtf8() + '\n');
    }
    void error(const QString& line)
    {
        progress.erase();
        streams.message(line);
    }
    // A line on stderr as it stands.
    void note(const QString& line)
    {
        progress.erase();
        streams.err(line.toUtf8() + '\n');
    }
};

// The engine words a few failures as the window's error box does; the command
// line uses the system's words for them.
QString SystemWords(const QString& error, bool reading)
{
    if (error.isEmpty())
        return QStringLiteral("failed");
    if (error == QLatin1String("File not found"))
        return SystemReason(ENOENT);
    if (error == QLatin1String("Path not found"))
        return SystemReason(reading ? ENOTDIR : ENOENT);
    return error;
}

} // namespace

QString WriteReport(const QString& path, const RunReport& report)
{
    const QByteArray csv = RunReportCsv(report);
    AtomicFile file(path);
    if (file.append(csv.constData(), csv.size()) && file.finish(true) && file.commit())
        return {};
    return SystemWords(file.errorText(), false);
}

int RunBatch(const BatchArguments& a, Streams& streams, std::FILE* terminal)
{
    Console console{streams, ProgressLine::ForTerminal(terminal)};
    const auto sayError = [&console](const QString& line) { console.error(line); };
    if (!a.inPlace && !FolderExists(a.outputFolder)) {
        console.error(PathReason(a.outputFolder, FolderError(a.outputFolder)));
        return 2;
    }
    FileJob job;
    if (!GatherPairs(a, job.pairs, sayError))
        return 2;
    job.dryRun = a.dryRun || a.diff;
    const std::vector<ListEntry> entries = GatherFiles(a, sayError);
    const qsizetype total = qsizetype(entries.size());

    // From here on a stop signal ends the run between or within files, never
    // halfway through a write; the results already complete still land.
    StopSignals catchStops;
    job.cancelled = [] { return StopSignals::received() != 0; };
    job.yield = [&console] { console.progress.tick(); };
    console.progress.setTotal(total);

    RunReport report;
    std::vector<qsizetype> rowOf(size_t(total), -1);
    // Results wait in a group so that a batch of small files pays for one
    // sync per group instead of one per file; a commit that fails there is
    // reported late, under the file's own path.
    std::vector<std::pair<qsizetype, QString>> lateFailures;   // entry index, reason
    CommitGroup group;
    if (!job.dryRun)
        job.group = &group;
    // Each file the run replaces is kept first, so the run can be undone.
    BackupStore store(DefaultBackupFolder());
    std::unique_ptr<BackupRun> backup;
    if (!job.dryRun && a.backup) {
        if (const QString why = store.ready(); !why.isEmpty()) {
            console.error(store.folder() + ": " + why + " (backups cannot be kept; --no-backup runs without them)");
            return 2;
        }
        backup = store.beginRun(a.inPlace ? QStringLiteral("quorvane-batch, in place")
                                          : QStringLiteral("quorvane-batch, into ") + a.outputFolder);
        group.setBackup(backup.get());
    }
    // A diff goes to stdout alone, so that it can be handed to patch.
    const auto writeDiff = [&console, &streams](const QByteArray& piece) {
        console.progress.erase();
        streams.out(piece);
        return !streams.outFailed();
    };

    qsizetype i = 0;
    for (; i < total && !StopSignals::received(); ++i) {
        const ListEntry& entry = entries[size_t(i)];
        if (!entry.failure.isEmpty()) {
            report.add({entry.path, QString(), 0, RunOutcome::Failed, entry.failure});
            continue;
        }
        const QString& source = entry.path;
        const QString output = a.inPlace ? source : OutputPathInFolder(a.outputFolder, source);
        console.progress.file(i, source);
        const FileOutcome outcome =
            a.diff ? WriteUnifiedDiff(source, source, output, job, writeDiff)
                   : ProcessFile(source, output, job, [&lateFailures, i](const QString& why) {
                         lateFailures.emplace_back(i, why);
                     });
        if (outcome.cancelled)
            break;
        if (!outcome.ok) {
            const QString why = SystemWords(outcome.error, outcome.failedAt == FileOutcome::Stage::Read);
            console.error(source + ": " + why);
            report.add({source, output, 0, RunOutcome::Failed, why});
            continue;
        }
        const std::int64_t made = std::accumulate(outcome.counts.begin(), outcome.counts.end(), std::int64_t{0});
        if (a.dryRun && !a.diff)
            console.print(QString::number(made) + '\t' + source);
        rowOf[size_t(i)] = report.add({source, output, made,
                                       outcome.written ? RunOutcome::Written : RunOutcome::Unchanged, {}});
    }
    if (i < total) {
        report.stopBefore({});
        for (; i < total; ++i) {
            const ListEntry& entry = entries[size_t(i)];
            const bool listFailed = !entry.failure.isEmpty();
            report.add({entry.path, QString(), 0, listFailed ? RunOutcome::Failed : RunOutcome::NotReached,
                        entry.failure});
        }
    }
    group.flush();
    if (backup) {
        backup->finish();
        store.prune({a.backupRuns, a.backupBytes}, backup->id());
    }
    for (const auto& [index, why] : lateFailures) {
        const QString& source = entries[size_t(index)].path;
        console.error(source + ": " + why);
        report.markFailed(rowOf[size_t(index)], why);
    }
    console.progress.erase();

    const int stopSignal = StopSignals::received();
    if (stopSignal) {
        const qsizetype notReached = report.count(RunOutcome::NotReached);
        console.error(QString("Stopped by ") + SignalName(stopSignal) + ": "
                      + Counted(notReached, "file", "files") + " not reached.");
    }
    // The summary's figures are the report's.
    const qsizetype failed = report.count(RunOutcome::Failed);
    if (!a.quiet) {
        // Files checked: the list's files the run came to.
        const std::int64_t checked = std::count_if(entries.begin(), entries.end(), [](const ListEntry& e) {
            return e.failure.isEmpty();
        }) - report.count(RunOutcome::NotReached);
        const QString tail = QString::number(failed) + " failed, "
                             + Counted(report.replacements(), "replacement", "replacements");
        if (a.diff)
            console.note(Counted(checked, "file", "files") + " checked, " + tail);
        else if (a.dryRun)
            console.print(Counted(checked, "file", "files") + " checked, " + tail);
        else
            console.print(Counted(report.count(RunOutcome::Written), "file", "files") + " written, "
                          + QString::number(report.count(RunOutcome::Unchanged)) + " unchanged, " + tail);
    }
    bool reportFailed = false;
    if (!a.reportPath.isEmpty()) {
        const QString why = WriteReport(a.reportPath, report);
        if (!why.isEmpty()) {
            console.error(a.reportPath + ": " + why);
            reportFailed = true;
        }
    }
    if (stopSignal)
        return 128 + stopSignal;
    return failed || reportFailed ? 1 : 0;
}

} // namespace quorvane::batch
