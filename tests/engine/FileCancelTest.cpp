// A run stopped while a file is in hand: that file is left as it was, results
// already complete still land, and no temporary file stays behind.
#include "engine/FileReplace.h"
#include "engine/write/CommitGroup.h"
#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::IoSandbox;

namespace {

// "cat" becomes w1x, which pair 1 turns into v1y: a pair that forms a later
// find keeps the pipeline in its stage-by-stage mode.
std::vector<Pair> ManyPairs(int n)
{
    std::vector<Pair> pairs{{"cat", "w1x"}};
    for (int k = 1; k < n; ++k)
        pairs.push_back({QString("w%1x").arg(k), QString("v%1y").arg(k)});
    return pairs;
}

QByteArray BigText(int pairs)
{
    QByteArray line = "cat ";
    for (int k = 1; k < pairs; k += 7)
        line += "w" + QByteArray::number(k) + "x ";
    line += "\r\n";
    return line.repeated(3 * (1 << 20) / line.size());
}

// Each pair in turn over the whole text.
QByteArray Reference(QByteArray text, const std::vector<Pair>& pairs)
{
    for (const Pair& p : pairs)
        text.replace(p.find.toUtf8(), p.replace.toUtf8());
    return text;
}

} // namespace

TEST(FileCancel, AFileAbandonedMidwayStaysWholeAndTheResultsBeforeItLand)
{
    const struct {
        int pairs;
        int stopAt;      // the query answers true the stopAt-th time it is asked
        int yieldsSeen;  // yields made by then; -1: not checked
    } cases[] = {
        {1, 1, 0},          // before the file is opened
        {1, 2, 1},          // after the first yield, before any text
        {3, 60, -1},        // after some stretches
        {40, 300, -1},
        {2000, 150, 1},     // between stages of the first stretch
        {40, 1 << 30, -1},  // never: the file is finished
    };
    for (const auto& c : cases) {
        IoSandbox box;
        const QString first = box.write("first.txt", "cat");
        const QByteArray old = BigText(c.pairs);
        const QString big = box.write("big.txt", old);
        const QString after = box.write("z-after.txt", "cat");
        CommitGroup group;
        FileJob job;
        job.pairs = ManyPairs(c.pairs);
        job.group = &group;
        ASSERT_TRUE(ProcessFile(first, first, job).written);

        int asked = 0, yields = 0, yieldsAtStop = -1;
        job.yield = [&] { ++yields; };
        job.cancelled = [&] {
            if (++asked < c.stopAt)
                return false;
            if (yieldsAtStop < 0)
                yieldsAtStop = yields;
            return true;
        };
        const FileOutcome r = ProcessFile(big, big, job);
        const bool stopped = c.stopAt < (1 << 30);
        EXPECT_EQ(r.cancelled, stopped) << c.pairs << " " << c.stopAt;
        EXPECT_EQ(r.ok, !stopped);
        EXPECT_EQ(r.error, "");
        if (c.yieldsSeen >= 0) {
            EXPECT_EQ(yieldsAtStop, c.yieldsSeen) << c.pairs << " " << c.stopAt;
        }
        if (stopped) {
            EXPECT_EQ(asked, c.stopAt) << "asked again after it answered true";
        }

        EXPECT_TRUE(group.flush().empty());
        EXPECT_EQ(IoSandbox::read(first), Reference("cat", job.pairs));
        EXPECT_TRUE(IoSandbox::read(big) == (stopped ? old : Reference(old, job.pairs)))
            << c.pairs << " " << c.stopAt;
        EXPECT_EQ(IoSandbox::read(after), "cat");
        EXPECT_EQ(box.entries(), (QStringList{"big.txt", "first.txt", "z-after.txt"}));
    }
}

TEST(FileCancel, TheProceduresTellNothingOfAnAbandonedFile)
{
    IoSandbox box;
    const QString in = box.write("in.txt", "cat");
    QStringList reports;
    ReplaceContext ctx;
    ctx.cancelled = [] { return true; };
    ctx.report = [&](const QString& procedure, int step, const QString& description) {
        reports << QString("%1 %2 %3").arg(procedure).arg(step).arg(description);
    };
    const std::vector<std::int64_t> none{0};
    EXPECT_EQ(ReplaceTextInFile(in, "cat", "dog", box.path("o1"), ctx), none);
    EXPECT_EQ(ReplaceTextInFileCombo(in, {"cat"}, {"dog"}, box.path("o2"), ctx), none);
    EXPECT_EQ(ReplaceTextInFileCombo(box.path("missing"), {"cat"}, {"dog"}, box.path("o3"), ctx), none);
    EXPECT_EQ(reports, QStringList{});
    EXPECT_EQ(box.entries(), QStringList{"in.txt"});
}
