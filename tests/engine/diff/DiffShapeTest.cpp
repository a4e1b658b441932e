// What the diff says: the text `diff -u` prints, hunks with numbers and marks,
// marked files decoded, limits and failures.
#include "tests/engine/diff/DiffTestSupport.h"

using namespace quorvane;
using namespace quorvane::test;

TEST(UnifiedDiff, PrintsWhatGnuDiffPrintsForTheSameTwoFiles)
{
    IoSandbox box;
    const std::vector<Pair> catDog{{"cat", "dog"}};
    const struct {
        QByteArray text;
        std::vector<Pair> pairs;
        QByteArray diff;
    } cases[] = {
        // Changes six lines apart share a hunk; seven apart they do not.
        {"one\ntwo cat\nthree\nfour\nfive\nsix\nseven\neight\nnine cat\nten\n", catDog,
         "--- f\n+++ f\n@@ -1,10 +1,10 @@\n one\n-two cat\n+two dog\n three\n four\n five\n six\n seven\n"
         " eight\n-nine cat\n+nine dog\n ten\n"},
        {"l1\nl2 cat\nl3\nl4\nl5\nl6\nl7\nl8\nl9\nl10 cat\nl11\nl12\nl13\nl14\n", catDog,
         "--- f\n+++ f\n@@ -1,5 +1,5 @@\n l1\n-l2 cat\n+l2 dog\n l3\n l4\n l5\n"
         "@@ -7,7 +7,7 @@\n l7\n l8\n l9\n-l10 cat\n+l10 dog\n l11\n l12\n l13\n"},
        {"x\ncat", catDog,
         "--- f\n+++ f\n@@ -1,2 +1,2 @@\n x\n-cat\n\\ No newline at end of file\n+dog\n\\ No newline at end of file\n"},
        {"a\nb\nc\n", {{"c\n", "c"}},
         "--- f\n+++ f\n@@ -1,3 +1,3 @@\n a\n b\n-c\n+c\n\\ No newline at end of file\n"},
        {"a\nX\nb\n", {{"X\n", ""}}, "--- f\n+++ f\n@@ -1,3 +1,2 @@\n a\n-X\n b\n"},
        {"", {{"", "never"}}, ""},
        {"a\nb\n", {{"b\n", "b\nc\nd\n"}}, "--- f\n+++ f\n@@ -1,2 +1,4 @@\n a\n b\n+c\n+d\n"},
        {"a\r\nend cat\r\nz", {{" cat", "\r\nline"}},
         "--- f\n+++ f\n@@ -1,3 +1,4 @@\n a\r\n-end cat\r\n+end\r\n+line\r\n z\n\\ No newline at end of file\n"},
        {"no change\n", catDog, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Unified(box.write("in.txt", c.text), c.pairs), c.diff) << c.text.constData();
}

TEST(UnifiedDiff, AFileThatWouldBeAddedToFromNothingStartsAtLineZero)
{
    IoSandbox box;
    // An empty find never matches, so an empty file cannot gain lines; one
    // made of a lone LF can lose it and gain others.
    EXPECT_EQ(Unified(box.write("in.txt", "\n"), {{"\n", "new\n"}}), "--- f\n+++ f\n@@ -1 +1 @@\n-\n+new\n");
    EXPECT_EQ(Unified(box.write("in.txt", "gone"), {{"gone", ""}}), "--- f\n+++ f\n@@ -1 +0,0 @@\n-gone\n\\ No newline at end of file\n");
}

TEST(UnifiedDiff, MarkedFilesAreShownAsUtf8TextOfBothSides)
{
    IoSandbox box;
    // UTF-16BE with a supplementary character and an odd last byte; the
    // result (UTF-16LE) and the source are both shown decoded.
    const QString wide = box.write("wide.txt", Hex("FEFF 0061 000A 0063 0061 0074 D83D DE00 000A 00E9 000A 41"));
    const QByteArray expected = "--- f\n+++ f\n@@ -1,3 +1,3 @@\n a\n-cat\xF0\x9F\x98\x80\n+dog\xF0\x9F\x98\x80\n \xC3\xA9\n";
    for (qsizetype chunk : {1, 2, 65536})
        EXPECT_EQ(Unified(wide, {{"cat", "dog"}}, chunk), expected) << chunk;
    const QString marked = box.write("utf8.txt", "\xEF\xBB\xBF" "a\ncat\xF0\x9F\x98\x80\n\xC3\xA9\n");
    EXPECT_EQ(Unified(marked, {{"cat", "dog"}}), expected);
}

TEST(UnifiedDiff, Utf32StrayBytesReadAlikeOnBothSidesAndABadUnitFailsAsTheRunDoes)
{
    IoSandbox box;
    // Two stray bytes come out as a unit of the UTF-16 result: the source
    // side reads them so too, so only the replaced line differs.
    const QString stray = box.write("stray.txt", Hex("FFFE0000 61000000 0A000000 63000000 61000000 74000000 0A000000 7A00"));
    for (qsizetype chunk : {1, 2, 65536})
        EXPECT_EQ(Unified(stray, {{"cat", "dog"}}, chunk),
                  "--- f\n+++ f\n@@ -1,3 +1,3 @@\n a\n-cat\n+dog\n z\n\\ No newline at end of file\n") << chunk;

    QByteArray late = Hex("FFFE0000");
    for (int k = 0; k < 5000; ++k)
        late += Hex("63000000 0A000000");
    const QString bad[] = {box.write("early.txt", Hex("FFFE0000 63000000 00001100 0A000000")),
                           box.write("late.txt", late + Hex("3DD80000 00DE0000"))};
    const QString words[] = {"not valid UTF-32 at byte 8 (0x00110000)",
                             "not valid UTF-32 at byte 40004 (0x0000D83D 0x0000DE00)"};
    for (int k = 0; k < 2; ++k) {
        for (qsizetype chunk : {1, 65536}) {
            const FileDiff collected = CollectDiff(bad[k], bad[k] + ".out", DiffJob({{"c", "d"}}, chunk));
            EXPECT_FALSE(collected.outcome.ok || collected.outcome.cancelled) << k;
            EXPECT_EQ(DescribeFileError(collected.outcome.failure), words[k]) << k;
            EXPECT_TRUE(collected.hunks.empty()) << k;
            QByteArray text;
            const FileOutcome unified = WriteUnifiedDiff(bad[k], "f", bad[k] + ".out", DiffJob({{"c", "d"}}, chunk),
                                                         [&text](const QByteArray& piece) {
                                                             text += piece;
                                                             return true;
                                                         });
            EXPECT_EQ(DescribeFileError(unified.failure), words[k]) << k;
            EXPECT_FALSE(QFile::exists(bad[k] + ".out"));
        }
    }
}

TEST(CollectDiff, GivesHunksWithLineNumbersAndTheChangedSpansMarked)
{
    IoSandbox box;
    const QString source = box.write("in.txt", Hex("FFFE 6100 0A00 6300 6100 7400 2000 7800 0A00 7A00"));
    const FileDiff d = CollectDiff(source, source, DiffJob({{"cat x", "cow x\nnew"}, {"z", "Z"}}), 1000, 1);
    ASSERT_TRUE(d.outcome.ok);
    EXPECT_EQ(d.changesShown, 1);
    EXPECT_EQ(d.changesTotal, 1);
    ASSERT_EQ(d.hunks.size(), 1u);
    const DiffHunk& h = d.hunks[0];
    EXPECT_EQ(std::vector<qint64>({h.oldStart, h.oldCount, h.newStart, h.newCount}), std::vector<qint64>({1, 3, 1, 4}));
    using K = DiffLine::Kind;
    using Spans = std::vector<std::pair<int, int>>;
    const struct {
        K kind;
        qint64 oldLine, newLine;
        QString text;
        Spans marked;
        bool noNewline;
    } want[] = {
        {K::Context, 1, 1, "a", {}, false},  {K::Removed, 2, 0, "cat x", {{1, 3}}, false},
        {K::Removed, 3, 0, "z", {{0, 1}}, true}, {K::Added, 0, 2, "cow x", {{1, 3}}, false},
        {K::Added, 0, 3, "new", {{0, 3}}, false}, {K::Added, 0, 4, "Z", {}, true},
    };
    ASSERT_EQ(h.lines.size(), std::size(want));
    for (size_t i = 0; i < h.lines.size(); ++i) {
        const DiffLine& l = h.lines[i];
        EXPECT_TRUE(l.kind == want[i].kind && l.oldLine == want[i].oldLine && l.newLine == want[i].newLine
                    && l.text == want[i].text && l.marked == want[i].marked && l.noNewline == want[i].noNewline)
            << "line " << i << ": " << qPrintable(l.text);
    }
}

TEST(CollectDiff, KeepsTheFirstChangesUpToTheLimitAndCountsThemAll)
{
    IoSandbox box;
    QByteArray text;
    for (int i = 0; i < 50; ++i)
        text += i % 10 == 5 ? "cat\n" : "line\n";
    const QString source = box.write("in.txt", text);
    const FileDiff d = CollectDiff(source, box.path("out.txt"), DiffJob({{"cat", "dog"}}), 2);
    ASSERT_TRUE(d.outcome.ok);
    EXPECT_EQ(d.changesShown, 2);
    EXPECT_EQ(d.changesTotal, 5);
    ASSERT_EQ(d.hunks.size(), 2u);
    EXPECT_EQ(d.hunks[1].oldStart, 13);
    EXPECT_EQ(d.hunks[1].lines.size(), 8u);
    EXPECT_TRUE(d.outcome.counts == std::vector<std::int64_t>{5});
    EXPECT_FALSE(QFile::exists(box.path("out.txt")));
    EXPECT_FALSE(d.cutShort);

    // One change too large to keep whole is cut short.
    const QString huge = box.write("huge.txt", QByteArray("a\n").repeated(kMaxDiffLines + 5));
    const FileDiff cut = CollectDiff(huge, huge, DiffJob({{"a", "b"}}));
    EXPECT_TRUE(cut.cutShort);
    EXPECT_EQ(cut.changesShown, 1);
    EXPECT_EQ(cut.changesTotal, 1);
    ASSERT_EQ(cut.hunks.size(), 1u);
    EXPECT_EQ(qsizetype(cut.hunks[0].lines.size()), kMaxDiffLines);
}

TEST(CollectDiff, AnInPlaceResultIdenticalToItsSourceIsNoChange)
{
    IoSandbox box;
    const QString source = box.write("in.txt", "a cat\n");
    const FileDiff d = CollectDiff(source, source, DiffJob({{"cat", "dog"}, {"dog", "cat"}}));
    EXPECT_TRUE(d.outcome.ok);
    EXPECT_FALSE(d.outcome.written);
    EXPECT_TRUE(d.hunks.empty());
    EXPECT_EQ(d.changesTotal, 0);
}

TEST(UnifiedDiff, AWriteThatFailsStopsTheWorkAndSaysSo)
{
    IoSandbox box;
    QByteArray text;
    for (int i = 0; i < 1000; ++i)
        text += "cat\nline\nline\nline\nline\nline\nline\nline\n";
    const QString source = box.write("in.txt", text);
    int calls = 0;
    const FileOutcome r = WriteUnifiedDiff(source, "f", source, DiffJob({{"cat", "dog"}}, 16), [&calls](const QByteArray&) {
        ++calls;
        return false;
    });
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(DescribeFileError(r.failure), "Cannot write the changes");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(IoSandbox::read(source), text);
}
