#include "app/ApprovedRun.h"

#include "app/BackupChoices.h"
#include "app/ApprovedWrite.h"
#include "app/BatchRun.h"
#include "app/Form1.h"
#include "app/RunBar.h"
#include "app/WindowFace.h"
#include "engine/backup/BackupStore.h"
#include "engine/files/FileAccess.h"
#include "engine/run/RunDriver.h"
#include "shell/BackupSettings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>

#include <algorithm>

namespace quorvane {

FileStamp StampOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return {};
    return {file.size(), hash.result()};
}

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("quorvane::ApprovedRun", text);
}

// The approved files as a run's entries, in the preview's order.
class ApprovedFace final : public RunFace {
public:
    ApprovedFace(Form1& form, const std::vector<ApprovedFile>& files, std::shared_ptr<const RunPairs> pairs,
                 RunBar& bar)
        : m_form(form), m_files(files), m_pairs(std::move(pairs)), m_bar(bar)
    {
    }

    qsizetype count() override { return qsizetype(m_files.size()); }
    EntryPlan plan(qsizetype index) override
    {
        yield();
        if (stopRequested()) {
            EntryPlan plan;
            plan.action = EntryPlan::Action::Stop;
            return plan;
        }
        return entry(index);
    }
    // Nothing is asked or shown for an approved file: each may run beside
    // earlier ones, and the bar shows the last one reached.
    std::optional<EntryPlan> planAhead(qsizetype index) override
    {
        return stopRequested() ? std::nullopt : std::optional(entry(index));
    }
    EntryPlan entry(qsizetype index)
    {
        const ApprovedFile& file = m_files[size_t(index)];
        EntryPlan plan;
        plan.source = file.source;
        plan.output = file.output;
        plan.pairs = m_pairs;
        m_bar.nextFile();
        m_bar.showFile(file.source);
        m_bar.showPosition(int(index) + 1, int(m_files.size()));
        // What the user approved is what the preview showed of the file then.
        if (StampOf(file.source) != file.stamp) {
            plan.action = EntryPlan::Action::Fail;
            plan.failure = Tr("changed since the preview");
        } else if (!file.leftOut.empty()) {
            plan.process = [&file](const QString& source, const QString& output, const FileJob& job,
                                   const std::function<void(const FileError&)>& late) {
                return ProcessApproved(source, output, job, late, file.leftOut);
            };
        }
        return plan;
    }
    void yield() override
    {
        m_bar.tick();
        QCoreApplication::processEvents();
    }
    bool stopRequested() override { return m_form.closing || m_form.stopRequested; }
    QString describe(const FileError& error) override { return ReportReason(error); }
    QString describeSkip(const SkipCause& cause) override { return WindowFace::SkipText(cause); }
    std::optional<RunReportRow> unreached(qsizetype index) override
    {
        const ApprovedFile& file = m_files[size_t(index)];
        return RunReportRow{file.source, file.output, 0, RunOutcome::NotReached, QString()};
    }

private:
    Form1& m_form;
    const std::vector<ApprovedFile>& m_files;
    std::shared_ptr<const RunPairs> m_pairs;
    RunBar& m_bar;
};

} // namespace

void ReplaceApproved(Form1& form, std::vector<ApprovedFile> files, std::shared_ptr<const RunPairs> pairs)
{
    if (form.batchRunning || files.empty())
        return;
    if (!pairs)
        pairs = std::make_shared<const RunPairs>();
    if (pairs->problem().failed()) {
        form.prompts().notice(pairs->problemText(), ApplicationTitle());
        return;
    }
    struct RunFlag {
        Form1& form;
        ~RunFlag()
        {
            form.batchRunning = false;
            form.setPointer(PointerStyle::Default);
            form.showRunState(false);
        }
    } runFlag{form};
    form.batchRunning = true;
    form.batchStopped = false;
    form.stopRequested = false;

    // A preview into a folder gave each file an output of its own.
    const bool intoFolder = std::any_of(files.begin(), files.end(),
                                        [](const ApprovedFile& file) { return file.output != file.source; });
    BackupStore store(DefaultBackupFolder());
    const RunOptions options =
        WindowRunOptions(false, store, intoFolder, QFileInfo(files.front().output).absolutePath() + u'/');
    RunBar bar(form.progressBar());
    ApprovedFace face(form, files, std::move(pairs), bar);
    const std::unique_ptr<WorkerScheduler> workers = WindowWorkers(form, qsizetype(files.size()));
    RunDriver driver(face, options, workers.get());
    if (const QString why = driver.refusal(); !why.isEmpty()) {
        form.prompts().notice(BackupsRefusedText(store.folder(), why), ApplicationTitle());
        return;
    }
    form.showRunState(true);
    form.setPointer(PointerStyle::Hourglass);
    RunReport report = driver.run();
    form.progressBar()->setValue(0);
    form.progressBar()->setFormat(Form1::tr("Progress Bar"));
    form.setRunReport(std::move(report), ReportKind::Run);
    form.showRunState(false);
    if (!form.closing)
        form.showRunReport();
}

} // namespace quorvane
