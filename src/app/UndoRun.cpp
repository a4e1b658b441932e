#include "app/UndoRun.h"

#include "app/Form1.h"
#include "engine/backup/BackupStore.h"
#include "shell/ErrorReport.h"

#include <QCoreApplication>

namespace quorvane {

namespace {

QString LocalTime(const QDateTime& utc)
{
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// "in place, 2 files in /home/me/notes": where the run put its results, and its files.
QString RunSummary(const BackupRunInfo& run)
{
    const QString mode = run.mode == BackupRunMode::InPlace        ? Form1::tr("in place")
                         : run.mode == BackupRunMode::OutputFolder ? Form1::tr("output folder")
                                                                   : run.description;
    const QString files = run.files == 1 ? Form1::tr("1 file") : Form1::tr("%1 files").arg(run.files);
    return Form1::tr("%1, %2 in %3").arg(mode, files, run.folder);
}

QString WhatUndoDoes()
{
    return Form1::tr("Every file it replaced is put back as it was, and every file it created is "
                     "removed, unless it has been changed since.");
}

} // namespace

QString UndoQuestion(const BackupRunInfo& run)
{
    return Form1::tr("Undo the run of %1 (%2)?\n\n%3").arg(LocalTime(run.started), RunSummary(run), WhatUndoDoes());
}

QString NoBackupsText(const QDateTime& last)
{
    return Form1::tr("The last run, at %1, kept no backups and cannot be undone.").arg(LocalTime(last));
}

QString NoBackupsQuestion(const QDateTime& last, const BackupRunInfo& older)
{
    return Form1::tr("The last run, at %1, kept no backups and cannot be undone. Undo the run of %2 (%3) "
                     "instead?\n\n%4")
        .arg(LocalTime(last), LocalTime(older.started), RunSummary(older), WhatUndoDoes());
}

void UndoLastRun(Form1& form)
{
    if (form.batchRunning)
        return;
    StepTrap trap(form.prompts(), "Form1.UndoButton_Click");
    BackupStore store(DefaultBackupFolder());
    std::vector<BackupRunInfo> runs;
    std::optional<QDateTime> keptNone;
    trap.step(100, [&] {
        runs = store.runs();
        keptNone = store.lastRunWithoutBackups(runs);
    });
    // The run offered is the latest kept, but never as if it were the last
    // run when a later one kept nothing.
    if (runs.empty()) {
        form.prompts().notice(keptNone ? NoBackupsText(*keptNone) : Form1::tr("There is no run to undo."),
                              ApplicationTitle());
        return;
    }
    const BackupRunInfo& last = runs.front();
    const QString question = keptNone ? NoBackupsQuestion(*keptNone, last) : UndoQuestion(last);
    if (!form.prompts().question(question, ApplicationTitle()))
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
