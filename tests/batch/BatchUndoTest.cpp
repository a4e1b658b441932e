// quorvane-batch --diff, and the backups behind --undo and --list-runs.
#include "tests/batch/BatchProcess.h"
#include "tests/support/DiffStamps.h"
#include "tests/support/TestEnv.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

namespace {

// The lines --list-runs prints, newest first, each split at its tabs.
QList<QStringList> ListedRuns(const QString& folder)
{
    const BatchResult r = RunBatchCommand({"--list-runs"}, folder);
    QList<QStringList> runs;
    for (const QByteArray& line : r.out.split('\n'))
        if (!line.isEmpty())
            runs << QString::fromUtf8(line).split('\t');
    return runs;
}

// The run ids --list-runs prints, newest first.
QStringList RunIds(const QString& folder)
{
    QStringList ids;
    for (const QStringList& run : ListedRuns(folder))
        ids << run.value(0);
    return ids;
}

// A run as an earlier version recorded it (no mode, no folder in its totals),
// begun at started: it created file, which holds content.
void WriteOldRun(const TestEnv& env, const QString& id, const QDateTime& started, const QString& file,
                 const QByteArray& content)
{
    const QString folder = env.dataHome() + "/quorvane/backups/" + id;
    QDir().mkpath(folder);
    QFile manifest(folder + "/manifest.jsonl");
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly));
    const QByteArray hash = QCryptographicHash::hash(content, QCryptographicHash::Blake2b_256).toHex();
    manifest.write("{\"run\":\"" + id.toUtf8() + "\",\"started\":\""
                   + started.toString(Qt::ISODateWithMs).toUtf8()
                   + "\",\"description\":\"quorvane-batch, in place\",\"hash\":\"Blake2b_256\"}\n"
                     "{\"n\":1,\"path\":\"" + file.toUtf8() + "\",\"size\":" + QByteArray::number(content.size())
                   + ",\"hash\":\"" + hash + "\",\"created\":true}\n"
                     "{\"files\":1,\"keptBytes\":0}\n");
}

QByteArray LocalTime(const QDateTime& utc)
{
    return utc.toLocalTime().toString("yyyy-MM-dd hh:mm:ss").toUtf8();
}

} // namespace

TEST(BatchDiff, PrintsUnifiedDiffsThatPatchAppliesToTheSources)
{
    TestEnv env;
    const QByteArray a = "one\ntwo\nthree\n", b = "x\r\ny two\r\nz";
    env.write("a.txt", a);
    env.write("sub/b.txt", b);
    env.write("same.txt", "nothing here\n");
    BatchResult r = RunBatchCommand({"--diff", "--find", "two", "--replace", "2", "a.txt", "sub/b.txt", "same.txt"},
                                    env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(quorvane::test::WithoutStamps(r.out),
              "--- a.txt\n+++ a.txt\n@@ -1,3 +1,3 @@\n one\n-two\n+2\n three\n"
              "--- sub/b.txt\n+++ sub/b.txt\n@@ -1,3 +1,3 @@\n x\r\n-y two\r\n+y 2\r\n z\n"
              "\\ No newline at end of file\n");
    EXPECT_EQ(r.err, "3 files checked, 0 failed, 2 replacements\n");
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), a);

    if (!QFile::exists("/usr/bin/patch"))
        GTEST_SKIP() << "patch is not installed";
    const QString diff = env.write("changes.diff", r.out);
    EXPECT_EQ(QProcess::execute("/bin/sh", {"-c", "cd '" + env.root() + "' && patch -s -p0 < changes.diff"}), 0);
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "one\n2\nthree\n");
    EXPECT_EQ(TestEnv::read(env.path("sub/b.txt")), "x\r\ny 2\r\nz");
}

