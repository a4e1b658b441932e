#include "app/UndoRun.h"

#include "app/Form1.h"
#include "engine/backup/BackupStore.h"
#include "shell/ErrorReport.h"

#include <QCoreApplication>

namespace quorvane {

QString UndoQuestion(const QString& started, const QString& description, qint64 files)
{
    const QString what = files == 1 ? Form1::tr("1 file") : Form1::tr("%1 files").arg(files);
    return Form1::tr("Undo the run of %1 (%2, %3)?\n\n"
                     "Every file it replaced is put back as it was, and every file it created is "
                     "removed, unless it has been changed since.")
        .arg(started, description, what);
}

void UndoLastRun(Form1& form)
{
    if (form.batchRunning)
        return;
    StepTrap trap(form.prompts(), "Form1.UndoButton_Click");
    BackupStore store(DefaultBackupFolder());
    std::vector<BackupRunInfo> runs;
    trap.step(100, [&] { runs = store.runs(); });
    if (runs.empty()) {
        form.prompts().notice(Form1::tr("There is no run to undo."), ApplicationTitle());
        return;
    }
    const BackupRunInfo& last = runs.front();
    const QString started = last.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    if (!form.prompts().question(UndoQuestion(started, last.description, last.files), ApplicationTitle()))
        return;

    // The undo holds the window as a run does: no second run or undo meanwhile.
    form.batchRunning = true;
    form.stopRequested = false;
    form.showRunState(true);
    form.setPointer(PointerStyle::Hourglass);
    std::optional<RunReport> report;
    QString problem;
    trap.step(102, [&] {
        report = store.undo(last.id, [] { QCoreApplication::processEvents(); },
                            [&form] { return form.closing || form.stopRequested; }, &problem);
    });
    form.setPointer(PointerStyle::Default);
    form.batchRunning = false;
    form.showRunState(false);
    if (form.closing)
        return;
    if (!report) {
        if (!problem.isEmpty())
            form.prompts().notice(problem, ApplicationTitle());
        return;
    }
    form.setRunReport(std::move(*report), ReportKind::Undo);
    form.showRunReport();
}

} // namespace quorvane
