// The rules that keep a run safe on a real tree: binary files are left alone,
// a real file is written once however many paths reach it, and a dry run
// foresees the writes a real run would be refused.
#include "engine/files/FileAccess.h"
#include "engine/run/RunDriver.h"
#include "engine/run/WorkerScheduler.h"
#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

#include <QFile>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::IoSandbox;

namespace {

// Plans each entry as given, with one pair for every entry.
class ListFace : public RunFace {
public:
    std::vector<std::pair<QString, QString>> entries;   // source, output
    std::shared_ptr<const RunPairs> pairs;

    qsizetype count() override { return qsizetype(entries.size()); }
    EntryPlan plan(qsizetype index) override
    {
        EntryPlan plan;
        plan.source = entries[size_t(index)].first;
        plan.output = entries[size_t(index)].second;
        plan.pairs = pairs;
        return plan;
    }
    std::optional<EntryPlan> planAhead(qsizetype index) override { return plan(index); }
    std::optional<QString> peekSource(qsizetype index) override { return entries[size_t(index)].first; }
    QString describe(const FileError& error) override { return DescribeFileError(error); }
    std::optional<RunReportRow> unreached(qsizetype) override { return std::nullopt; }
};

QStringList Rows(const RunReport& report)
{
    QStringList rows;
    for (const RunReportRow& r : report.rows())
        rows << QString("%1 %2 %3 %4").arg(QFileInfo(r.source).fileName()).arg(r.replacements)
                    .arg(RunOutcomeText(r.outcome), r.reason).trimmed();
    return rows;
}

// With workers above 1, on that many worker threads.
RunReport RunAll(ListFace& face, RunOptions options = {}, int workers = 1)
{
    WorkerScheduler scheduler(workers);
    return RunDriver(face, std::move(options), workers > 1 ? &scheduler : nullptr).run();
}

} // namespace

TEST(RunTreeRules, AFileWithoutAMarkAndANulInItsFirst8KiBIsSkippedUntouchedUnlessBinaryFilesAreReplaced)
{
    const QByteArray tail8k = QByteArray(8191, 'x') + "foo";
    struct Case {
        const char* name;
        QByteArray bytes;
        bool replaceBinary;
        qsizetype chunk;
        QString row;
        QByteArray after;
    } cases[] = {
        {"nul first", QByteArray("\0foo", 4), false, 65536, "f 0 skipped binary file", QByteArray("\0foo", 4)},
        {"nul at 8191", QByteArray(8191, 'x') + '\0' + "foo", false, 1, "f 0 skipped binary file",
         QByteArray(8191, 'x') + '\0' + "foo"},
        {"nul at 8192", QByteArray(8192, 'x') + '\0' + "foo", false, 2, "f 1 written",
         QByteArray(8192, 'x') + '\0' + "bar"},
        {"told to replace", QByteArray("\0foo", 4), true, 3, "f 1 written", QByteArray("\0bar", 4)},
        {"utf-16 with mark", QByteArray("\xff\xfe" "f\0o\0o\0", 8), false, 65536, "f 1 written",
         QByteArray("\xff\xfe" "b\0a\0r\0", 8)},
        {"utf-8 with mark", QByteArray("\xef\xbb\xbf" "foo\0", 7), false, 65536, "f 1 written",
         QByteArray("bar\0", 4)},
        {"no nul", tail8k, false, 65536, "f 1 written", QByteArray(8191, 'x') + "bar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IoSandbox box;
        const QString f = box.write("f", c.bytes);
        ListFace face;
        face.entries = {{f, f}};
        face.pairs = std::make_shared<const RunPairs>(std::vector<Pair>{{"foo", "bar"}});
        RunOptions options;
        options.replaceBinary = c.replaceBinary;
        options.chunkUnits = c.chunk;
        EXPECT_EQ(Rows(RunAll(face, options)), QStringList{c.row});
        EXPECT_EQ(IoSandbox::read(f), c.after);
    }
}

TEST(RunTreeRules, InPlaceARealFileIsWrittenOnceWhateverPathsReachItWhileOnePathListedTwiceRunsTwice)
{
    for (const auto& [dryRun, workers] : {std::pair{false, 1}, {true, 1}, {false, 3}}) {
        SCOPED_TRACE(QString("%1 on %2 workers").arg(dryRun ? "dry run" : "run").arg(workers).toStdString());
        IoSandbox box;
        const QString a = box.write("a.txt", "foo\n");
        const QString link = box.path("link.txt"), hard = box.path("hard.txt"), first = box.path("first.txt");
        ASSERT_EQ(::symlink("a.txt", QFile::encodeName(link).constData()), 0);
        ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(hard).constData()), 0);
        const QString b = box.write("b.txt", "foo\n");
        ASSERT_EQ(::symlink("b.txt", QFile::encodeName(first).constData()), 0);
        ListFace face;
        // A link reached before its target counts as writing the target.
        face.entries = {{a, a}, {link, link}, {hard, hard}, {a, a}, {first, first}, {b, b}};
        face.pairs = std::make_shared<const RunPairs>(std::vector<Pair>{{"foo", "foofoo"}});
        RunOptions options;
        options.dryRun = dryRun;
        EXPECT_EQ(Rows(RunAll(face, options, workers)),
                  (QStringList{"a.txt 1 written", "link.txt 0 skipped same file as entry 1",
                               "hard.txt 0 skipped same file as entry 1",
                               "a.txt 2 written", "first.txt 1 written",
                               "b.txt 0 skipped same file as entry 5"}));
        EXPECT_EQ(IoSandbox::read(a), dryRun ? "foo\n" : "foofoofoofoo\n");
        EXPECT_EQ(IoSandbox::read(hard), "foo\n");
        EXPECT_EQ(IoSandbox::read(b), dryRun ? "foo\n" : "foofoo\n");
    }
}

