// "Start Replacing" on several workers: the same boxes over the same bar, the
// same report and the same files as on one worker.
#include "tests/app/WindowFixture.h"

#include <QDirIterator>
#include <QFileInfo>
#include <map>

using namespace quorvane;
using namespace quorvane::test;

namespace {

// Every file and folder under root, by its path from root: its bytes, or "(folder)".
std::map<QString, QByteArray> Tree(const QString& root)
{
    std::map<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        tree[info.filePath().mid(root.size())] = info.isDir() ? QByteArray("(folder)") : TestEnv::read(info.filePath());
    }
    return tree;
}

} // namespace

class RunWorkers : public WindowTest {};

TEST_F(RunWorkers, ManyWorkersGiveOneWorkersBoxesReportAndFiles)
{
    // 30 entries into a folder. The tab turns to the sets as the bar reaches
    // entry 15, so each half fails under its own procedure. Among them: a
    // link to an earlier source, earlier entries' results read again (one
    // through a link), results that cannot be written, missing, binary and
    // empty sources.
    struct Run {
        QStringList seen;   // each prompt with the bar under it
        QStringList rows;
        std::map<QString, QByteArray> tree;
    };
    std::map<int, Run> runs;
    for (const int workers : {1, 3}) {
        prompts.shown.clear();
        Form1& f = open();
        f.runWorkers = workers;
        f.tabs()->setCurrentIndex(0);   // the last run left the sets' tab stored
        const QString base = "w" + QString::number(workers);
        const QString root = env.mkdir(base);
        const QString src = env.mkdir(base + "/src") + "/";
        const QString out = env.mkdir(base + "/out") + "/";
        QStringList entries;
        for (int k = 0; k < 30; ++k) {
            const QString name = QString("f%1.txt").arg(k, 2, 10, QChar('0'));
            entries << src + name;
            if (k == 9 || k == 24)
                continue;   // missing
            env.write(base + "/src/" + name, k == 3 || k == 27 ? QByteArray()
                                             : k == 12       ? QByteArray("x\0x", 3)
                                                             : "x " + QByteArray::number(k));
        }
        ASSERT_TRUE(QFile::link(src + "f01.txt", src + "link.txt"));
        entries[7] = src + "link.txt";
        entries[17] = out + "f02.txt";
        ASSERT_TRUE(QFile::link("f16.txt", out + "alias.txt"));
        entries[22] = out + "alias.txt";
        ASSERT_TRUE(QDir().mkpath(out + "f05.txt") && QDir().mkpath(out + "f20.txt"));
        f.fileList().addEntries(entries);
        f.outputFolderText()->setText(out);
        f.findText()->setPlainText("x");
        f.replaceText()->setPlainText("xy");
        f.findCombo()->addItem("x");
        f.replaceCombo()->addItem("xy");
        QObject::connect(f.progressBar(), &QProgressBar::valueChanged, [&](int v) {
            if (v >= 50)
                f.tabs()->setCurrentIndex(1);
        });
        Run& run = runs[workers];
        prompts.onShown = [&](const Shown& shown) {
            run.seen << shown.text + " | " + f.progressBar()->format() + " "
                            + QString::number(f.progressBar()->value());
        };
        f.pushButton(12)->click();
        ASSERT_NE(f.runReport(), nullptr);
        run.rows = ReportRows(*f.runReport()).replaceInStrings(root, "");
        run.seen.replaceInStrings(root, "");
        run.tree = Tree(root);
    }
    const QString single = "ReplaceText.ReplaceTextInFile", sets = "ReplaceText.ReplaceTextInFileCombo";
    EXPECT_EQ(runs[1].seen.join("\n").toStdString(),
              QStringList({Report("/out/f05.txt\r\nIs a directory", single, 110) + " | Processing: f05.txt 20",
                           Report("/out/f20.txt\r\nIs a directory", sets, 106) + " | Processing: f20.txt 70",
                           Report("/src/f24.txt\r\nFile not found", sets, 100) + " | Processing: f24.txt 83",
                           "Done. | Progress Bar 0"})
                  .join("\n")
                  .toStdString());
    EXPECT_EQ(runs[3].seen.join("\n").toStdString(), runs[1].seen.join("\n").toStdString());
    EXPECT_EQ(runs[3].rows.join("\n").toStdString(), runs[1].rows.join("\n").toStdString());
    EXPECT_EQ(runs[3].tree, runs[1].tree);
    // Results read again saw the earlier results; the empty source is skipped
    // in single mode and written in sets mode.
    const std::map<QString, QByteArray>& tree = runs[1].tree;
    EXPECT_EQ(tree.at("/out/f02.txt"), "xyy 2");
    EXPECT_EQ(tree.at("/out/f16.txt"), "xyy 16");
    EXPECT_EQ(tree.at("/out/link.txt"), "xy 1");
    EXPECT_EQ(tree.count("/out/f03.txt") + tree.count("/out/f09.txt") + tree.count("/out/f12.txt"), 0u);
    EXPECT_EQ(tree.at("/out/f27.txt"), "");
    EXPECT_EQ(runs[1].rows.filter("|skipped|").join("\n").toStdString(),
              "/src/f03.txt|/out/f03.txt|0|skipped|empty file\n"
              "/src/f09.txt|/out/f09.txt|0|skipped|cannot be read: No such file or directory\n"
              "/src/f12.txt|/out/f12.txt|0|skipped|binary file");
}
