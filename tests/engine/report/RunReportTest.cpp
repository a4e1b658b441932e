#include "engine/report/RunReport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(RunReport, CountsOutcomesAndReplacementsAndMovesLateFailuresToFailed)
{
    RunReport report;
    report.add({"a.txt", "out/a.txt", 3, RunOutcome::Written, {}});
    const qsizetype late = report.add({"b.txt", "out/b.txt", 2, RunOutcome::Written, {}});
    report.add({"c.txt", "c.txt", 0, RunOutcome::Unchanged, {}});
    report.add({"d.txt", "", 0, RunOutcome::Skipped, {}});
    report.add({"e.txt", "out/e.txt", 0, RunOutcome::Failed, "File not found"});
    report.markFailed(late, "No space left on device");
    report.stopBefore({"f.txt", "g.txt"});

    EXPECT_EQ(report.totalsText(),
              "7 files: 1 written, 1 unchanged, 1 skipped, 2 failed, 2 not reached; 3 replacements");
    EXPECT_TRUE(report.stopped());
    EXPECT_EQ(report.rows().at(1).reason, "No space left on device");
    EXPECT_EQ(report.rows().at(6).source, "g.txt");
}

TEST(RunReport, AnUndosTotalsNameWhatWasRestoredAndRemovedAndOnlyTheOtherOutcomesItHas)
{
    RunReport report;
    report.add({"a.txt", "a.txt", 0, RunOutcome::Restored, {}});
    report.add({"b.txt", "b.txt", 0, RunOutcome::Restored, {}});
    report.add({"out/c.txt", "out/c.txt", 0, RunOutcome::Removed, {}});
    report.add({"d.txt", "d.txt", 0, RunOutcome::Failed, "changed since the run"});
    report.stopBefore({"e.txt"});

    EXPECT_EQ(report.totalsText(), "5 files: 2 restored, 1 removed, 1 failed, 1 not reached");
    EXPECT_EQ(RunReportCsv(report), QByteArray("source,output,replacements,outcome,reason\r\n"
                                               "a.txt,a.txt,0,restored,\r\n"
                                               "b.txt,b.txt,0,restored,\r\n"
                                               "out/c.txt,out/c.txt,0,removed,\r\n"
                                               "d.txt,d.txt,0,failed,changed since the run\r\n"
                                               "e.txt,,0,not reached,\r\n"));
}

TEST(RunReport, CsvQuotesOnlyFieldsThatNeedItAndEndsEveryRecordWithCrLf)
{
    RunReport report;
    report.add({"plain.txt", "out/plain.txt", 12, RunOutcome::Written, {}});
    report.add({"a,b \"q\".txt", "line\nbreak.txt", 0, RunOutcome::Failed, "Permission denied"});
    report.add({QString::fromUtf8("caf\u00e9.txt"), "", 0, RunOutcome::NotReached, {}});

    EXPECT_EQ(RunReportCsv(report),
              QByteArray("source,output,replacements,outcome,reason\r\n"
                         "plain.txt,out/plain.txt,12,written,\r\n"
                         "\"a,b \"\"q\"\".txt\",\"line\nbreak.txt\",0,failed,Permission denied\r\n"
                         "caf\xc3\xa9.txt,,0,not reached,\r\n"));
}

} // namespace
} // namespace quorvane
