// quorvane-batch --diff handed to the real patch: names that need quoting in
// the headers, and names that climb out of the folder patch runs in.
#include "tests/batch/BatchProcess.h"
#include "tests/support/DiffStamps.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;
using quorvane::test::WithoutStamps;

namespace {

// patch run in folder with arguments and the diff on its standard input;
// its exit code, or -1 when it did not finish.
int Patch(const QString& folder, const QStringList& arguments, const QByteArray& diff)
{
    QProcess patch;
    patch.setWorkingDirectory(folder);
    patch.setProcessChannelMode(QProcess::MergedChannels);
    patch.start(QStringLiteral("/usr/bin/patch"), QStringList{"--batch", "--silent"} + arguments);
    patch.write(diff);
    patch.closeWriteChannel();
    if (!patch.waitForFinished(60000) || patch.exitStatus() != QProcess::NormalExit)
        return -1;
    return patch.exitCode();
}

} // namespace

TEST(BatchDiff, NamesWithSpacesTabsNewlinesQuotesAndBackslashesPatchBackToTheResult)
{
    if (!QFile::exists("/usr/bin/patch"))
        GTEST_SKIP() << "/usr/bin/patch is not installed";
    TestEnv env;
    const struct {
        QString name;
        QByteArray header;   // as the --- and +++ lines name it
    } cases[] = {
        {"notes 2024.txt", "\"notes 2024.txt\""},
        {"tab\there.txt", "\"tab\\there.txt\""},
        {"new\nline.txt", "\"new\\nline.txt\""},
        {"say \"hi\".txt", "\"say \\\"hi\\\".txt\""},
        {"\"lead.txt", "\"\\\"lead.txt\""},
        {"back\\slash.txt", "\"back\\\\slash.txt\""},
        {QString::fromUtf8("sub dir/caf\u00e9.txt"), "\"sub dir/caf\\303\\251.txt\""},
        {"plain.txt", "plain.txt"},
    };
    // What a name cut at its first space would patch instead.
    env.write("notes", "a cat\n");
    QStringList arguments{"--diff", "--find", "cat", "--replace", "dog"};
    QByteArray expected;
    for (const auto& c : cases) {
        env.write(c.name, "one\na cat\n");
        arguments << c.name;
        expected += "--- " + c.header + "\n+++ " + c.header + "\n@@ -1,2 +1,2 @@\n one\n-a cat\n+a dog\n";
    }
    const BatchResult r = RunBatchCommand(arguments, env.root());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(WithoutStamps(r.out), expected);
    EXPECT_EQ(r.err, "8 files checked, 0 failed, 8 replacements\n");

    EXPECT_EQ(Patch(env.root(), {"-p0"}, r.out), 0);
    for (const auto& c : cases)
        EXPECT_EQ(TestEnv::read(env.path(c.name)), "one\na dog\n") << c.name.toStdString();
    EXPECT_EQ(TestEnv::read(env.path("notes")), "a cat\n");
}

TEST(BatchDiff, ANameClimbingWithDotDotAppliesWithPatchDFromTheFolderAbove)
{
    if (!QFile::exists("/usr/bin/patch"))
        GTEST_SKIP() << "/usr/bin/patch is not installed";
    TestEnv env;
    const QString file = env.write("data/notes.txt", "one\r\na cat\r\n");
    const QString work = env.mkdir("work");
    const BatchResult r = RunBatchCommand({"--diff", "--find", "cat", "--replace", "dog", "../data/notes.txt"}, work);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(WithoutStamps(r.out), "--- ../data/notes.txt\n+++ ../data/notes.txt\n@@ -1,2 +1,2 @@\n"
                                    " one\r\n-a cat\r\n+a dog\r\n");
    // patch takes no name with "..": from the folder the run was made in it
    // patches nothing; from the folder above, without the "..", the source.
    EXPECT_EQ(Patch(work, {"-p0"}, r.out), 1);
    EXPECT_EQ(TestEnv::read(file), "one\r\na cat\r\n");
    EXPECT_EQ(Patch(work, {"-d", "..", "-p1"}, r.out), 0);
    EXPECT_EQ(TestEnv::read(file), "one\r\na dog\r\n");
}
