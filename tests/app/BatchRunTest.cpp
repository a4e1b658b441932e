#include "tests/app/WindowFixture.h"

#include "engine/write/AtomicWrite.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include <cerrno>
#include <sys/stat.h>

using namespace quorvane;
using namespace quorvane::test;


class BatchRun : public WindowTest {
protected:
    // A window whose output folder exists and is empty.
    Form1& openWithOutput()
    {
        Form1& f = open();
        out = env.mkdir("out") + "/";
        f.outputFolderText()->setText(out);
        return f;
    }
    QStringList outputNames() const { return QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    void start() { form->pushButton(12)->click(); }

    QString out;
};

TEST_F(BatchRun, EmptyListAndMissingFolderAreRefusedBeforeAnythingChanges)
{
    Form1& f = openWithOutput();
    QSignalSpy values(f.progressBar(), &QProgressBar::valueChanged);
    start();
    EXPECT_EQ(notices(), QStringList({"No files added."}));
    EXPECT_EQ(prompts.shown[0].title, "Quorvane");

    prompts.shown.clear();
    f.fileList().addEntry(env.write("src/a.txt", "a"));
    f.option2()->click();
    f.outputFolderText()->setText(env.path("nowhere/"));
    start();
    EXPECT_EQ(notices(), QStringList({"Folder does not exist. Please select another folder."}));
    EXPECT_EQ(values.count(), 0);
    EXPECT_EQ(f.progressBar()->format(), "Progress Bar");
    EXPECT_EQ(f.pointer(), PointerStyle::Default);
    EXPECT_EQ(TestEnv::read(env.path("src/a.txt")), "a");
    EXPECT_FALSE(f.batchRunning);
}

TEST_F(BatchRun, SingleModeTextChecksStopTheRunBeforeAnyFileIsWritten)
{
    const QString lines = "The number of lines of Find What and Replace With must be the same.";
    const std::vector<std::tuple<QString, QString, QString>> cases = {
        {"a\nb", "x", lines},
        {"", "", "You forgot to input find what."},
        {"", "x", lines},
        {"a\n", "x", lines},
    };
    Form1& f = openWithOutput();
    f.fileList().addEntry(env.write("src/one.txt", "ab"));
    f.fileList().addEntry(env.write("src/two.txt", "ab"));
    for (const auto& [find, replace, message] : cases) {
        prompts.shown.clear();
        f.findText()->setPlainText(find);
        f.replaceText()->setPlainText(replace);
        start();
        EXPECT_EQ(notices(), QStringList({message})) << find.toStdString() << "|" << replace.toStdString();
        EXPECT_TRUE(outputNames().isEmpty());
        EXPECT_EQ(f.progressBar()->value(), 0);
        EXPECT_EQ(f.progressBar()->format(), "Progress Bar");
        EXPECT_EQ(f.pointer(), PointerStyle::Default);
        EXPECT_FALSE(f.batchRunning);
    }
}

TEST_F(BatchRun, FourFilesShowTheirNamesAndQuarterStepsThenTheIdleBar)
{
    Form1& f = openWithOutput();
    for (const char* name : {"w.txt", "x.txt", "y.txt", "z.txt"})
        f.fileList().addEntry(env.write(QString("src/") + name, "abc"));
    f.findText()->setPlainText("b");
    f.replaceText()->setPlainText("B");
    std::vector<int> values;
    QStringList captions;
    std::vector<bool> busy;
    QObject::connect(f.progressBar(), &QProgressBar::valueChanged, [&](int v) {
        values.push_back(v);
        captions << f.progressBar()->format();
        busy.push_back(f.pointer() == PointerStyle::Hourglass && QApplication::overrideCursor()
                       && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    });
    start();
    EXPECT_EQ(values, (std::vector<int>{25, 50, 75, 100, 0}));
    EXPECT_EQ(captions, QStringList({"Processing: w.txt", "Processing: x.txt", "Processing: y.txt",
                                     "Processing: z.txt", "Processing: z.txt"}));
    EXPECT_EQ(busy, (std::vector<bool>{true, true, true, true, false}));
    EXPECT_EQ(f.progressBar()->format(), "Progress Bar");
    EXPECT_TRUE(f.progressBar()->updatesEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(notices(), QStringList({"Done."}));
    EXPECT_EQ(outputNames(), QStringList({"w.txt", "x.txt", "y.txt", "z.txt"}));
    EXPECT_EQ(TestEnv::read(out + "z.txt"), "aBc");
}

TEST_F(BatchRun, EveryPromptOfARunFindsTheBarShowingItsOwnFile)
{
    // Quick files fall inside one frame of the bar, where redraws are held
    // back; a box must still appear under its own file's caption and value,
    // the late failure of a's commit included, and "Done." under the idle bar.
    Form1& f = openWithOutput();
    f.tabs()->setCurrentIndex(1);
    f.findCombo()->addItem("a");
    f.replaceCombo()->addItem("b");
    f.fileList().addEntries({env.write("src/a.txt", "a"), env.path("src/gone1.txt"),
                             env.write("src/b.txt", "a"), QString(), env.path("src/gone2.txt")});
    QStringList seen;
    prompts.onShown = [&](const Shown&) {
        QProgressBar* bar = f.progressBar();
        seen << (bar->updatesEnabled() ? bar->format() : QString("(held)")) + " "
                    + QString::number(bar->value());
    };
    InjectWriteFailure(WriteStep::Rename, EACCES);
    start();
    EXPECT_EQ(seen, QStringList({"Processing: gone1.txt 40", "Processing:  80", "Processing: gone2.txt 100",
                                 "Processing: a.txt 20", "Progress Bar 0"}));
    EXPECT_EQ(notices(), QStringList({"Done."}));
}

TEST_F(BatchRun, SingleModeAppliesThePairsInOrderIntoTheOutputFolder)
{
    Form1& f = openWithOutput();
    // Without its trailing '/', the folder is still joined to the name with one.
    f.outputFolderText()->setText(out.chopped(1));
    f.fileList().addEntry(env.write("src/pets.txt", "cat and dog\r\nno\xc2\xa0space"));
    f.fileList().addEntry(env.write("src/empty.txt", ""));
    f.fileList().addEntry(env.write("src/one/same.txt", "cat 1"));
    f.fileList().addEntry(env.write("src/two/same.txt", "cat 2"));
    f.fileList().addEntry(env.path("src/missing.txt"));
    f.findText()->setPlainText(QString("cat\ndog\n") + QChar(0xA0));
    f.replaceText()->setPlainText("dog\nbird\n_");
    start();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
    EXPECT_EQ(notices(), QStringList({"Done."}));
    // Empty and missing sources are skipped; same names share one output, the later wins.
    EXPECT_EQ(outputNames(), QStringList({"pets.txt", "same.txt"}));
    EXPECT_EQ(TestEnv::read(out + "pets.txt"), "bird and bird\r\nno_space");
    EXPECT_EQ(TestEnv::read(out + "same.txt"), "bird 2");
    EXPECT_EQ(TestEnv::read(env.path("src/pets.txt")), "cat and dog\r\nno\xc2\xa0space");
}

TEST_F(BatchRun, EmptyReplaceTextDeletesEveryFindLine)
{
    Form1& f = openWithOutput();
    f.fileList().addEntry(env.write("src/a.txt", "x-y-z"));
    f.findText()->setPlainText("-\ny");
    start();
    EXPECT_EQ(TestEnv::read(out + "a.txt"), "xz");
}

TEST_F(BatchRun, TextsAndSetsEditedWhileTheRunYieldsApplyToTheFilesAfterTheEdit)
{
    const struct {
        int tab;
        std::function<void(Form1&)> edit;   // made as the bar reaches the second file
    } modes[] = {
        {0, [](Form1& f) { f.findText()->setPlainText("a\r\nb"); f.replaceText()->setPlainText("x\r\ny"); }},
        {1, [](Form1& f) { f.replaceCombo()->setItemText(0, "x"); f.findCombo()->addItem("b");
                           f.replaceCombo()->addItem("y"); }},
    };
    for (const auto& m : modes) {
        Form1& f = openWithOutput();
        f.option2()->click();
        f.tabs()->setCurrentIndex(m.tab);
        f.findText()->setPlainText("a");
        f.replaceText()->setPlainText("c");
        f.findCombo()->addItem("a");
        f.replaceCombo()->addItem("c");
        const QString mode = QString::number(m.tab);
        QStringList files;
        for (const char* name : {"1.txt", "2.txt", "3.txt"})
            files << env.write("src" + mode + "/" + name, "ab");
        f.fileList().addEntries(files);
        bool edited = false;
        QObject::connect(f.progressBar(), &QProgressBar::valueChanged, [&](int value) {
            if (value > 50 && value < 100 && !edited) {
                edited = true;
                m.edit(f);
            }
        });
        start();
        EXPECT_TRUE(edited);
        EXPECT_EQ(TestEnv::read(files[0]) + " " + TestEnv::read(files[1]) + " " + TestEnv::read(files[2]),
                  "cb xy xy") << m.tab;
    }
}

TEST_F(BatchRun, SetsModeReplacesInPlaceAndWritesEmptySources)
{
    Form1& f = openWithOutput();
    f.tabs()->setCurrentIndex(1);
    f.option2()->click();
    f.findCombo()->addItems({"one", "two"});
    f.replaceCombo()->addItems({"two", "three"});
    const QString text = env.write("src/n.txt", "one two");
    f.fileList().addEntry(text);
    start();
    EXPECT_EQ(TestEnv::read(env.path("src/n.txt")), "three three");
    EXPECT_TRUE(outputNames().isEmpty());
    EXPECT_EQ(notices(), QStringList({"Done."}));

    // Into the output folder: an empty source gives an empty result.
    f.option1()->click();
    f.fileList().clear();
    f.fileList().addEntry(env.write("src/empty.txt", ""));
    start();
    EXPECT_EQ(outputNames(), QStringList({"empty.txt"}));
    EXPECT_EQ(TestEnv::read(out + "empty.txt"), "");
}

TEST_F(BatchRun, AFileThatFailsIsReportedUnderItsModesProcedureAndTheOthersAreStillWritten)
{
    const struct {
        int tab;
        const char* procedure;
        int writeStep;
    } modes[] = {
        {0, "ReplaceText.ReplaceTextInFile", 110},
        {1, "ReplaceText.ReplaceTextInFileCombo", 106},
    };
    for (const auto& m : modes) {
        prompts.shown.clear();
        Form1& f = open();
        const QString mode = QString::number(m.tab);
        out = env.mkdir("out" + mode) + "/";
        f.outputFolderText()->setText(out);
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
            f.fileList().addEntry(env.write("src" + mode + "/" + name, "old"));
        f.fileList().addEntry(env.path("src" + mode + "/missing.txt"));
        // What stands where b's, c's and d's results should go is no file to replace.
        env.mkdir("out" + mode + "/b.txt");
        ASSERT_EQ(::mkfifo(QFile::encodeName(out + "c.txt").constData(), 0644), 0);
        ASSERT_TRUE(QFile::link("d.txt", out + "d.txt"));
        f.tabs()->setCurrentIndex(m.tab);
        f.findText()->setPlainText("old");
        f.replaceText()->setPlainText("new");
        f.findCombo()->addItem("old");
        f.replaceCombo()->addItem("new");
        start();
        // Single mode skips a file it cannot size without a box; sets mode tries to read it.
        // Each box names its file on a line of its own.
        QStringList expected{Report(out + "b.txt\r\nIs a directory", m.procedure, m.writeStep),
                             Report(out + "c.txt\r\nNot a regular file", m.procedure, m.writeStep),
                             Report(out + "d.txt\r\nToo many levels of symbolic links", m.procedure, m.writeStep)};
        if (m.tab == 1)
            expected << Report(env.path("src" + mode + "/missing.txt") + "\r\nFile not found", m.procedure, 100);
        EXPECT_EQ(errors(), expected) << m.procedure;
        EXPECT_EQ(TestEnv::read(out + "a.txt"), "new");
        EXPECT_EQ(TestEnv::read(out + "e.txt"), "new");
        EXPECT_TRUE(QFileInfo(out + "c.txt").exists() && !QFileInfo(out + "c.txt").isFile());
        EXPECT_TRUE(QFileInfo(out + "d.txt").isSymLink());
        EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                  QStringList({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}));
        EXPECT_EQ(notices(), QStringList({"Done."}));
    }
}

TEST_F(BatchRun, AFileWhoseResultStillWaitsIsSizedAndReadWithItsNewBytes)
{
    // The second entry is the first one's output: it must be sized after that
    // result, not skipped as the empty file it was.
    Form1& f = openWithOutput();
    env.write("out/a.txt", "");
    f.fileList().addEntry(env.write("src/a.txt", "a"));
    f.fileList().addEntry(out + "a.txt");
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("ab");
    start();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("\n").toStdString();
    EXPECT_EQ(TestEnv::read(out + "a.txt"), "abb");
}

TEST_F(BatchRun, SecondStartDuringARunIsIgnored)
{
    Form1& f = openWithOutput();
    f.option2()->click();
    const QString path = env.write("src/a.txt", "a");
    f.fileList().addEntry(path);
    f.fileList().addEntry(env.write("src/b.txt", "a"));
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("aa");
    int clicks = 0;
    QObject::connect(f.progressBar(), &QProgressBar::valueChanged, [&](int v) {
        if (v > 0) {
            ++clicks;
            f.pushButton(12)->click();
        }
    });
    start();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(TestEnv::read(path), "aa");
    EXPECT_EQ(notices(), QStringList({"Done."}));
}

TEST_F(BatchRun, EntriesRemovedDuringTheRunAreReportedAndSkipped)
{
    Form1& f = openWithOutput();
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        f.fileList().addEntry(env.write(QString("src/") + name, "a"));
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("b");
    QObject::connect(f.progressBar(), &QProgressBar::valueChanged, [&](int v) {
        if (v == 33)
            f.fileList().removeEntry(3);
        if (v == 100)
            f.fileList().removeEntry(2);
    });
    start();
    // The second file's progress counts against the shortened list; the third
    // position no longer exists.
    const QString gone = Report("Index out of bounds", "Form1.PushButton12_Click", 112);
    EXPECT_EQ(errors(), QStringList({gone}));
    EXPECT_EQ(outputNames(), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(notices(), QStringList({"Done."}));
}

TEST_F(BatchRun, FileNamesWithPercentSignsAreShownAsTheyAre)
{
    Form1& f = openWithOutput();
    f.fileList().addEntry(env.write("src/50%value %p%m.txt", "a"));
    f.findText()->setPlainText("a");
    f.replaceText()->setPlainText("b");
    QString shown;
    QObject::connect(f.progressBar(), &QProgressBar::valueChanged, [&](int v) {
        if (v == 100)
            shown = f.progressBar()->text().remove(QChar(0x2060));
    });
    start();
    EXPECT_EQ(shown, "Processing: 50%value %p%m.txt");
    EXPECT_EQ(TestEnv::read(out + "50%value %p%m.txt"), "b");
}