TEST(BatchUndo, PutsBackAnInPlaceRunAndListsWhatItCouldNot)
{
    TestEnv env;
    env.write("a.txt", "a1");
    env.write("b.txt", "a2");
    env.write("c.txt", "none");
    BatchResult r = RunBatchCommand({"--find", "a", "--replace", "z", "--in-place", "a.txt", "b.txt", "c.txt"},
                                    env.root());
    ASSERT_EQ(r.exitCode, 0);
    const QList<QStringList> listed = ListedRuns(env.root());
    ASSERT_EQ(listed.size(), 1);
    ASSERT_EQ(listed[0].size(), 5);
    EXPECT_EQ(listed[0].mid(2), QStringList({"in place", "2 files", env.root()}));
    const QByteArray a = env.path("a.txt").toUtf8(), b = env.path("b.txt").toUtf8();

    env.write("b.txt", "edited");
    const QString report = env.path("undo.csv");
    r = RunBatchCommand({"--undo", "--report", report}, env.root());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Undoing the run of " + listed[0][1].toUtf8() + " (in place, 2 files in " + env.root().toUtf8()
                         + ")\nrestored " + a + "\n1 file restored, 0 removed, 1 not restored\n");
    EXPECT_EQ(r.err, "quorvane-batch: " + b + ": not restored: changed since the run\n");
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "a1");
    EXPECT_EQ(TestEnv::read(env.path("b.txt")), "edited");
    // Newest first, as the files are put back.
    EXPECT_EQ(TestEnv::read(report), "source,output,replacements,outcome,reason\r\n" + b + "," + b
                                         + ",0,failed,changed since the run\r\n" + a + "," + a + ",0,restored,\r\n");

    // The file put back in order, the run's last entry goes too.
    env.write("b.txt", "z2");
    const QString id = RunIds(env.root()).value(0);
    r = RunBatchCommand({"--undo=" + id}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(env.path("b.txt")), "a2");
    r = RunBatchCommand({"--undo"}, env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "quorvane-batch: There is no run to undo.\n");
}

TEST(BatchUndo, RemovesWhatARunCreatedInItsOutputFolderAndRestoresWhatItReplaced)
{
    TestEnv env;
    const QString out = env.mkdir("out");
    env.write("a.txt", "a");
    env.write("b.txt", "b");
    env.write("out/b.txt", "old b");
    BatchResult r = RunBatchCommand({"--find", "a", "--replace", "z", "--output-folder", out, "a.txt", "b.txt"},
                                    env.root());
    ASSERT_EQ(r.exitCode, 0);
    const QList<QStringList> listed = ListedRuns(env.root());
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed[0].mid(2), QStringList({"output folder", "2 files", out}));
    r = RunBatchCommand({"--undo"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Undoing the run of " + listed[0][1].toUtf8() + " (output folder, 2 files in " + out.toUtf8()
                         + ")\nrestored " + out.toUtf8() + "/b.txt\nremoved " + out.toUtf8()
                         + "/a.txt\n1 file restored, 1 removed, 0 not restored\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList({"b.txt"}));
    EXPECT_EQ(TestEnv::read(out + "/b.txt"), "old b");
}

TEST(BatchUndo, BackupOptionsTurnBackupsOffAndLimitTheRunsKept)
{
    TestEnv env;
    env.write("a.txt", "a");
    BatchResult r = RunBatchCommand({"--no-backup", "--find", "a", "--replace", "b", "--in-place", "a.txt"}, env.root());
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(RunIds(env.root()).isEmpty());
    for (const char* pair : {"bc", "cd", "de"}) {
        r = RunBatchCommand({"--backup-runs", "2", "--find", QString(pair[0]), "--replace", QString(pair[1]),
                             "--in-place", "a.txt"}, env.root());
        ASSERT_EQ(r.exitCode, 0);
    }
    const QStringList ids = RunIds(env.root());
    ASSERT_EQ(ids.size(), 2);
    // Newest first: undoing both in turn goes back to "c".
    EXPECT_EQ(RunBatchCommand({"--undo", ids[0]}, env.root()).exitCode, 0);
    EXPECT_EQ(RunBatchCommand({"--undo"}, env.root()).exitCode, 0);
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "c");

    struct Case { QStringList arguments; QByteArray firstLine; };
    const Case cases[] = {
        {{"--undo", "--in-place"}, "quorvane-batch: --undo takes no pairs, files or output options.\n"},
        {{"--list-runs", "a.txt"}, "quorvane-batch: --list-runs takes no pairs, files or output options.\n"},
        {{"--undo", "--list-runs"}, "quorvane-batch: --undo and --list-runs go alone.\n"},
        {{"--backup-runs", "0", "--find", "a", "--replace", "b", "--in-place", "a.txt"},
         "quorvane-batch: --backup-runs needs a whole number of at least 1.\n"},
        {{"--backup-size", "lots", "--find", "a", "--replace", "b", "--in-place", "a.txt"},
         "quorvane-batch: --backup-size needs a size such as 500M or 2G.\n"},
        {{"--undo", "no-such-run"}, "quorvane-batch: no-such-run: There is no run no-such-run in "
                                    + QDir(env.dataHome()).filePath("quorvane/backups").toUtf8() + ".\n"},
    };
    for (const Case& c : cases) {
        r = RunBatchCommand(c.arguments, env.root());
        EXPECT_EQ(r.err.left(r.err.indexOf('\n') + 1), c.firstLine) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 2) << c.arguments.join(' ').toStdString();
    }
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "c");
}

