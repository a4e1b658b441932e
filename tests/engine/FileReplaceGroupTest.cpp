#include "engine/FileReplace.h"
#include "engine/files/PathHelpers.h"
#include "engine/text/TextCodec.h"
#include "engine/write/AtomicWrite.h"
#include "engine/write/CommitGroup.h"
#include "tests/engine/IoSandbox.h"
#include "tests/engine/OutcomeWords.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <thread>

using namespace quorvane;
using quorvane::test::IoSandbox;
using quorvane::test::Why;

namespace {

FileJob GroupJob(CommitGroup& group, std::vector<Pair> pairs)
{
    FileJob job;
    job.pairs = std::move(pairs);
    job.group = &group;
    return job;
}

} // namespace

TEST(CommitGroup, ResultsWaitUntilTheFlushAndThenLandInOrder)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "cat");
    const QString b = box.write("b.txt", "cat cat");
    const QString c = box.write("c.txt", "dog");
    CommitGroup group;
    for (const QString& f : {a, b, c})
        EXPECT_TRUE(ProcessFile(f, f, GroupJob(group, {{"cat", "cow"}})).ok);
    // c had nothing to replace, so only a and b wait.
    EXPECT_EQ(group.pendingCount(), 2);
    EXPECT_TRUE(group.isPending(a));
    EXPECT_FALSE(group.isPending(c));
    EXPECT_EQ(IoSandbox::read(a), "cat");
    EXPECT_EQ(IoSandbox::read(b), "cat cat");

    EXPECT_TRUE(group.flush().empty());
    EXPECT_EQ(group.pendingCount(), 0);
    EXPECT_EQ(IoSandbox::read(a), "cow");
    EXPECT_EQ(IoSandbox::read(b), "cow cow");
    EXPECT_EQ(box.entries(), (QStringList{"a.txt", "b.txt", "c.txt"}));
}

TEST(CommitGroup, AFileListedTwiceIsReadTheSecondTimeAsTheFirstRunLeftIt)
{
    IoSandbox box;
    const QString f = box.write("f.txt", "a");
    const QString link = box.path("link.txt");
    ASSERT_TRUE(QFile::link("f.txt", link));
    const QString other = box.write("other.txt", "b");
    CommitGroup group;
    ProcessFile(f, f, GroupJob(group, {{"a", "b"}}));
    // The same file by another name: the first result lands before it is read.
    EXPECT_EQ(ProcessFile(link, link, GroupJob(group, {{"b", "c"}})).counts, std::vector<std::int64_t>{1});
    EXPECT_EQ(ProcessFile(f, box.path("out.txt"), GroupJob(group, {{"c", "1"}})).counts, std::vector<std::int64_t>{1});
    // Two results for one output land in the order they were made.
    ProcessFile(other, box.path("out.txt"), GroupJob(group, {{"b", "2"}}));
    EXPECT_EQ(IoSandbox::read(box.path("out.txt")), "1");
    group.flush();
    EXPECT_EQ(IoSandbox::read(box.path("out.txt")), "2");
}

TEST(CommitGroup, ReadingAWaitingResultsPathHasNoSideEffect)
{
    // Loading sets or sizing a file while a run yields, or a preview's changes
    // worked out on a thread of their own, must not land the run's results:
    // the run lands them itself before it reads a file it wrote.
    const struct {
        const char* name;
        std::function<QString(const QString&)> read;
        const char* seen;
    } readers[] = {
        {"size", [](const QString& p) { return QString::number(FileSize2(p)); }, "-1"},
        {"exists", [](const QString& p) { return QString(FileExists(p) ? "yes" : "no"); }, "no"},
        {"lines", [](const QString& p) { QStringList lines; ReadTextFile(p, lines); return lines.join('|'); }, ""},
        {"other thread", [](const QString& p) {
             bool seen = true;
             std::thread([&] { seen = FileExists(p); }).join();
             return QString(seen ? "yes" : "no");
         }, "no"},
    };
    for (const auto& r : readers) {
        IoSandbox box;
        const QString source = box.write("src/a.txt", "a");
        const QString link = box.path("link.txt");
        ASSERT_TRUE(QFile::link(box.mkdir("out") + "/a.txt", link));   // read by another name
        CommitGroup group;
        ProcessFile(source, box.path("out/a.txt"), GroupJob(group, {{"a", "ab"}}));
        ASSERT_EQ(group.pendingCount(), 1);
        EXPECT_EQ(r.read(link), r.seen) << r.name;
        EXPECT_EQ(group.pendingCount(), 1) << r.name;
        EXPECT_TRUE(group.isPending(link)) << r.name;
    }
}

