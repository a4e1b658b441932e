#include "batch/CommandRun.h"

#include "batch/FilterRun.h"
#include "batch/Gather.h"
#include "batch/Outputs.h"
#include "batch/ProgressLine.h"
#include "batch/StopSignals.h"
#include "engine/backup/BackupStore.h"
#include "engine/diff/FileDiff.h"
#include "engine/files/PathHelpers.h"
#include "engine/report/RunReport.h"
#include "engine/write/AtomicWrite.h"
#include "engine/files/FileAccess.h"
#include "engine/run/RunDriver.h"
#include "engine/run/WorkerScheduler.h"
#include "engine/write/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <unistd.h>

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

// The system's words for what failed, as scripts expect them: strerror's
// text where the window says "File not found" or "Path not found".
QString CommandReason(const FileError& error)
{
    return error.failed() ? ReportReason(error) : QStringLiteral("failed");
}

// The command line's face of a run: the gathered entries, fixed answers, the
// progress line, and failures on stderr as they come.
class CommandFace final : public RunFace {
public:
    CommandFace(const BatchArguments& a, const std::vector<ListEntry>& entries, const std::vector<QString>& outputs,
                Console& console, std::shared_ptr<const RunPairs> pairs)
        : m_a(a), m_entries(entries), m_outputs(outputs), m_console(console), m_pairs(std::move(pairs))
    {
    }

    qsizetype count() override { return qsizetype(m_entries.size()); }
    EntryPlan plan(qsizetype index) override { return planEntry(index, true); }
    // No entry asks anything: each can be planned while earlier ones run. The
    // progress line then moves as entries are told (fileDone).
    std::optional<EntryPlan> planAhead(qsizetype index) override { return planEntry(index, false); }
    EntryPlan planEntry(qsizetype index, bool inHand)
    {
        const ListEntry& entry = m_entries[size_t(index)];
        EntryPlan plan;
        plan.source = entry.path;
        if (!entry.failure.isEmpty()) {
            plan.action = EntryPlan::Action::Fail;
            plan.failure = entry.failure;
            return plan;
        }
        plan.output = m_outputs[size_t(index)];
        // A kept tree's folders are made as the run comes to them; one that
        // cannot be made fails the file when its result is written.
        if (m_a.keepTree && !m_a.dryRun && !m_a.diff)
            QDir().mkpath(QFileInfo(plan.output).path());
        plan.pairs = m_pairs;
        if (inHand)
            m_console.progress.file(index, entry.path);
        m_yields = 0;
        m_current = entry.path;
        m_currentOutput = plan.output;
        return plan;
    }
    std::optional<QString> peekSource(qsizetype index) override
    {
        const ListEntry& entry = m_entries[size_t(index)];
        return entry.failure.isEmpty() ? std::optional<QString>(entry.path) : std::nullopt;
    }
    void yield() override
    {
        m_console.progress.tick();
        ++m_yields;
        HoldForTests();
    }
    bool stopRequested() override { return StopSignals::received() != 0; }
    QString describe(const FileError& error) override { return CommandReason(error); }
    void fileDone(qsizetype index, const RunReportRow& row, const FileError& error) override
    {
        if (error.failed())
            m_console.error(row.source + ": " + row.reason);
        else if (row.outcome == RunOutcome::Skipped && !row.reason.isEmpty())
            m_console.error(row.source + ": skipped: " + row.reason);
        else if (m_a.dryRun && !m_a.diff
                 && (m_a.verbose || (row.outcome == RunOutcome::Written && row.replacements > 0)))
            m_console.print(QString::number(row.replacements) + '\t' + row.source);
        if (size_t(index) + 1 < m_entries.size())
            m_console.progress.file(index + 1, m_entries[size_t(index) + 1].path);
    }
    // Told once the run has ended, after every per-file message.
    void lateFailure(qsizetype, const RunReportRow& row, const FileError&) override
    {
        m_late << row.source + ": " + row.reason;
    }
    std::optional<RunReportRow> unreached(qsizetype index) override
    {
        const ListEntry& entry = m_entries[size_t(index)];
        if (!entry.failure.isEmpty())
            return RunReportRow{entry.path, QString(), 0, RunOutcome::Failed, entry.failure};
        return RunReportRow{entry.path, QString(), 0, RunOutcome::NotReached, QString()};
    }
    const QStringList& late() const { return m_late; }

private:
    // For the stop tests: with QUORVANE_TEST_HOLD_FILE naming the source as
    // listed, the run holds within that file, after its first stretch (a
    // file's yields are one before its text and one after each stretch) that
    // has left its temporary file beside the output (in a dry run or a diff,
    // which make none, its first stretch), until a stop signal comes; it
    // makes the file QUORVANE_TEST_HOLD_MARK as it begins to hold. So a
    // signal always finds the file in hand and, in a writing run, its
    // temporary file made.
    void HoldForTests()
    {
        static const QString file = qEnvironmentVariable("QUORVANE_TEST_HOLD_FILE");
        if (file.isEmpty() || m_held || m_yields < 2 || m_current != file)
            return;
        const QStringList names = QFileInfo(m_currentOutput).dir().entryList(QDir::Files | QDir::Hidden);
        if (!m_a.dryRun && !m_a.diff
            && std::none_of(names.begin(), names.end(),
                            [](const QString& name) { return IsTempName(QFile::encodeName(name).constData()); }))
            return;
        m_held = true;
        QFile mark(qEnvironmentVariable("QUORVANE_TEST_HOLD_MARK"));
        if (mark.open(QIODevice::WriteOnly))
            mark.close();
        for (int waited = 0; waited < 60000 && !StopSignals::received(); ++waited)
            ::usleep(1000);
    }

