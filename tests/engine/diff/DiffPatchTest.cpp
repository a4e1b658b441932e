// The unified diff, applied to the source, gives exactly the run's result.
#include "tests/engine/diff/DiffTestSupport.h"

#include <QProcess>
#include <random>

using namespace quorvane;
using namespace quorvane::test;

namespace {

template <size_t N>
QByteArray Bytes(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

// Checks the diff of text under pairs at the chunk sizes that cut matches and
// lines everywhere: 1, 2, the longest find and the default.
void ExpectPatchesToResult(const IoSandbox& box, const QByteArray& text, const std::vector<Pair>& pairs)
{
    const QString source = box.write("source.txt", text);
    const QByteArray expected = RunResult(box, source, pairs);
    qsizetype longest = 1;
    for (const Pair& p : pairs)
        longest = std::max(longest, p.find.toUtf8().size());
    for (qsizetype chunk : {qsizetype(1), qsizetype(2), longest, qsizetype(65536)}) {
        const QByteArray diff = Unified(source, pairs, chunk);
        EXPECT_EQ(ApplyUnified(text, diff), expected) << "chunk " << chunk << "\n" << diff.constData();
        if (expected == text) {
            EXPECT_EQ(diff, "");
        }
    }
}

} // namespace

TEST(UnifiedDiff, PatchingTheSourceWithItGivesTheRunsExactBytes)
{
    IoSandbox box;
    const struct {
        QByteArray text;
        std::vector<Pair> pairs;
    } cases[] = {
        {"one cat\ntwo\nthree cat\n", {{"cat", "dog"}}},
        {"a\r\nb cat\r\nc", {{"cat", "dog"}}},                       // CR stays in its line, no final LF
        {"x\ncat", {{"cat", "cat\n"}}},                               // the result gains a final LF
        {"x\ncat\n", {{"cat\n", "cat"}}},                             // and loses it
        {"a\nb\nc\nd\n", {{"b\nc\n", ""}}},                          // lines deleted
        {"a\nb\n", {{"a\n", "a\n1\n2\n3\n"}}},                       // lines inserted
        {"a\nb\n", {{"\n", "\r\n"}}},                                 // every line changes
        {"a\nb\n", {{"a\nb\n", ""}}},                                 // the file becomes empty
        {"", {{"a", "b"}}},
        {Bytes("caf\xE9 \0cat\n\xFF\n"), {{"cat", "dog"}}},           // Latin-1, NUL, invalid UTF-8
        {"same\nsame\ncat\nsame\nsame\n", {{"cat", "same"}}},         // a change into a repeated line
        {"cat\n\n\n\ncat\n\n\n\n\n\n\n\ncat", {{"cat", "dog"}, {"\n\n\n\n", "\n"}}},
        // A difference longer than the matcher holds open.
        {QByteArray("a\n").repeated(150000) + "b\n", {{"a\n", "c\r\n"}}},
        // Lines too long to hold, changed and unchanged.
        {"a\n" + QByteArray(3 << 20, 'x') + "cat\nb\n" + QByteArray(2 << 20, 'z'), {{"cat", "dog"}}},
    };
    for (const auto& c : cases)
        ExpectPatchesToResult(box, c.text, c.pairs);
}

TEST(UnifiedDiff, RandomTextsAndPairsPatchToTheRunsResult)
{
    IoSandbox box;
    const char* pieces[] = {"a", "b", "ab", "cat", "\n", "\r\n", "\r", "a\n", "b\n", "\n\n", "same\n", "same\n"};
    const char* finds[] = {"a", "b", "ab", "\n", "\r\n", "a\n", "b\na", "\n\n", "same\n", "cat"};
    const char* replaces[] = {"", "x", "\n", "y\ny\n", "a", "\r\n", "same\n", "b\n"};
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&rng](const auto& list) { return list[rng() % std::size(list)]; };
        QByteArray text;
        for (unsigned n = rng() % 40; n > 0; --n)
            text += pick(pieces);
        std::vector<Pair> pairs;
        for (unsigned n = 1 + rng() % 3; n > 0; --n)
            pairs.push_back({pick(finds), pick(replaces)});
        SCOPED_TRACE(seed);
        ExpectPatchesToResult(box, text, pairs);
    }
}