TEST(BatchUndo, RefusesToRunWhenBackupsCannotBeKeptAndTouchesNothing)
{
    TestEnv env;
    env.write("a.txt", "a");
    const QString blocked = env.write("data-is-a-file", "");
    qputenv("XDG_DATA_HOME", blocked.toLocal8Bit());   // TestEnv puts its own back
    BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--in-place", "a.txt"}, env.root());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "quorvane-batch: " + blocked.toUtf8()
                         + "/quorvane/backups: Not a directory (backups cannot be kept; --no-backup runs without them)\n");
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "a");
    r = RunBatchCommand({"--no-backup", "--find", "a", "--replace", "b", "--in-place", "a.txt"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(TestEnv::read(env.path("a.txt")), "b");
}

TEST(BatchUndo, ARunRecordedByAnEarlierVersionIsListedAndUndoneWithItsDescription)
{
    TestEnv env;
    const QString made = env.write("sub/made.txt", "z");
    const QDateTime started(QDate(2024, 1, 2), QTime(3, 4, 5, 6), Qt::UTC);
    WriteOldRun(env, "20240102-030405-006-7", started, made, "z");
    BatchResult r = RunBatchCommand({"--list-runs"}, env.root());
    EXPECT_EQ(r.out, "20240102-030405-006-7\t" + LocalTime(started) + "\tquorvane-batch, in place\t1 file\t"
                         + env.path("sub").toUtf8() + "\n");
    r = RunBatchCommand({"--undo"}, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Undoing the run of " + LocalTime(started) + " (quorvane-batch, in place, 1 file in "
                         + env.path("sub").toUtf8() + ")\nremoved " + made.toUtf8()
                         + "\n0 files restored, 1 removed, 0 not restored\n");
    EXPECT_FALSE(QFile::exists(made));
}

TEST(BatchUndo, TheStoreKeepsFiftyRunsByDefault)
{
    TestEnv env;
    // Fifty runs already kept, one a minute, the oldest first.
    const QDateTime first(QDate(2024, 1, 2), QTime(3, 0), Qt::UTC);
    for (int k = 0; k < 50; ++k) {
        const QString name = QString("old%1.txt").arg(k);
        WriteOldRun(env, first.addSecs(60 * k).toString("yyyyMMdd-HHmmss-zzz") + "-1", first.addSecs(60 * k),
                    env.write(name, "z"), "z");
    }
    const QString oldest = RunIds(env.root()).value(49);
    ASSERT_EQ(oldest.toStdString(), "20240102-030000-000-1");
    env.write("a.txt", "a");
    BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--in-place", "a.txt"}, env.root());
    ASSERT_EQ(r.exitCode, 0);
    const QStringList ids = RunIds(env.root());
    EXPECT_EQ(ids.size(), 50);
    EXPECT_FALSE(ids.contains(oldest));
    EXPECT_EQ(ids.value(49).toStdString(), "20240102-030100-000-1");   // the next oldest stays
}