TEST(CommitGroup, AWriteShortOfSpaceLandsTheWaitingResultsAndIsTriedOnceMore)
{
    const struct {
        bool waiting;
        int err;
        int failures;
        const char* error;
        const char* before;   // first and next as they stand before the flush
        const char* after;
    } cases[] = {
        {true, ENOSPC, 1, "", "ba", "bb"},
        {true, EDQUOT, 1, "", "ba", "bb"},
        {true, ENOSPC, 2, "No space left on device", "ba", "ba"},
        {false, ENOSPC, 1, "No space left on device", "aa", "aa"},
        {true, EIO, 1, "Input/output error", "aa", "ba"},
    };
    for (const auto& c : cases) {
        IoSandbox box;
        const QString first = box.write("first.txt", "a");
        const QString next = box.write("next.txt", "a");
        CommitGroup group;
        if (c.waiting)
            ProcessFile(first, first, GroupJob(group, {{"a", "b"}}));
        InjectWriteFailure(WriteStep::Write, c.err, c.failures);
        const FileOutcome r = ProcessFile(next, next, GroupJob(group, {{"a", "b"}}));
        InjectWriteFailure(WriteStep::Write, 0, 0);
        EXPECT_EQ(Why(r), c.error) << c.err << " " << c.failures;
        EXPECT_EQ(IoSandbox::read(first) + IoSandbox::read(next), c.before) << c.err << " " << c.failures;
        group.flush();
        EXPECT_EQ(IoSandbox::read(first) + IoSandbox::read(next), c.after) << c.err << " " << c.failures;
        EXPECT_EQ(box.entries(), (QStringList{"first.txt", "next.txt"}));
    }
}

TEST(CommitGroup, ACommitFailingAtTheFlushIsReportedForItsFileAndTheOthersLand)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "cat");
    const QString b = box.write("b.txt", "cat");
    const QString c = box.write("c.txt", "cat");
    CommitGroup group;
    QStringList late;
    const auto lateFor = [&late](const char* name) {
        return [&late, name](const FileError& e) { late << name + QString(": ") + DescribeFileError(e); };
    };
    ProcessFile(a, a, GroupJob(group, {{"cat", "cow"}}), lateFor("a"));
    ProcessFile(b, b, GroupJob(group, {{"cat", "cow"}}), lateFor("b"));
    ProcessFile(c, c, GroupJob(group, {{"cat", "cow"}}), lateFor("c"));
    // Before the flush a's target turns into a folder and c's into a FIFO;
    // neither may be replaced.
    ASSERT_TRUE(QFile::remove(a));
    box.mkdir("a.txt");
    ASSERT_TRUE(QFile::remove(c));
    ASSERT_EQ(::mkfifo(QFile::encodeName(c).constData(), 0644), 0);

    const std::vector<CommitFailure> failures = group.flush();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].path, a);
    EXPECT_EQ(failures[0].error, FileError(FileStage::Write, EISDIR, QFileInfo(a).canonicalFilePath()));
    EXPECT_EQ(late, (QStringList{"a: Is a directory", "c: Not a regular file"}));
    EXPECT_EQ(IoSandbox::read(b), "cow");
    EXPECT_EQ(box.entries(), (QStringList{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(QFileInfo(c).isFile(), false);
}

TEST(CommitGroup, DiscardLeavesEveryTargetAsItWasAndTheDestructorFlushes)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "cat");
    {
        CommitGroup group;
        ProcessFile(a, a, GroupJob(group, {{"cat", "cow"}}));
        group.discard();
        EXPECT_EQ(group.pendingCount(), 0);
    }
    EXPECT_EQ(IoSandbox::read(a), "cat");
    EXPECT_EQ(box.entries(), QStringList{"a.txt"});
    {
        CommitGroup group;
        ProcessFile(a, a, GroupJob(group, {{"cat", "cow"}}));
    }
    EXPECT_EQ(IoSandbox::read(a), "cow");
}

