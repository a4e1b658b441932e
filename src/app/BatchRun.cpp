#include "app/BatchRun.h"

#include "app/BackupChoices.h"
#include "app/Form1.h"
#include "app/PreviewNotes.h"
#include "app/RunBar.h"
#include "app/RunPrompts.h"
#include "app/WindowFace.h"
#include "engine/backup/BackupStore.h"
#include "engine/files/PathHelpers.h"
#include "engine/run/RunDriver.h"
#include "shell/BackupSettings.h"
#include "shell/ErrorReport.h"
#include "shell/TreeSettings.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

#include <algorithm>

namespace quorvane {

namespace {

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

    // Without backups the store still notes the run as its last.
    BackupStore store(DefaultBackupFolder());
    const RunOptions options = WindowRunOptions(preview, store, form.option1()->isChecked(),
                                                form.outputFolderText()->text());
    std::vector<FileStamp> stamps;
    if (preview)
        face.keepStamps(&stamps);
    // A preview goes one file after another whatever it is given (RunDriver.h).
    const std::unique_ptr<WorkerScheduler> workers = preview ? nullptr : WindowWorkers(form, list.count());
    RunDriver driver(face, options, workers.get());
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

    // A preview that a check refused before its first file has nothing to
    // tell; its notice said why.
    const bool noneReached = report.count(RunOutcome::NotReached) == qsizetype(report.rows().size());
    if (preview && form.batchStopped && !form.stopRequested && noneReached)
        return;
    if (preview)
        report = WithPreviewNotes(report, form.option1()->isChecked());
    form.setRunReport(std::move(report), preview ? ReportKind::Preview : ReportKind::Run, face.firstPairs(),
                      std::move(stamps));
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

RunOptions WindowRunOptions(bool dryRun, BackupStore& store, bool intoFolder, const QString& folder)
{
    RunOptions options;
    options.dryRun = dryRun;
    options.replaceBinary = ReadTreeChoices().binary;
    const BackupChoices backups = ReadBackupChoices();
    options.backups = &store;
    options.keepBackups = backups.keep;
    options.backupDescription = intoFolder ? Form1::tr("into %1").arg(folder) : Form1::tr("in place");
    options.backupMode = intoFolder ? BackupRunMode::OutputFolder : BackupRunMode::InPlace;
    options.backupLimits = {backups.runs, backups.bytes()};
    return options;
}

std::unique_ptr<WorkerScheduler> WindowWorkers(const Form1& form, qsizetype entries)
{
    const int workers = int(std::min<qsizetype>(form.runWorkers, entries));
    return workers > 1 ? std::make_unique<WorkerScheduler>(workers) : nullptr;
}

void RunBatch(Form1& form) { WalkList(form, false); }

void PreviewBatch(Form1& form) { WalkList(form, true); }

} // namespace quorvane
