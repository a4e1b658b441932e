// quorvane-batch --report: one CSV row per entry of the list, the same rows
// for a dry run as for the real run, and a report that cannot be written
// fails the command.
#include "tests/batch/BatchProcess.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

using quorvane::test::BatchResult;
using quorvane::test::RunBatchCommand;
using quorvane::test::TestEnv;

TEST(BatchReport, RowsSayWhatTheRunDidToEachEntryAndADryRunSaysTheSame)
{
    TestEnv env;
    env.write("put-back.txt", "cat");        // cat -> dog -> cat: replaced, yet identical
    env.write("dog.txt", "dog");
    env.write("cow.txt", "cow");
    env.write("marked.txt", "\xEF\xBB\xBF" "cow");   // nothing replaced: left with its mark
    env.write("list.txt", "cow.txt\r\n");
    const QStringList arguments = {"--find", "cat", "--replace", "dog", "--find", "dog", "--replace", "cat",
                                   "--in-place", "--report", "report.csv", "put-back.txt", "dog.txt",
                                   "gone.txt", "--list", "nolist.txt", "--list", "list.txt", "marked.txt"};
    const QByteArray rows = "source,output,replacements,outcome,reason\r\n"
                            "put-back.txt,put-back.txt,2,unchanged,\r\n"
                            "dog.txt,dog.txt,1,written,\r\n"
                            "gone.txt,gone.txt,0,failed,No such file or directory\r\n"
                            "nolist.txt,,0,failed,No such file or directory\r\n"
                            "cow.txt,cow.txt,0,unchanged,\r\n"
                            "marked.txt,marked.txt,0,unchanged,\r\n";
    const struct {
        bool dryRun;
        QByteArray out;
    } cases[] = {
        {true, "1\tdog.txt\n5 files checked, 2 failed, 3 replacements\n"},
        {false, "1 file written, 3 unchanged, 2 failed, 3 replacements\n"},
    };
    for (const auto& c : cases) {
        const BatchResult r = RunBatchCommand(arguments + (c.dryRun ? QStringList{"--dry-run"} : QStringList{}),
                                              env.root());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "quorvane-batch: nolist.txt: No such file or directory\n"
                         "quorvane-batch: gone.txt: No such file or directory\n");
        EXPECT_EQ(TestEnv::read(env.path("report.csv")), rows) << c.dryRun;
        EXPECT_EQ(TestEnv::read(env.path("dog.txt")), c.dryRun ? "dog" : "cat");
        EXPECT_EQ(TestEnv::read(env.path("marked.txt")), "\xEF\xBB\xBF" "cow");
    }

    const BatchResult r = RunBatchCommand({"--find", "a", "--replace", "b", "--in-place", "--report",
                                           "nowhere/report.csv", "cow.txt"}, env.root());
    // Refused before the run, so no run's work is left without its report.
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "quorvane-batch: --report nowhere/report.csv: No such file or directory\n");
    EXPECT_EQ(r.out, "");
}
