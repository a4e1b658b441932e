// A run stopped while a file is in hand: that file is left as it was, results
// already complete still land, and no temporary file stays behind.
#include "engine/FileReplace.h"
#include "engine/replace/ReplacePipeline.h"
#include "engine/write/CommitGroup.h"
#include "tests/engine/IoSandbox.h"
#include "tests/engine/OutcomeWords.h"

#include <gtest/gtest.h>

#include <string>

using namespace quorvane;
using quorvane::test::IoSandbox;
using quorvane::test::Why;

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
    constexpr int kNever = 1 << 30;
    const struct {
        int pairs;
        int stopAfterYields;   // the query answers true once this many yields were made
    } cases[] = {
        {1, 0},         // before the file is opened
        {1, 1},         // after the first yield, before any text
        {3, 12},        // after some stretches
        {40, 20},
        {2000, 5},
        {40, kNever},   // the file is finished
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

        int yields = 0;
        job.yield = [&] { ++yields; };
        job.cancelled = [&] { return yields >= c.stopAfterYields; };
        const FileOutcome r = ProcessFile(big, big, job);
        const bool stopped = c.stopAfterYields != kNever;
        EXPECT_EQ(r.cancelled, stopped) << c.pairs << " " << c.stopAfterYields;
        EXPECT_EQ(r.ok, !stopped);
        EXPECT_EQ(Why(r), "");
        if (stopped) {
            EXPECT_EQ(yields, c.stopAfterYields) << "went on after the query said stop";
        }

        EXPECT_TRUE(group.flush().empty());
        EXPECT_EQ(IoSandbox::read(first), Reference("cat", job.pairs));
        EXPECT_TRUE(IoSandbox::read(big) == (stopped ? old : Reference(old, job.pairs)))
            << c.pairs << " " << c.stopAfterYields;
        EXPECT_EQ(IoSandbox::read(after), "cat");
        EXPECT_EQ(box.entries(), (QStringList{"big.txt", "first.txt", "z-after.txt"}));
    }
}

TEST(FileCancel, APipelineWorkingPairByPairStopsBetweenTwoPairs)
{
    // With thousands of pairs one stretch can take seconds; the query is asked
    // before each pair, and once it answers true nothing more comes out.
    std::vector<UnitPair<char>> pairs;
    for (int k = 0; k < 2000; ++k)
        pairs.push_back({"w" + std::to_string(k) + "x", "v" + std::to_string(k) + "y"});
    PipelineTuning tuning;
    tuning.onePass = false;
    ReplacePipeline<char> pipeline(std::move(pairs), tuning);
    int asked = 0;
    pipeline.setCancel([&asked] { return ++asked >= 50; });
    std::string out;
    const auto sink = [&out](std::string_view piece) { out += piece; };
    pipeline.feed(std::string(4 << 20, 'w'), sink);
    pipeline.finish(sink);
    EXPECT_TRUE(pipeline.cancelled());
    EXPECT_EQ(asked, 50);
    EXPECT_EQ(out, "");
}

TEST(FileCancel, AFileWhoseTextGrowsWithoutEndIsStoppedBetweenThePiecesOfOneChunk)
{
    // Forty doublings of 64 bytes, all within the file's one chunk: the pump
    // yields as the grown result comes out, and the stop after the fifth
    // yield ends the file there.
    IoSandbox box;
    const QString file = box.write("grow.txt", QByteArray(64, 'a'));
    FileJob job;
    job.pairs.assign(40, Pair{"a", "aa"});
    int yields = 0;
    job.yield = [&] { ++yields; };
    job.cancelled = [&] { return yields >= 5; };
    const FileOutcome r = ProcessFile(file, file, job);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(yields, 5);
    EXPECT_EQ(IoSandbox::read(file), QByteArray(64, 'a'));
    EXPECT_EQ(box.entries(), QStringList{"grow.txt"});
}
