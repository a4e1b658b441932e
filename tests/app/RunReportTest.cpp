// The run report of the window: its rows after runs with every outcome, the
// button that opens it, its filter, double-click and CSV.
#include "tests/app/WindowFixture.h"

#include "app/RunReportView.h"
#include "engine/write/AtomicWrite.h"

#include <QLabel>
#include <QFile>
#include <QFileInfo>
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
                           w2 + "|" + w2 + "|2|written|", u + "|" + u + "|0|unchanged|", e + "|" + e + "|0|skipped|",
                           gone + "|" + gone + "|0|skipped|"}));
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
    const QStringList rows = {w2 + "|" + out + "w2.txt|2|written|", gone + "|" + out + "gone.txt|0|failed|File not found",
                              d + "|" + out + "d.txt|0|failed|Is a directory"};
    EXPECT_EQ(ReportRows(*f.runReport()), rows);

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
                  + (gone + "," + out + "gone.txt,0,failed,File not found\r\n").toUtf8()
                  + (d + "," + out + "d.txt,0,failed,Is a directory\r\n").toUtf8());

    // As with sets files, a save never replaces a FIFO (or anything else not a regular file).
    const QString fifo = env.path("report.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    prompts.saveResults = {fifo};
    EXPECT_FALSE(window->saveCsv());
    EXPECT_EQ(prompts.shown.back().text, fifo + " is not a regular file. The report was not saved.");
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}
