// "Preview" and "Undo Last Run" in the window: a preview writes nothing and
// tells what the run then does; an undo puts the run's files back.
#include "tests/app/WindowFixture.h"

#include "app/BackupChoices.h"
#include "app/PreviewNotes.h"
#include "app/RunReportView.h"
#include "engine/backup/BackupStore.h"
#include "engine/backup/LastRun.h"
#include "shell/BackupSettings.h"

#include <QAction>
#include <QComboBox>
#include <QTableView>
#include <QDir>
#include <QMenu>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::test;

namespace {

const QString kWhatUndoDoes = "Every file it replaced is put back as it was, and every file it created is removed, "
                              "unless it has been changed since.";

QString LocalTime(const QDateTime& utc)
{
    return utc.toLocalTime().toString("yyyy-MM-dd hh:mm:ss");
}

// The same without reasons, which a preview fills with its warnings.
QStringList Outcomes(const RunReport& report)
{
    QStringList out = ReportRows(report);
    for (QString& row : out)
        row = row.left(row.lastIndexOf('|'));
    return out;
}

} // namespace

TEST(PreviewNotes, WarnOfSharedOutputsReplacedFilesAndSkips)
{
    TestEnv env;
    const QString a = env.write("x/a.txt", "a"), b = env.write("y/a.txt", "a"), c = env.write("c.txt", "c");
    const QString out = env.mkdir("out"), taken = env.write("out/c.txt", "old");
    using O = RunOutcome;
    std::vector<RunReportRow> rows = {
        {a, out + "/a.txt", 1, O::Written, {}},  {b, out + "/a.txt", 1, O::Written, {}},
        {c, taken, 0, O::Written, {}},           {c, c, 0, O::Skipped, {}},
        {a, out + "/gone.txt", 0, O::Failed, "File not found"}, {c, c, 0, O::Skipped, "binary file"},
    };
    AddPreviewNotes(rows, true);
    QStringList reasons;
    for (const RunReportRow& row : rows)
        reasons << row.reason;
    EXPECT_EQ(reasons, QStringList({"Entry 2 has the same output: its result replaces this one's.",
                                    "Same output as entry 1: this result replaces that one's.",
                                    "Replaces an existing file.",
                                    "Would be skipped: the file is empty or cannot be read.",
                                    "File not found", "Would be skipped: binary file."}));

    // In place, a file listed twice is the one warning left.
    rows = {{c, c, 1, O::Written, {}}, {c, c, 1, O::Written, {}}};
    AddPreviewNotes(rows, false);
    EXPECT_EQ(rows[0].reason, "Entry 2 has the same output: its result replaces this one's.");
    EXPECT_EQ(rows[1].reason, "Same output as entry 1: this result replaces that one's.");
}

class PreviewInWindow : public WindowTest {};

TEST_F(PreviewInWindow, WritesNothingAndReportsWhatTheRunThenDoes)
{
    Form1& f = open();
    const QString out = env.mkdir("out");
    f.outputFolderText()->setText(out + "/");
    f.option1()->click();
    const QString a = env.write("x/a.txt", "aa\n"), b = env.write("y/a.txt", "a\n"), u = env.write("u.txt", "x\n");
    env.write("out/u.txt", "old");
    f.fileList().addEntries({a, b, u});
    f.tabs()->setCurrentIndex(1);
    f.findCombo()->addItem("a");
    f.replaceCombo()->addItem("b");

    f.previewButton()->click();
    ASSERT_NE(f.runReport(), nullptr);
    const RunReport preview = *f.runReport();
    EXPECT_EQ(ReportRows(preview),
              QStringList({a + "|" + out + "/a.txt|2|written|Entry 2 has the same output: its result replaces this one's.",
                           b + "|" + out + "/a.txt|1|written|Same output as entry 1: this result replaces that one's.",
                           u + "|" + out + "/u.txt|0|written|Replaces an existing file."}));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList({"u.txt"}));
    EXPECT_EQ(TestEnv::read(out + "/u.txt"), "old");
    EXPECT_TRUE(notices().isEmpty());   // no "Done.": the report opens instead
    ASSERT_NE(f.reportWindow(), nullptr);
    EXPECT_TRUE(f.reportWindow()->isVisible() || !f.isVisible());
    EXPECT_EQ(f.reportWindow()->windowTitle(), "Preview");
    EXPECT_EQ(RunReportSummary(preview, ReportKind::Preview),
              "Preview: nothing has been written. 3 files: 3 would be written, 0 would stay unchanged, 0 skipped, "
              "0 failed; 3 replacements");
    EXPECT_EQ(f.reportWindow()->model()->index(0, RunReportModel::OutcomeColumn).data().toString(),
              "would be written");

    f.pushButton(12)->click();
    EXPECT_EQ(Outcomes(*f.runReport()), Outcomes(preview));
    EXPECT_EQ(TestEnv::read(out + "/a.txt"), "b\n");
    EXPECT_EQ(notices(), QStringList({"Done."}));
}