TEST(RunTreeRules, ADryRunFailsAFileWhoseWriteTheRunWouldRefuseWithTheRunsOwnWords)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "foo");
    box.mkdir("folder");
    const QString same = box.write("same.txt", "dog");
    ListFace face;
    face.entries = {{a, box.path("folder")}, {a, box.path("missing/out.txt")}, {same, box.path("missing/s.txt")},
                    {a, box.path("out.txt")}};
    face.pairs = std::make_shared<const RunPairs>(std::vector<Pair>{{"foo", "bar"}});
    RunOptions dry;
    dry.dryRun = true;
    const QStringList predicted = Rows(RunAll(face, dry));
    EXPECT_EQ(predicted, (QStringList{"a.txt 0 failed Is a directory", "a.txt 0 failed Path not found",
                                      "same.txt 0 failed Path not found", "a.txt 1 written"}));
    EXPECT_EQ(box.entries(), (QStringList{"a.txt", "folder", "same.txt"}));
    EXPECT_EQ(Rows(RunAll(face)), predicted);
}

TEST(RunTreeRules, ADryRunFailsAReadOnlyFileInPlace)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into read-only files";
    IoSandbox box;
    const QString a = box.write("a.txt", "foo"), b = box.write("b.txt", "dog");
    QFile::setPermissions(a, QFile::ReadOwner);
    QFile::setPermissions(b, QFile::ReadOwner);
    ListFace face;
    face.entries = {{a, a}, {b, b}};
    face.pairs = std::make_shared<const RunPairs>(std::vector<Pair>{{"foo", "bar"}});
    RunOptions dry;
    dry.dryRun = true;
    // A file nothing is replaced in is not written, so nothing can refuse it.
    const QStringList predicted = Rows(RunAll(face, dry));
    EXPECT_EQ(predicted, (QStringList{"a.txt 0 failed Permission denied", "b.txt 0 unchanged"}));
    EXPECT_EQ(Rows(RunAll(face)), predicted);
    EXPECT_EQ(IoSandbox::read(a), "foo");
}

TEST(RunTreeRules, ADryRunReadsWhatTheEntriesBeforeWouldHaveWrittenSoItForetellsTheRunRowForRow)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        std::vector<std::pair<QString, QString>> entries;   // relative source, output
        QStringList rows;
    } cases[] = {
        {"one path twice", "a\n", {{"f", "f"}, {"f", "f"}}, {"f 1 written", "f 2 written"}},
        {"utf-16 twice", QByteArray("\xff\xfe" "a\0\n\0", 6), {{"f", "f"}, {"f", "f"}, {"f", "f"}},
         {"f 1 written", "f 2 written", "f 4 written"}},
        {"an output read again", "a\n", {{"f", "out/f"}, {"out/f", "out/f"}, {"f", "out/g"}},
         {"f 1 written", "f 2 written", "f 1 written"}},
        {"a later output of the same name", "a\n", {{"f", "out/f"}, {"out/f", "out/h"}, {"f", "out/f"}, {"out/f", "out/k"}},
         {"f 1 written", "f 2 written", "f 1 written", "f 2 written"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList predicted;
        for (const bool dryRun : {true, false}) {
            IoSandbox box;
            box.write("f", c.bytes);
            box.mkdir("out");
            ListFace face;
            for (const auto& [source, output] : c.entries)
                face.entries.emplace_back(box.path(source), box.path(output));
            face.pairs = std::make_shared<const RunPairs>(std::vector<Pair>{{"a", "aa"}});
            RunOptions options;
            options.dryRun = dryRun;
            const QStringList rows = Rows(RunAll(face, options));
            if (dryRun)
                predicted = rows;
            else
                EXPECT_EQ(rows, predicted);
            EXPECT_EQ(rows, c.rows);
        }
    }
}
