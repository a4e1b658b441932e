// quorvane-batch stopped while a big file is in hand: by SIGINT or SIGTERM it
// leaves that file whole, lands the results already complete, prints the
// summary and reports the rest as not reached; killed outright, it leaves
// temporary files that the next run writing there removes. A stopped --diff
// prints the changes of whole files only.
#include "tests/batch/BatchProcess.h"
#include "tests/support/DiffStamps.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

using quorvane::test::BatchExecutable;
using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;
using quorvane::test::WithoutStamps;

namespace {

// k0 -> k1 -> ... -> k40: every pair rewrites the whole text, so a file of a
// few megabytes stays in hand for a good while.
QStringList ChainPairs()
{
    QStringList arguments;
    for (int k = 0; k < 40; ++k)
        arguments << "--find" << QString("k%1").arg(k) << "--replace" << QString("k%1").arg(k + 1);
    return arguments;
}

QStringList TemporaryFiles(const QString& folder)
{
    return QDir(folder).entryList({".quorvane-*"}, QDir::Files | QDir::Hidden | QDir::System);
}

// Waits until the run holds within the file it was told to hold in (see
// QUORVANE_TEST_HOLD_FILE): its temporary file is made and it goes no further
// until a stop signal comes.
bool WaitForHold(const QString& mark, QProcess& process)
{
    if (!process.waitForStarted())
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(mark)) {
        if (process.state() != QProcess::Running || clock.hasExpired(60000))
            return false;
        QThread::msleep(2);
    }
    return true;
}

// Starts quorvane-batch in env's folder with arguments, set to hold within
// big/big.txt until a signal comes (see the command line's test hold). The
// hold is made in the face's yields, which come from within the file in hand
// only with one file at a time.
void StartHeld(QProcess& process, const TestEnv& env, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.root());
    environment.insert("QUORVANE_TEST_HOLD_FILE", "big/big.txt");
    environment.insert("QUORVANE_TEST_HOLD_MARK", env.path("held"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(env.root());
    process.start(BatchExecutable(), QStringList{"--jobs", "1"} + arguments);
}

} // namespace

TEST(BatchStop, ASignalAbandonsTheFileInHandAndLandsWhatIsComplete)
{
    const struct {
        int signal;
        int exitCode;   // -1: killed outright
        const char* message;
    } cases[] = {
        {SIGINT, 130, "quorvane-batch: Stopped by SIGINT: 2 files not reached.\n"},
        {SIGTERM, 143, "quorvane-batch: Stopped by SIGTERM: 2 files not reached.\n"},
        {SIGKILL, -1, ""},
    };
    for (const auto& c : cases) {
        TestEnv env;
        env.write("done/small.txt", "k0");
        const QByteArray big = QByteArray("k0 ").repeated(3 << 20);
        env.write("big/big.txt", big);
        env.write("later/after.txt", "k0");
        QProcess process;
        StartHeld(process, env,
                  ChainPairs() + QStringList{"--in-place", "--report", "report.csv", "done/small.txt", "big/big.txt",
                                             "later/after.txt"});
        ASSERT_TRUE(WaitForHold(env.path("held"), process)) << c.signal;
        EXPECT_EQ(TemporaryFiles(env.path("big")).size(), 1) << c.signal;
        ::kill(pid_t(process.processId()), c.signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_TRUE(TestEnv::read(env.path("big/big.txt")) == big) << c.signal;
        EXPECT_EQ(TestEnv::read(env.path("later/after.txt")), "k0");
        if (c.exitCode < 0) {
            // Left behind: the result in hand and the one waiting to land;
            // the next run writing into each folder removes them.
            EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
            EXPECT_EQ(TemporaryFiles(env.path("big")).size() + TemporaryFiles(env.path("done")).size(), 2);
            env.write("big/other.txt", "k0");
            const BatchResult next = RunBatchCommand({"--find", "k0", "--replace", "k1", "--in-place",
                                                      "done/small.txt", "big/other.txt"}, env.root());
            EXPECT_EQ(next.out, "2 files written, 0 unchanged, 0 failed, 2 replacements\n");
        } else {
            EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(process.exitCode(), c.exitCode);
            EXPECT_EQ(process.readAllStandardOutput(), "1 file written, 0 unchanged, 0 failed, 40 replacements\n");
            EXPECT_EQ(process.readAllStandardError(), c.message);
            EXPECT_EQ(TestEnv::read(env.path("done/small.txt")), "k40");
            EXPECT_EQ(TestEnv::read(env.path("report.csv")),
                      "source,output,replacements,outcome,reason\r\n"
                      "done/small.txt,done/small.txt,40,written,\r\n"
                      "big/big.txt,,0,not reached,\r\n"
                      "later/after.txt,,0,not reached,\r\n");
        }
        for (const char* folder : {"done", "big", "later", ""})
            EXPECT_EQ(TemporaryFiles(env.path(folder)), QStringList{}) << c.signal << " " << folder;
    }
}

TEST(BatchStop, AStoppedDiffPrintsOnlyTheFilesItWentThroughWhole)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        TestEnv env;
        env.write("done/small.txt", "k0\n");
        // Changed lines apart from each other: the file in hand has whole
        // hunks behind it when the signal comes.
        const QByteArray big = QByteArray("k0\nsame\nsame\nsame\nsame\nsame\nsame\nsame\n").repeated(40000);
        env.write("big/big.txt", big);
        env.write("later/after.txt", "k0\n");
        QProcess process;
        process.setStandardOutputFile(env.path("changes.diff"));
        StartHeld(process, env, {"--diff", "--find", "k0", "--replace", "k1", "done/small.txt", "big/big.txt",
                                 "later/after.txt"});
        ASSERT_TRUE(WaitForHold(env.path("held"), process)) << signal;
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 128 + signal);
        EXPECT_EQ(process.readAllStandardError(),
                  QByteArray("quorvane-batch: Stopped by ") + (signal == SIGINT ? "SIGINT" : "SIGTERM")
                      + ": 2 files not reached.\n1 file checked, 0 failed, 1 replacement\n");
        const QByteArray diff = TestEnv::read(env.path("changes.diff"));
        EXPECT_EQ(WithoutStamps(diff), "--- done/small.txt\n+++ done/small.txt\n@@ -1 +1 @@\n-k0\n+k1\n");

        if (!QFile::exists("/usr/bin/patch"))
            continue;
        EXPECT_EQ(QProcess::execute("/bin/sh", {"-c", "cd '" + env.root() + "' && patch -s -p0 < changes.diff"}), 0);
        EXPECT_EQ(TestEnv::read(env.path("done/small.txt")), "k1\n");
        EXPECT_TRUE(TestEnv::read(env.path("big/big.txt")) == big);
    }
}
