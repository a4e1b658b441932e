#include "app/BatchRun.h"

#include "app/BackupChoices.h"
#include "app/Form1.h"
#include "app/OutputLocation.h"
#include "app/PreviewNotes.h"
#include "app/RunBar.h"
#include "app/RunInputs.h"
#include "app/RunPrompts.h"
#include "engine/backup/BackupStore.h"
#include "engine/files/FileAccess.h"
#include "engine/files/PathHelpers.h"
#include "engine/run/RunDriver.h"
#include "shell/BackupSettings.h"
#include "shell/ErrorReport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>

namespace quorvane {

namespace {

// The entry that the bar shows and that a prompt is about.
struct Showing {
    int position = 0;
    QString source;
};

// Runs body as one step of trap; when it fails, reason receives the failure's text.
bool StepNoting(StepTrap& trap, int number, QString& reason, const std::function<void()>& body)
{
    return trap.step(number, [&] {
        try {
            body();
        } catch (const Failure& f) {
            reason = f.text;
            throw;
        } catch (const std::exception& e) {
            reason = QString::fromLocal8Bit(e.what());
            throw;
        }
    });
}

// The per-file procedures' names and the step their write failures are
// reported at; read failures are reported at step 100 in both.
enum class FileMode { None, Single, Sets };
QString ProcedureOf(FileMode mode)
{
    return mode == FileMode::Single ? QStringLiteral("ReplaceText.ReplaceTextInFile")
                                    : QStringLiteral("ReplaceText.ReplaceTextInFileCombo");
}
int WriteStepOf(FileMode mode)
{
    return mode == FileMode::Single ? 110 : 106;
}

// The window's face of a run: each entry read from the list by position with
// the bar, pointer and checks of "Start Replacing", failures told in error
// boxes under the per-file procedures' names, prompts on the bar's file.
class WindowFace final : public RunFace {
public:
    WindowFace(Form1& form, RunInputs& inputs, RunBar& bar, RunPrompts& prompts, StepTrap& trap, Showing& showing)
        : m_form(form), m_inputs(inputs), m_bar(bar), m_prompts(prompts), m_trap(trap), m_showing(showing)
    {
    }

    qsizetype count() override
    {
        int count = 0;
        m_trap.step(106, [&] { count = m_form.fileList().count(); });
        m_modes.assign(size_t(count), FileMode::None);
        return count;
    }

    EntryPlan plan(qsizetype index) override
    {
        const int i = int(index) + 1;
        FileListModel& list = m_form.fileList();
        EntryPlan plan;
        m_trap.step(108, [this] { yield(); });
        if (stopRequested())
            return Stop(plan);
        m_trap.step(110, [&] { m_form.setPointer(PointerStyle::Hourglass); });
        m_bar.nextFile();
        m_showing = {i, QString()};
        // An entry that vanished while the run yielded is reported and skipped.
        QString reason;
        if (!StepNoting(m_trap, 112, reason, [&] { m_showing.source = list.entryText(i); })) {
            plan.action = EntryPlan::Action::Fail;
            plan.failure = reason;
            return plan;
        }
        plan.source = m_showing.source;
        m_trap.step(114, [&] { m_bar.showFile(plan.source); });
        m_trap.step(116, [this] { yield(); });
        if (stopRequested())
            return Stop(plan);
        m_trap.step(118, [&] { m_bar.showPosition(i, list.count()); });
        m_trap.step(120, [&] {
            plan.output = m_form.option1()->isChecked()
                              ? OutputPathInFolder(m_form.outputFolderText()->text(), plan.source)
                              : plan.source;
        });
        m_mode = FileMode::None;
        const int tab = m_form.tabs()->currentIndex();
        if (tab == 0) {
            bool stop = false;
            m_trap.step(122, [&] {
                const QString problem = m_inputs.singleProblem();
                if (!problem.isEmpty()) {
                    m_form.setPointer(PointerStyle::Default);
                    m_prompts.notice(problem, ApplicationTitle());
                    m_form.batchStopped = true;
                    stop = true;
                }
            });
            if (stop)
                return Stop(plan);
            m_mode = FileMode::Single;
            plan.pairs = m_inputs.singlePairs();
            // Empty and unreadable files are skipped without a message.
            plan.skipEmpty = true;
        } else if (tab == 1) {
            m_mode = FileMode::Sets;
            plan.pairs = m_inputs.setPairs();
        } else {
            plan.action = EntryPlan::Action::Skip;
        }
        m_modes[size_t(index)] = m_mode;
        if (plan.pairs && !m_firstPairs)
            m_firstPairs = plan.pairs;
        return plan;
    }

    void yield() override
    {
        m_bar.tick();
        QCoreApplication::processEvents();
    }
    bool stopRequested() override { return m_form.closing || m_form.stopRequested; }
    QString describe(const FileError& error) override { return DescribeFileError(error); }

    void fileDone(qsizetype index, const RunReportRow& row, const FileError& error) override
    {
        if (!error.failed())
            return;
        const FileMode mode = m_modes[size_t(index)];
        ReportFailure(m_prompts, row.reason, ProcedureOf(mode), error.reading() ? 100 : WriteStepOf(mode));
    }

    // Told at once, with the bar showing the file whose result failed to land.
    void lateFailure(qsizetype index, const RunReportRow& row, const FileError&) override
    {
        const Showing now = m_showing;
        m_showing = {int(index) + 1, row.source};
        const FileMode mode = m_modes[size_t(index)];
        ReportFailure(m_prompts, row.reason, ProcedureOf(mode), WriteStepOf(mode));
        m_showing = now;
        putOnBar();
    }

