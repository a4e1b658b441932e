#include "app/BatchRun.h"

#include "app/BackupChoices.h"
#include "app/Form1.h"
#include "app/OutputLocation.h"
#include "app/PreviewNotes.h"
#include "app/RunBar.h"
#include "app/RunFile.h"
#include "app/RunPrompts.h"
#include "engine/backup/BackupStore.h"
#include "engine/files/PathHelpers.h"
#include "engine/write/CommitGroup.h"
#include "shell/BackupSettings.h"
#include "shell/ErrorReport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextDocument>

namespace quorvane {

namespace {

// The box's text with each line break as CR LF. The raw text keeps every
// character as typed (non-breaking spaces included); blocks and soft line
// breaks both count as line breaks.
QString BoxText(const QPlainTextEdit* box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return text;
}

QStringList Items(const QComboBox* box)
{
    QStringList items;
    items.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QString OutputPath(Form1& form, const QString& source)
{
    if (!form.option1()->isChecked())
        return source;
    return OutputPathInFolder(form.outputFolderText()->text(), source);
}

// The single-mode check made before each file; the message it stops the run
// with, or the empty text when the texts pass.
QString SingleTextsProblem(const QString& find, const QString& replace)
{
    if (!replace.isEmpty()) {
        if (SplitLines(find).size() != SplitLines(replace).size())
            return Form1::tr("The number of lines of Find What and Replace With must be the same.");
    } else if (find.isEmpty()) {
        return Form1::tr("You forgot to input find what.");
    }
    return {};
}

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
    const auto ending = [&form] { return form.closing || form.stopRequested; };

    // Every prompt of the run first puts the file it is about on the bar; once
    // the window is closing, none is shown.
    RunBar bar(form.progressBar());
    Showing showing;
    const auto putOnBar = [&] {
        if (showing.position <= 0)
            return;
        bar.showFile(showing.source);
        if (list.count() > 0)
            bar.showPosition(showing.position, list.count());
    };
    RunPrompts prompts(form.prompts(), [&] {
        if (form.closing)
            return false;
        putOnBar();
        bar.drawNow();
        return true;
    });
    StepTrap trap(prompts, "Form1.PushButton12_Click");

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
    // A run that is to keep backups starts only where it can: otherwise every
    // file would fail for want of its backup.
    const BackupChoices backups = ReadBackupChoices();
    BackupStore store(DefaultBackupFolder());
    if (!refused && !preview && backups.keep) {
        const QString why = store.ready();
        if (!why.isEmpty()) {
            refused = true;
            prompts.notice(BackupsRefusedText(store.folder(), why), ApplicationTitle());
        }
    }
    if (refused)
        return;
    form.showRunState(true);

    // One row per entry, in list order; a row whose waiting result fails to
    // land later turns failed once the run is over.
    std::vector<RunReportRow> rows;
    std::vector<std::pair<qsizetype, QString>> lateFailures;   // row, reason
    const auto report = [&prompts](const QString& procedure, int step, const QString& description) {
        ReportFailure(prompts, description, procedure, step);
    };
    // Results of small files wait in one group so the run pays for one sync per
    // group of files; the group's late failures are reported under the per-file
    // procedure's write step, and a run that stops still commits them.
    CommitGroup group;
    // Each file the run replaces is kept first, so the run can be undone.
    std::unique_ptr<BackupRun> backup;
    if (!preview && backups.keep) {
        backup = store.beginRun(form.option1()->isChecked()
                                    ? Form1::tr("into %1").arg(form.outputFolderText()->text())
                                    : Form1::tr("in place"));
        group.setBackup(backup.get());
    }
    FileRunContext ctx;
    ctx.yield = [&bar] {
        bar.tick();
        QCoreApplication::processEvents();
    };
    ctx.cancelled = ending;
    ctx.group = preview ? nullptr : &group;
    ctx.report = report;
    ctx.dryRun = preview;
    std::vector<Pair> runPairs;   // of the first file, for the preview's changes

    int count = 0;
    int stoppedAt = 0;   // the first position the run did not complete
    trap.step(106, [&] { count = list.count(); });
    for (int i = 1; i <= count; ++i) {
        trap.step(108, ctx.yield);
        if (ending()) {
            stoppedAt = i;
            break;
        }
        trap.step(110, [&] { form.setPointer(PointerStyle::Hourglass); });
        bar.nextFile();
        showing = {i, QString()};
        // An entry that vanished while the run yielded is reported and skipped.
        QString reason;
        if (!StepNoting(trap, 112, reason, [&] { showing.source = list.entryText(i); })) {
            rows.push_back({QString(), QString(), 0, RunOutcome::Failed, reason});
            continue;
        }
        const QString source = showing.source;
        trap.step(114, [&] { bar.showFile(source); });
        trap.step(116, ctx.yield);
        if (ending()) {
            stoppedAt = i;
            break;
        }
        trap.step(118, [&] { bar.showPosition(i, list.count()); });
        QString output;
        trap.step(120, [&] { output = OutputPath(form, source); });

        // The row waits here while the file runs; a late failure of its own
        // commit may come even before the file's outcome (the group flushing
        // as it takes the result).
        const size_t index = rows.size();
        rows.push_back({source, output, 0, RunOutcome::Skipped, QString()});
        ctx.lateReport = [&, index](const QString& procedure, int step, const QString& description) {
            const Showing now = showing;
            showing = {int(index) + 1, rows[index].source};
            report(procedure, step, description);
            showing = now;
            putOnBar();
            lateFailures.emplace_back(qsizetype(index), description);
        };
        FileRunResult result;
        result.row = rows[index];
        const int mode = form.tabs()->currentIndex();
        if (mode == 0) {
            QString find, replace, problem;
            trap.step(122, [&] {
                find = BoxText(form.findText());
                replace = BoxText(form.replaceText());
                problem = SingleTextsProblem(find, replace);
                if (!problem.isEmpty()) {
                    form.setPointer(PointerStyle::Default);
                    prompts.notice(problem, ApplicationTitle());
                    form.batchStopped = true;
                }
            });
            if (form.batchStopped) {
                rows.pop_back();
                stoppedAt = i;
                break;
            }
            qint64 size = 0;
            trap.step(124, [&] { size = FileSize2(source); });
            // Empty and unreadable files are skipped without a message.
            if (size >= 1 && !StepNoting(trap, 126, reason, [&] {
                    std::vector<Pair> pairs = SinglePairs(find, replace);
                    if (runPairs.empty())
                        runPairs = pairs;
                    result = RunFile(source, output, std::move(pairs), FileMode::Single, ctx);
                }))
                result.row = {source, output, 0, RunOutcome::Failed, reason};
        } else if (mode == 1) {
            if (!StepNoting(trap, 128, reason, [&] {
                    std::vector<Pair> pairs = PairLists(Items(form.findCombo()), Items(form.replaceCombo()));
                    if (runPairs.empty())
                        runPairs = pairs;
                    result = RunFile(source, output, std::move(pairs), FileMode::Sets, ctx);
                }))
                result.row = {source, output, 0, RunOutcome::Failed, reason};
        }
        if (result.cancelled) {
            rows.pop_back();
            stoppedAt = i;
            break;
        }
        rows[index] = result.row;
        if (ending()) {
            stoppedAt = i + 1;
            break;
        }
    }

    trap.step(130, [&] {
        group.flush();
        if (backup) {
            backup->finish();
            store.prune({backups.runs, backups.bytes()}, backup->id());
        }
    });
    showing = {};
    trap.step(132, [&] {
        form.progressBar()->setUpdatesEnabled(true);
        form.setPointer(PointerStyle::Default);
        form.progressBar()->setValue(0);
        form.progressBar()->setFormat(Form1::tr("Progress Bar"));
    });

    if (preview)
        AddPreviewNotes(rows, form.option1()->isChecked());
    RunReport runReport;
    for (RunReportRow& row : rows)
        runReport.add(std::move(row));
    for (const auto& [row, why] : lateFailures)
        runReport.markFailed(row, why);
    if (stoppedAt > 0) {
        std::vector<QString> remaining;
        for (int p = stoppedAt; p <= count && p <= list.count(); ++p)
            remaining.push_back(list.entries().at(p - 1));
        runReport.stopBefore(remaining);
    }
    form.setRunReport(std::move(runReport), preview ? ReportKind::Preview : ReportKind::Run, std::move(runPairs));
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