TEST(UnifiedDiff, TheSystemsPatchProgramTurnsTheSourceIntoTheResult)
{
    if (!QFile::exists("/usr/bin/patch"))
        GTEST_SKIP() << "/usr/bin/patch is not installed";
    IoSandbox box;
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += (i % 17 == 3 ? "a cat line\r\n" : "plain line\n");
    text += "last cat";
    const std::vector<Pair> pairs{{"cat", "dog"}, {"plain line\nplain", "one\ntwo\nthree"}};
    const QString source = box.write("dir/file.txt", text);
    const QByteArray expected = RunResult(box, source, pairs);
    QByteArray diff;
    ASSERT_TRUE(WriteUnifiedDiff(source, "dir/file.txt", source, DiffJob(pairs), [&diff](const QByteArray& piece) {
                    diff += piece;
                    return true;
                }).ok);
    QProcess patch;
    patch.setWorkingDirectory(box.root());
    patch.start("/usr/bin/patch", {"-p0", "--batch", "--silent"});
    patch.write(diff);
    patch.closeWriteChannel();
    ASSERT_TRUE(patch.waitForFinished(30000));
    EXPECT_EQ(patch.exitCode(), 0) << patch.readAll().constData();
    EXPECT_EQ(IoSandbox::read(source), expected);
}

namespace {

struct Recorder : ResultTap {
    int restarts = 0;
    QByteArray bytes;
    void restart() override
    {
        ++restarts;
        bytes.clear();
    }
    void put(const char* data, qint64 len) override { bytes.append(data, len); }
};

} // namespace

TEST(ResultTap, GetsEveryByteOfTheResultAndStartsAgainWhenTheFileIsReadAgain)
{
    IoSandbox box;
    // The mark and the odd last byte of a UTF-16 file are part of the result.
    Recorder wide;
    FileJob job = DiffJob({{"cat", "dog"}});
    job.tap = &wide;
    job.dryRun = true;
    ASSERT_TRUE(ProcessFile(box.write("wide.txt", Hex("FEFF 0063 0061 0074 41")), box.path("w.out"), job).ok);
    EXPECT_EQ(wide.bytes, Hex("FFFE 6400 6F00 6700 41"));
    EXPECT_EQ(wide.restarts, 0);

    // Many pairs go in one pass until, far into the file, "a" -> "b" meets a
    // "c" and forms the later find "bc" (one of more such pairs than the one
    // pass can plan for): the file is read again.
    std::vector<Pair> pairs{{"word", "W"}, {"a", "b"},   {"d", "e"},  {"g", "h"},  {"i", "j"}, {"k", "l"},
                            {"bc", "X"},   {"ef", "Y"},  {"hm", "Z"}, {"jm", "W"}, {"lm", "V"}};
    for (int k = 0; k < 40; ++k)
        pairs.push_back({QString("zz%1").arg(k), "-"});
    QByteArray text;
    for (int i = 0; i < 300000; ++i)
        text += i % 1000 ? "-.-.\n" : "word\n";
    text += "ac df";
    const QString source = box.write("long.txt", text);
    const QByteArray expected = RunResult(box, source, pairs);
    Recorder tap;
    job = DiffJob(pairs);
    job.tap = &tap;
    job.dryRun = true;
    ASSERT_TRUE(ProcessFile(source, source, job).ok);
    EXPECT_EQ(tap.restarts, 1);
    EXPECT_TRUE(tap.bytes == expected);
    // The diff's hunks handed on before that restart are not handed on twice.
    EXPECT_TRUE(ApplyUnified(text, Unified(source, pairs)) == expected);
    const FileDiff shown = CollectDiff(source, source, DiffJob(pairs), 5);
    EXPECT_EQ(shown.changesShown, 5);
    EXPECT_EQ(shown.changesTotal, 301);
}