TEST_F(PreviewInWindow, ForetellsBinaryFilesAndWritesTheRunWouldBeRefused)
{
    Form1& f = open();
    const QString out = env.mkdir("out");
    env.mkdir("out/f.txt");
    f.outputFolderText()->setText(out + "/");
    f.option1()->click();
    const QString bin = env.write("bin.dat", QByteArray("a\0", 2)), a = env.write("a.txt", "a"),
                  folder = env.write("f.txt", "a");
    f.fileList().addEntries({bin, a, folder});
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("b");

    f.previewButton()->click();
    ASSERT_NE(f.runReport(), nullptr);
    const RunReport preview = *f.runReport();
    EXPECT_EQ(ReportRows(preview), QStringList({bin + "|" + out + "/bin.dat|0|skipped|Would be skipped: binary file.",
                                                a + "|" + out + "/a.txt|1|written|",
                                                folder + "|" + out + "/f.txt|0|failed|Is a directory"}));
    EXPECT_EQ(f.reportWindow()->model()->index(2, RunReportModel::OutcomeColumn).data().toString(), "would fail");
    const QStringList told = notices();
    f.pushButton(12)->click();
    EXPECT_EQ(Outcomes(*f.runReport()), Outcomes(preview));
    EXPECT_EQ(notices().mid(told.size()), told + QStringList({"Done."}));
    EXPECT_EQ(TestEnv::read(bin), QByteArray("a\0", 2));
}

TEST_F(PreviewInWindow, MakesTheRunsChecksWithTheRunsMessages)
{
    Form1& f = open();
    f.previewButton()->click();
    f.fileList().addEntries({env.write("a.txt", "a")});
    f.option2()->click();
    f.findText()->setPlainText("a\r\nb");
    f.replaceText()->setPlainText("c");
    f.previewButton()->click();
    EXPECT_EQ(notices(), QStringList({"No files added.", "The number of lines of Find What and Replace With must be the same."}));
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "a");
    // The refused preview has no report to open.
    EXPECT_EQ(f.runReport(), nullptr);
    EXPECT_EQ(f.reportWindow(), nullptr);
    EXPECT_TRUE(f.reportButton()->isHidden());
}

TEST_F(PreviewInWindow, RunReportShowsTheLatestRunsReportAndEachReportOpensWithAllFiles)
{
    Form1& f = open();
    const QString a = env.write("a.txt", "a"), gone = env.path("gone.txt");
    f.fileList().addEntries({a, gone});
    f.option2()->click();
    f.tabs()->setCurrentIndex(1);
    f.findCombo()->addItem("a");
    f.replaceCombo()->addItem("z");
    f.previewButton()->click();
    EXPECT_TRUE(f.reportButton()->isHidden());   // a preview is no run
    f.pushButton(12)->click();
    const QStringList run = {a + "|" + a + "|1|written|", gone + "|" + gone + "|0|failed|No such file or directory"};
    EXPECT_EQ(ReportRows(*f.runReport()), run);
    prompts.answers = {true};
    f.undoButton()->click();
    RunReportWindow* window = f.reportWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Undo Report");
    window->findChild<QComboBox*>("RunReportShow")->setCurrentIndex(1);   // failed files
    EXPECT_EQ(window->table()->model()->rowCount(), 0);

    f.reportButton()->click();
    EXPECT_EQ(window->windowTitle(), "Run Report");
    EXPECT_EQ(ReportRows(window->model()->report()), run);
    EXPECT_EQ(window->findChild<QComboBox*>("RunReportShow")->currentText(), "All files");
    EXPECT_EQ(window->table()->model()->rowCount(), 2);
}

class UndoInWindow : public WindowTest {};

TEST_F(UndoInWindow, PutsBackTheLastRunsFilesAndReportsTheOnesChangedSince)
{
    Form1& f = open();
    f.undoButton()->click();
    EXPECT_EQ(notices(), QStringList({"There is no run to undo."}));

    const QString a = env.write("a.txt", "a1"), b = env.write("b.txt", "a2");
    f.fileList().addEntries({a, b});
    f.option2()->click();
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("z");
    f.pushButton(12)->click();
    ASSERT_EQ(TestEnv::read(a), "z1");
    env.write("b.txt", "edited");

    const std::vector<BackupRunInfo> runs = BackupStore().runs();
    ASSERT_EQ(runs.size(), 1u);
    prompts.answers = {false, true};
    f.undoButton()->click();   // declined: nothing changes
    EXPECT_EQ(TestEnv::read(a), "z1");
    f.undoButton()->click();
    EXPECT_EQ(TestEnv::read(a), "a1");
    EXPECT_EQ(TestEnv::read(b), "edited");
    const QStringList questions = prompts.texts("question");
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(questions[1], "Undo the run of " + LocalTime(runs[0].started) + " (in place, 2 files in " + env.root()
                                + ")?\n\n" + kWhatUndoDoes);
    ASSERT_NE(f.runReport(), nullptr);
    // Newest first, as the files are put back.
    EXPECT_EQ(ReportRows(*f.runReport()),
              QStringList({b + "|" + b + "|0|failed|changed since the run", a + "|" + a + "|0|restored|"}));
    EXPECT_EQ(f.reportWindow()->windowTitle(), "Undo Report");
    f.reportWindow()->filter()->setShow(RunReportFilter::Show::Written);
    EXPECT_EQ(f.reportWindow()->filter()->rowCount(), 1);
}