    const BatchArguments& m_a;
    const std::vector<ListEntry>& m_entries;
    const std::vector<QString>& m_outputs;
    Console& m_console;
    std::shared_ptr<const RunPairs> m_pairs;
    QStringList m_late;
    QString m_current;
    QString m_currentOutput;
    int m_yields = 0;
    bool m_held = false;
};

} // namespace

QString WriteReport(const QString& path, const RunReport& report)
{
    const QByteArray csv = RunReportCsv(report);
    AtomicFile file(path);
    if (file.append(csv.constData(), csv.size()) && file.finish(true) && file.commit())
        return {};
    return CommandReason(file.error());
}

QString ReportFolderProblem(const QString& path)
{
    if (path.isEmpty())
        return {};
    const int error = FolderError(QFileInfo(path).path());
    return error ? "--report " + path + ": " + SystemReason(error) : QString();
}

int RunBatch(const BatchArguments& a, Streams& streams, std::FILE* terminal)
{
    Console console{streams, ProgressLine::ForTerminal(terminal)};
    const auto sayError = [&console](const QString& line) { console.error(line); };
    if (!a.filter && !a.inPlace && !FolderExists(a.outputFolder)) {
        console.error(PathReason(a.outputFolder, FolderError(a.outputFolder)));
        return 2;
    }
    if (const QString why = ReportFolderProblem(a.reportPath); !why.isEmpty()) {
        console.error(why);
        return 2;
    }
    std::vector<Pair> gathered;
    if (!GatherPairs(a, gathered, sayError))
        return 2;
    // A refused pattern stops the run before any file is read.
    auto pairs = std::make_shared<const RunPairs>(std::move(gathered), a.matcher, a.match);
    if (const QString why = pairs->problemText(); !why.isEmpty()) {
        console.error(why);
        return 2;
    }
    if (a.filter)
        return FilterRun(std::move(pairs), a.binary, STDIN_FILENO, streams);
    const bool dryRun = a.dryRun || a.diff;
    const std::vector<ListEntry> entries = GatherFiles(a, sayError);
    // Folders that matched nothing and empty lists: a run over no file at all
    // is a mistake, not a success.
    if (entries.empty()) {
        console.error(QStringLiteral("no files to process"));
        return 1;
    }
    console.progress.setTotal(qsizetype(entries.size()));
    std::vector<QString> outputs;
    outputs.reserve(entries.size());
    for (const ListEntry& entry : entries)
        outputs.push_back(EntryOutput(a, entry));
    // In place, one path listed twice is replaced twice; into a folder, the
    // later result would silently take the earlier one's place.
    const std::vector<std::vector<qsizetype>> shared = a.inPlace ? std::vector<std::vector<qsizetype>>()
                                                                 : SharedOutputs(outputs);
    for (const std::vector<qsizetype>& group : shared)
        console.error(outputs[size_t(group.front())] + ": " + SharedOutputText(group, false));

    RunOptions options;
    options.dryRun = dryRun;
    options.replaceBinary = a.binary;
    // Without backups the store still notes the run as its last.
    BackupStore store(DefaultBackupFolder());
    options.backups = &store;
    options.keepBackups = a.backup;
    options.backupDescription = a.inPlace ? QStringLiteral("quorvane-batch, in place")
                                          : QStringLiteral("quorvane-batch, into ") + a.outputFolder;
    options.backupMode = a.inPlace ? BackupRunMode::InPlace : BackupRunMode::OutputFolder;
    options.backupLimits = {a.backupRuns, a.backupBytes};
    if (a.diff) {
        // A diff goes to stdout alone, so that it can be handed to patch.
        options.process = [&console, &streams](const QString& source, const QString& output, const FileJob& job) {
            return WriteUnifiedDiff(source, source, output, job, [&console, &streams](const QByteArray& piece) {
                console.progress.erase();
                streams.out(piece);
                return !streams.outFailed();
            });
        };
    }
    CommandFace face(a, entries, outputs, console, std::move(pairs));
    const int jobs = int(std::min<qsizetype>(a.jobs > 0 ? a.jobs : QThread::idealThreadCount(), qsizetype(entries.size())));
    std::unique_ptr<WorkerScheduler> workers = jobs > 1 ? std::make_unique<WorkerScheduler>(jobs) : nullptr;
    RunDriver driver(face, options, workers.get());
    if (const QString why = driver.refusal(); !why.isEmpty()) {
        console.error(store.folder() + ": " + why + " (backups cannot be kept; --no-backup runs without them)");
        return 2;
    }
    // From here on a stop signal ends the run between or within files, never
    // halfway through a write; the results already complete still land.
    StopSignals catchStops;
    RunReport report = driver.run();
    for (const std::vector<qsizetype>& group : shared) {
        const QString text = SharedOutputText(group, true);
        for (const qsizetype i : group) {
            const RunOutcome outcome = report.rows().at(size_t(i)).outcome;
            if (outcome == RunOutcome::Written || outcome == RunOutcome::Unchanged)
                report.note(i, text);
        }
    }
    for (const QString& line : face.late())
        console.error(line);
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
        const qsizetype skipped = report.count(RunOutcome::Skipped);
        const QString tail = (skipped ? QString::number(skipped) + " skipped, " : QString())
                             + QString::number(failed) + " failed, "
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