TEST(CommitGroup, AFullGroupLandsAsItFillsOrWhenToldToOnceItsCallerIsDone)
{
    for (const bool later : {false, true}) {
        IoSandbox box;
        CommitGroup group(2);
        group.setLandLater(later);
        const QString a = box.write("a.txt", "x"), b = box.write("b.txt", "x"), c = box.write("c.txt", "x");
        for (const QString& f : {a, b})
            ProcessFile(f, f, GroupJob(group, {{"x", "y"}}));
        EXPECT_EQ(IoSandbox::read(a) + IoSandbox::read(b), later ? "xx" : "yy") << later;
        group.landDue();
        EXPECT_EQ(IoSandbox::read(a) + IoSandbox::read(b), "yy") << later;
        ProcessFile(c, c, GroupJob(group, {{"x", "y"}}));
        group.landDue();   // not full: it waits
        EXPECT_EQ(IoSandbox::read(c), "x");
        EXPECT_EQ(group.pendingCount(), 1);
    }
}

TEST(CommitGroup, ThreadsAddResultsWhileAnotherLandsAGroupAndReadAFileOnlyOnceItsResultStands)
{
    IoSandbox box;
    CommitGroup group(3);   // small groups, so landings overlap the others' work
    constexpr int kThreads = 4, kFiles = 30, kRounds = 5;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&box, &group, t] {
            // Each thread replaces in its own files, and once a round in one
            // file that an earlier round may have left landing on another thread.
            const QString chain = box.write(QString("chain%1.txt").arg(t), "a");
            for (int k = 0; k < kFiles; ++k) {
                const QString f = box.write(QString("t%1-%2.txt").arg(t).arg(k), "a");
                ProcessFile(f, f, GroupJob(group, {{"a", "b"}}));
                if (k % (kFiles / kRounds) == 0)
                    ProcessFile(chain, chain, GroupJob(group, {{"a", "aa"}}));
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_TRUE(group.flush().empty());
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(IoSandbox::read(box.path(QString("chain%1.txt").arg(t))), QByteArray(1 << kRounds, 'a'));
        for (int k = 0; k < kFiles; ++k)
            EXPECT_EQ(IoSandbox::read(box.path(QString("t%1-%2.txt").arg(t).arg(k))), "b");
    }
    EXPECT_EQ(box.entries().size(), kThreads * (kFiles + 1));   // no temporary file left
}

TEST(PairTexts, SingleModeTextsPairByLineAndAnEmptyReplaceTextDeletes)
{
    IoSandbox box;
    const QString in = box.write("in.txt", "ab xy\r\n");
    const QString out = box.path("out.txt");
    const auto run = [&](const QString& find, const QString& replace) {
        FileJob job;
        job.pairs = PairLists(SplitLines(find), SplitLines(replace));
        return ProcessFile(in, out, job).counts;
    };
    EXPECT_EQ(run("a\r\nb", "b\r\nc"), (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(IoSandbox::read(out), "cc xy\r\n");
    EXPECT_EQ(run("x\r\ny", ""), (std::vector<std::int64_t>{1, 1}));
    EXPECT_EQ(IoSandbox::read(out), "ab \r\n");
    // An empty line in the find text changes nothing.
    EXPECT_EQ(run("\r\nb", "Q\r\nB"), (std::vector<std::int64_t>{0, 1}));
    EXPECT_EQ(IoSandbox::read(out), "aB xy\r\n");

    EXPECT_EQ(SplitLines(""), QStringList{});
    EXPECT_EQ(SplitLines("a"), QStringList{"a"});
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (QStringList{"a", "b", ""}));
    EXPECT_EQ(SplitLines("a\nb\r"), QStringList{"a\nb\r"});
}