TEST_F(UndoInWindow, BackupChoicesAreStoredAndTurnBackupsOff)
{
    Form1& f = open();
    EXPECT_EQ(ReadBackupChoices(), (BackupChoices{true, 50, 2048}));
    prompts.inputs = {"3", "100"};
    AskBackupLimits(f);
    prompts.inputs = {"many"};
    AskBackupLimits(f);
    EXPECT_EQ(notices(), QStringList({"Please enter a whole number of at least 1."}));
    EXPECT_EQ(ReadBackupChoices(), (BackupChoices{true, 3, 100}));
    // A valid first answer stays when the second is not one, or is cancelled.
    prompts.inputs = {"7", "lots"};
    AskBackupLimits(f);
    EXPECT_EQ(notices().size(), 2);
    EXPECT_EQ(ReadBackupChoices(), (BackupChoices{true, 7, 100}));
    prompts.inputs = {"8", ""};
    AskBackupLimits(f);
    EXPECT_EQ(ReadBackupChoices(), (BackupChoices{true, 8, 100}));

    QAction* keep = f.undoButton()->menu()->findChild<QAction*>("KeepBackupsAction");
    ASSERT_NE(keep, nullptr);
    keep->trigger();   // checked at first: now off
    EXPECT_FALSE(ReadBackupChoices().keep);
    const QString a = env.write("a.txt", "a");
    f.fileList().addEntries({a});
    f.option2()->click();
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("z");
    f.pushButton(12)->click();
    f.undoButton()->click();
    const std::optional<LastRunNote> note = ReadLastRunNote(DefaultBackupFolder());
    ASSERT_TRUE(note);
    EXPECT_EQ(notices().last(), "The last run, at " + LocalTime(note->started) + ", kept no backups and cannot be undone.");
    EXPECT_EQ(TestEnv::read(a), "z");
}

TEST_F(UndoInWindow, WhenTheLastRunKeptNoBackupsSaysSoAndOffersTheRunBefore)
{
    Form1& f = open();
    f.option2()->click();
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("z");
    const auto runOn = [&f](const QString& file) {
        f.fileList().clear();
        f.fileList().addEntries({file});
        f.pushButton(12)->click();
    };
    const struct {
        const char* name;
        bool keep;              // backups on for the last run
        QByteArray lastBytes;   // the last run's file
    } cases[] = {
        {"backups turned off", false, "a"},
        {"nothing replaced", true, "none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBackupChoices({true, 50, 2048});
        const QString kept = env.write(QString(c.name) + "/kept.txt", "a"), last = env.write("last.txt", c.lastBytes);
        runOn(kept);
        WriteBackupChoices({c.keep, 50, 2048});
        runOn(last);
        const std::vector<BackupRunInfo> runs = BackupStore().runs();
        const std::optional<LastRunNote> note = ReadLastRunNote(DefaultBackupFolder());
        ASSERT_EQ(runs.size(), 1u);
        ASSERT_TRUE(note);

        prompts.answers = {true};
        f.undoButton()->click();
        EXPECT_EQ(prompts.texts("question").last(),
                  "The last run, at " + LocalTime(note->started) + ", kept no backups and cannot be undone. Undo the "
                  "run of " + LocalTime(runs[0].started) + " (in place, 1 file in " + env.path(c.name) + ") instead?\n\n"
                  + kWhatUndoDoes);
        EXPECT_EQ(TestEnv::read(kept), "a");
        EXPECT_EQ(TestEnv::read(last), c.keep ? c.lastBytes : "z");
    }
}

TEST_F(UndoInWindow, ARunThatCannotKeepItsBackupsIsRefusedBeforeAnyFile)
{
    Form1& f = open();
    const QString a = env.write("a.txt", "a");
    const QString blocked = env.write("data-is-a-file", "");
    qputenv("XDG_DATA_HOME", blocked.toLocal8Bit());   // TestEnv puts its own back
    f.fileList().addEntries({a});
    f.option2()->click();
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("z");
    f.pushButton(12)->click();
    EXPECT_EQ(notices(), QStringList({"Backups of the files to replace cannot be kept in " + blocked
                                      + "/quorvane/backups: Not a directory.\n\nTurn off \"Keep Backups Of "
                                        "Replaced Files\" in the menu of \"Undo Last Run\" to replace without them."}));
    EXPECT_EQ(TestEnv::read(a), "a");
    f.previewButton()->click();   // a preview keeps nothing, so it goes on
    ASSERT_NE(f.runReport(), nullptr);
    EXPECT_EQ(f.runReport()->count(RunOutcome::Written), 1);
}