    std::optional<RunReportRow> unreached(qsizetype index) override
    {
        const FileListModel& list = m_form.fileList();
        if (index >= list.count())
            return std::nullopt;
        return RunReportRow{list.entries().at(index), QString(), 0, RunOutcome::NotReached, QString()};
    }

    bool guard(Phase phase, const std::function<void()>& work, QString& reason) override
    {
        if (phase == Phase::Landing)
            return m_trap.step(130, work);
        return StepNoting(m_trap, m_mode == FileMode::Single ? 126 : 128, reason, work);
    }

    // Puts the entry a prompt is about on the bar.
    void putOnBar()
    {
        if (m_showing.position <= 0)
            return;
        m_bar.showFile(m_showing.source);
        if (m_form.fileList().count() > 0)
            m_bar.showPosition(m_showing.position, m_form.fileList().count());
    }

    // The pairs of the first file run, for a preview's changes.
    std::vector<Pair> firstPairs() const { return m_firstPairs ? m_firstPairs->pairs() : std::vector<Pair>(); }

private:
    static EntryPlan Stop(EntryPlan plan)
    {
        plan.action = EntryPlan::Action::Stop;
        return plan;
    }

    Form1& m_form;
    RunInputs& m_inputs;
    RunBar& m_bar;
    RunPrompts& m_prompts;
    StepTrap& m_trap;
    Showing& m_showing;
    FileMode m_mode = FileMode::None;   // of the entry in hand
    std::vector<FileMode> m_modes;      // of each entry run, for failures told later
    std::shared_ptr<const RunPairs> m_firstPairs;
};

// The preview's warnings beside each row.
RunReport WithPreviewNotes(const RunReport& report, bool intoFolder)
{
    std::vector<RunReportRow> rows = report.rows();
    AddPreviewNotes(rows, intoFolder);
    RunReport noted;
    for (RunReportRow& row : rows)
        noted.add(std::move(row));
    if (report.stopped())
        noted.stopBefore({});
    return noted;
}

// One walk of the list: a real run, or a preview that writes nothing.
void WalkList(Form1& form, bool preview)
{
    if (form.batchRunning)
        return;
    FileListModel& list = form.fileList();
    // Cleared on every way out, so a failure can never lock the button.
    struct RunFlag {
        Form1& form;
        ~RunFlag()
        {
            form.batchRunning = false;
            form.showRunState(false);
        }
    } runFlag{form};
    form.batchRunning = true;
    form.batchStopped = false;
    form.stopRequested = false;

    // Every prompt of the run first puts the file it is about on the bar; once
    // the window is closing, none is shown.
    RunBar bar(form.progressBar());
    Showing showing;
    WindowFace* facePtr = nullptr;
    RunPrompts prompts(form.prompts(), [&] {
        if (form.closing)
            return false;
        if (facePtr)
            facePtr->putOnBar();
        bar.drawNow();
        return true;
    });
    StepTrap trap(prompts, "Form1.PushButton12_Click");
    WindowFace face(form, form.runInputs(), bar, prompts, trap, showing);
    facePtr = &face;

    bool refused = false;
    trap.step(102, [&] {
        if (list.count() <= 0) {
            refused = true;
            prompts.notice(Form1::tr("No files added."), ApplicationTitle());
        }
    });
    if (!refused)
        trap.step(104, [&] {
            if (!FolderExists(form.outputFolderText()->text())) {
                refused = true;
                prompts.notice(Form1::tr("Folder does not exist. Please select another folder."), ApplicationTitle());
            }
        });
    if (refused)
        return;

    RunOptions options;
    options.dryRun = preview;
    const BackupChoices backups = ReadBackupChoices();
    BackupStore store(DefaultBackupFolder());
    if (backups.keep) {
        options.backups = &store;
        options.backupDescription = form.option1()->isChecked()
                                        ? Form1::tr("into %1").arg(form.outputFolderText()->text())
                                        : Form1::tr("in place");
        options.backupLimits = {backups.runs, backups.bytes()};
    }
    RunDriver driver(face, options);
    // A run that is to keep backups starts only where it can: otherwise every
    // file would fail for want of its backup.
    if (const QString why = driver.refusal(); !why.isEmpty()) {
        prompts.notice(BackupsRefusedText(store.folder(), why), ApplicationTitle());
        return;
    }
    form.showRunState(true);
    RunReport report = driver.run();

    showing = {};
    trap.step(132, [&] {
        form.progressBar()->setUpdatesEnabled(true);
        form.setPointer(PointerStyle::Default);
        form.progressBar()->setValue(0);
        form.progressBar()->setFormat(Form1::tr("Progress Bar"));
    });

    if (preview)
        report = WithPreviewNotes(report, form.option1()->isChecked());
    form.setRunReport(std::move(report), preview ? ReportKind::Preview : ReportKind::Run, face.firstPairs());
    form.showRunState(false);
    if (form.closing)
        return;
    // A preview always ends in its report: that is what it is for.
    if (form.stopRequested || (preview && !form.batchStopped))
        form.showRunReport();
    else if (!form.batchStopped)
        trap.step(134, [&] { form.prompts().notice(Form1::tr("Done."), ApplicationTitle()); });
}

} // namespace

void RunBatch(Form1& form) { WalkList(form, false); }

void PreviewBatch(Form1& form) { WalkList(form, true); }

} // namespace quorvane
