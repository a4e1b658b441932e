// Stopping a run (Stop, Escape) and closing the window during a run or a list
// operation: the file in hand is abandoned, what is complete is committed, and
// closing ends the program at once.
#include "tests/app/WindowFixture.h"

#include "app/RunReportView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>

using namespace quorvane;
using namespace quorvane::test;

namespace {

// A run in place over two small files, a big one with 40 pairs and a last
// small one. Returns the paths in list order.
QStringList PrepareRun(Form1& f, TestEnv& env, const QString& folder)
{
    QStringList finds, replaces;
    for (int k = 0; k < 39; ++k) {
        finds << QString("absent%1").arg(k);
        replaces << QString("gone%1").arg(k);
    }
    finds << "old";
    replaces << "new";
    f.findText()->setPlainText(finds.join('\n'));
    f.replaceText()->setPlainText(replaces.join('\n'));
    f.outputFolderText()->setText(env.mkdir(folder + "-out") + "/");
    f.option2()->click();
    const QStringList paths = {env.write(folder + "/a.txt", "old a"), env.write(folder + "/b.txt", "old b"),
                               env.write(folder + "/big.txt", QByteArray("old text ").repeated(1 << 20)),
                               env.write(folder + "/d.txt", "old d")};
    f.fileList().addEntries(paths);
    return paths;
}

QStringList Outcomes(const RunReport& report)
{
    QStringList out;
    for (const RunReportRow& row : report.rows())
        out << RunOutcomeText(row.outcome);
    return out;
}

} // namespace

class RunStop : public WindowTest {};

TEST_F(RunStop, StopEscapeOrCloseMidFileLeaveEveryFileWhole)
{
    // One worker stops a few stretches into the big file. Several stop soon
    // after the last file is handed out, with any of the files done, in hand
    // or not yet begun: each stays whole either way and the report says which
    // landed.
    for (const int workers : {1, 3})
    for (const QString how : {"stop", "escape", "close"}) {
        prompts.shown.clear();
        Form1& f = open();
        f.runWorkers = workers;
        f.show();
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        const QString folder = how + QString::number(workers);
        const QStringList paths = PrepareRun(f, env, folder);
        std::vector<QByteArray> before;
        for (const QString& path : paths)
            before.push_back(TestEnv::read(path));
        bool stopShown = false;
        const auto stop = [&] {
            stopShown = f.stopButton()->isVisible() && f.stopButton()->isEnabled();
            if (how == "stop")
                f.stopButton()->click();
            else if (how == "escape")
                QTest::keyClick(f.findText(), Qt::Key_Escape);
            else
                f.close();
        };
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (++ticks == (workers == 1 ? 5 : 2))
                stop();
        });
        QObject::connect(f.progressBar(), &QProgressBar::valueChanged, [&](int v) {
            if (v == (workers == 1 ? 75 : 100))
                ticker.start(0);
        });
        QElapsedTimer clock;
        clock.start();
        f.pushButton(12)->click();
        ticker.stop();

        const std::string where = (folder + ": ").toStdString();
        EXPECT_LT(clock.elapsed(), 5000) << where;
        EXPECT_TRUE(stopShown) << where;
        QStringList landed;
        for (size_t k = 0; k < before.size(); ++k) {
            const QByteArray now = TestEnv::read(paths[int(k)]);
            landed << (now == QByteArray(before[k]).replace("old", "new") ? "written" : "not reached");
            if (landed.back() != "written") {
                EXPECT_EQ(now, before[k]) << where;
            }
        }
        if (workers == 1) {
            EXPECT_EQ(landed, QStringList({"written", "written", "not reached", "not reached"}));
        }
        EXPECT_EQ(QDir(env.path(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList({"a.txt", "b.txt", "big.txt", "d.txt"}))
            << where;
        EXPECT_FALSE(f.stopButton()->isVisible()) << where;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << where;
        ASSERT_NE(f.runReport(), nullptr);
        EXPECT_EQ(Outcomes(*f.runReport()), landed) << where;
        if (how == "close") {
            // A closed window shows nothing more.
            EXPECT_FALSE(f.isVisible());
            EXPECT_EQ(f.reportWindow(), nullptr);
            EXPECT_TRUE(prompts.shown.empty());
            continue;
        }
        // Stopped: no "Done.", and the report says where.
        EXPECT_TRUE(notices().isEmpty()) << where;
        ASSERT_NE(f.reportWindow(), nullptr);
        EXPECT_TRUE(f.reportWindow()->isVisible());
        if (workers == 1) {
            EXPECT_EQ(f.reportWindow()->findChild<QLabel*>("RunReportTotals")->text(),
                      "4 files: 2 written, 0 unchanged, 0 skipped, 0 failed, 2 not reached; 2 replacements\n"
                      "Stopped at entry 3 of 4, " + paths[2] + ": it and the entries after it were not reached.");
        }
        EXPECT_TRUE(f.reportButton()->isVisible());
    }
}

TEST_F(RunStop, ClosingEndsTheProgramDuringARunOrAListOperation)
{
    // Each operation is started from the event loop; the window is closed at
    // the operation's first yield, and the loop must end with the program's exit.
    const QString tree = env.path("tree");
    for (int i = 0; i < 50; ++i)
        env.write(QString("tree/sub%1/f.txt").arg(i), "old");
    struct Case {
        const char* name;
        std::function<void(Form1&)> start;
        QStringList inputs;   // answers to its input boxes
    };
    const QStringList initial = {env.write("a.txt", "old"), env.write("b.txt", "old")};
    const std::vector<Case> cases = {
        {"run", [](Form1& f) { f.pushButton(12)->click(); }, {}},
        {"filter", [](Form1& f) { f.pushButton(17)->click(); }, {"a"}},
        {"folder", [](Form1& f) { f.pushButton(3)->click(); }, {"*"}},
        {"drop", [tree](Form1& f) {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(tree)});
             const QPoint at = f.listView()->viewport()->rect().center();
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(f.listView()->viewport(), &enter);
             QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(f.listView()->viewport(), &drop);
         }, {}},
    };
    for (const Case& c : cases) {
        prompts.shown.clear();
        prompts.inputs = {c.inputs.begin(), c.inputs.end()};
        prompts.folderResults = {tree};
        Form1& f = open();
        f.show();
        f.fileList().addEntries(initial);
        f.findText()->setPlainText("old");
        f.replaceText()->setPlainText("new");
        f.option2()->click();
        bool returned = false;
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] { f.close(); });
            c.start(f);
            returned = true;
        });
        QTimer watchdog;   // only a loop that never ends needs it
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(3); });
        watchdog.start(10000);
        EXPECT_EQ(QApplication::exec(), 0) << c.name;
        EXPECT_TRUE(returned) << c.name;
        EXPECT_FALSE(f.isVisible()) << c.name;
        // Nothing was removed or added: each operation ended at its first yield.
        EXPECT_EQ(f.fileList().entries(), initial) << c.name;
        EXPECT_FALSE(f.fileList().operationRunning()) << c.name;
        EXPECT_NE(f.pointer(), PointerStyle::Hourglass) << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
        EXPECT_EQ(TestEnv::read(initial[0]), "old") << c.name;
        EXPECT_TRUE(prompts.texts("notice").isEmpty()) << c.name;
    }
}
