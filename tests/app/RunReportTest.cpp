// The run report of the window: its rows after runs with every outcome, the
// button that opens it, its filter, double-click and CSV.
#include "tests/app/WindowFixture.h"

#include "app/RunReportView.h"
#include "engine/write/AtomicWrite.h"

#include <QLabel>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTableView>
#include <cerrno>
#include <sys/stat.h>

using namespace quorvane;
using namespace quorvane::test;

class RunReportInWindow : public WindowTest {};

TEST_F(RunReportInWindow, RowsSayWhatTheRunDidToEachEntry)
{
    Form1& f = open();
    const QString out = env.mkdir("out") + "/";
    f.outputFolderText()->setText(out);
    EXPECT_TRUE(f.reportButton()->isHidden());

    // Single mode in place: w1's result fails to land at the end of the run.
    f.option2()->click();
    const QString w1 = env.write("src/w1.txt", "a"), w2 = env.write("src/w2.txt", "aa"),
                  u = env.write("src/u.txt", "x"), e = env.write("src/e.txt", ""), gone = env.path("src/gone.txt");
    f.fileList().addEntries({w1, w2, u, e, gone});
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("b");
    InjectWriteFailure(WriteStep::Rename, EACCES);
    f.pushButton(12)->click();
    ASSERT_NE(f.runReport(), nullptr);
    EXPECT_EQ(ReportRows(*f.runReport()),
              QStringList({w1 + "|" + w1 + "|0|failed|cannot replace a file in " + env.path("src") + ": Permission denied",
                           w2 + "|" + w2 + "|2|written|", u + "|" + u + "|0|unchanged|",
                           e + "|" + e + "|0|skipped|empty file",
                           gone + "|" + gone + "|0|skipped|cannot be read: No such file or directory"}));
    EXPECT_EQ(notices(), QStringList({"Done."}));
    EXPECT_TRUE(f.reportButton()->isVisible() || !f.isVisible());
    EXPECT_FALSE(f.reportButton()->isHidden());

    // Sets mode into the output folder: a missing source and a folder where a
    // result should go fail; the report window follows, filters and saves.
    f.option1()->click();
    f.tabs()->setCurrentIndex(1);
    f.findCombo()->addItem("b");
    f.replaceCombo()->addItem("c");
    env.mkdir("out/d.txt");
    const QString d = env.write("src/d.txt", "b");
    f.fileList().clear();
    f.fileList().addEntries({w2, gone, d});
    f.pushButton(12)->click();
    // The reasons are the command line's report's; the failure boxes name the file.
    const QStringList rows = {w2 + "|" + out + "w2.txt|2|written|",
                              gone + "|" + out + "gone.txt|0|failed|No such file or directory",
                              d + "|" + out + "d.txt|0|failed|Is a directory"};
    EXPECT_EQ(ReportRows(*f.runReport()), rows);
    const QString where = "\r\nin Halderik2021/08/31.ReplaceText.ReplaceTextInFileCombo at line ";
    const QString support = "\r\rPlease email screenshot of this message to support@quorvane.app";
    EXPECT_EQ(errors().mid(errors().size() - 2),
              QStringList({gone + "\r\nFile not found" + where + "100" + support,
                           out + "d.txt\r\nIs a directory" + where + "106" + support}));

    f.reportButton()->click();
    RunReportWindow* window = f.reportWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->table()->model()->rowCount(), 3);
    EXPECT_EQ(window->findChild<QLabel*>("RunReportTotals")->text(),
              "3 files: 1 written, 0 unchanged, 0 skipped, 2 failed, 0 not reached; 2 replacements");
    window->filter()->setShow(RunReportFilter::Show::Failed);
    EXPECT_EQ(window->table()->model()->rowCount(), 2);
    window->openFolderOf(window->table()->model()->index(1, 0));
    EXPECT_EQ(prompts.shown.back().kind, "url");
    EXPECT_EQ(prompts.shown.back().text, QUrl::fromLocalFile(env.path("out")).toString());

    prompts.saveResults = {env.path("report.csv")};
    EXPECT_TRUE(window->saveCsv());
    EXPECT_EQ(TestEnv::read(env.path("report.csv")),
              "source,output,replacements,outcome,reason\r\n" + (w2 + "," + out + "w2.txt,2,written,\r\n").toUtf8()
                  + (gone + "," + out + "gone.txt,0,failed,No such file or directory\r\n").toUtf8()
                  + (d + "," + out + "d.txt,0,failed,Is a directory\r\n").toUtf8());

    // As with sets files, a save never replaces a FIFO (or anything else not a regular file).
    const QString fifo = env.path("report.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    prompts.saveResults = {fifo};
    EXPECT_FALSE(window->saveCsv());
    EXPECT_EQ(prompts.shown.back().text, fifo + " is not a regular file. The report was not saved.");
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

TEST_F(RunReportInWindow, TotalsUseTheDesktopsNumbersAndAnUndoShowsOnlyWhatMeansSomething)
{
    RunReport run;
    run.add({"/a/1.txt", "/a/1.txt", 1234, RunOutcome::Written, {}});
    RunReport undo;
    undo.add({"/a/1.txt", "/a/1.txt", 0, RunOutcome::Restored, {}});
    undo.add({"/a/2.txt", "/a/2.txt", 0, RunOutcome::Failed, "changed since the run"});
    RunReport stoppedUndo = undo;
    stoppedUndo.stopBefore({});
    stoppedUndo.add({"/a/3.txt", "/a/3.txt", 0, RunOutcome::NotReached, {}});
    // On several workers an entry after the one stopped at may be done.
    RunReport stoppedRun;
    stoppedRun.add({"/a/1.txt", "/a/1.txt", 1, RunOutcome::Written, {}});
    stoppedRun.stopBefore({});
    stoppedRun.add({"/a/2.txt", QString(), 0, RunOutcome::NotReached, {}});
    stoppedRun.add({"/a/3.txt", "/a/3.txt", 1, RunOutcome::Written, {}});
    stoppedRun.add({"/a/4.txt", QString(), 0, RunOutcome::NotReached, {}});
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const struct {
        const RunReport& report;
        ReportKind kind;
        QString summary;
    } cases[] = {
        {run, ReportKind::Run, "1 file: 1 written, 0 unchanged, 0 skipped, 0 failed, 0 not reached; 1.234 replacements"},
        {run, ReportKind::Preview, "Preview: nothing has been written. 1 file: 1 would be written, 0 would stay "
                                   "unchanged, 0 skipped, 0 failed; 1.234 replacements"},
        {undo, ReportKind::Undo, "2 files: 1 restored, 0 removed, 1 failed"},
        {stoppedUndo, ReportKind::Undo, "3 files: 1 restored, 0 removed, 1 failed, 1 not reached\n"
                                        "Stopped at entry 3 of 3, /a/3.txt: it and the entries after it were not "
                                        "reached."},
        {stoppedRun, ReportKind::Run, "4 files: 2 written, 0 unchanged, 0 skipped, 0 failed, 2 not reached; 2 "
                                      "replacements\nStopped at entry 2 of 4, /a/2.txt: it and 1 of the 2 entries "
                                      "after it were not reached."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunReportSummary(c.report, c.kind), c.summary);
    QLocale::setDefault(before);

    // The replacements column shows for runs and previews, not for an undo.
    RunReportWindow window(prompts);
    for (const auto& c : cases) {
        window.setReport(c.report, c.kind);
        EXPECT_EQ(window.table()->isColumnHidden(RunReportModel::ReplacementsColumn), c.kind == ReportKind::Undo);
    }
}

TEST_F(RunReportInWindow, SavesUnderANameGivenWithoutExtensionAsCsvAndNamesAFolderNoFileManagerOpens)
{
    RunReport report;
    const QString a = env.write("src/a.txt", "a");
    report.add({a, a, 1, RunOutcome::Written, {}});
    RunReportWindow window(prompts);
    window.setReport(report);
    const struct {
        QString typed, saved;
    } names[] = {{"mine", "mine.csv"}, {"mine.txt", "mine.txt"}, {"both.csv", "both.csv"}};
    for (const auto& n : names) {
        prompts.saveResults = {env.path(n.typed)};
        EXPECT_TRUE(window.saveCsv());
        EXPECT_EQ(TestEnv::read(env.path(n.saved)), "source,output,replacements,outcome,reason\r\n"
                                                    + (a + "," + a + ",1,written,\r\n").toUtf8());
    }
    EXPECT_FALSE(QFileInfo::exists(env.path("mine.txt.csv")));

    prompts.urlOpens = false;
    window.openFolderOf(window.table()->model()->index(0, 0));
    EXPECT_EQ(notices(), QStringList({"The file is in " + env.path("src") + "."}));
}
