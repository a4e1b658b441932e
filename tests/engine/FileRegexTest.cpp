// Files replaced with the regular-expression matcher: both unit widths,
// pairs in turn, the longest match, pairs refused before any file, and
// exact finds with whole words or ignoring case.
#include "engine/FileReplace.h"
#include "tests/engine/IoSandbox.h"
#include "tests/engine/OutcomeWords.h"

#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::Hex;
using quorvane::test::IoSandbox;
using quorvane::test::Why;

namespace {

FileJob RegexJob(std::vector<Pair> pairs, qsizetype chunkUnits = 65536, MatcherKind kind = MatcherKind::Regex,
               MatchOptions options = {})
{
    FileJob job;
    job.prepared = std::make_shared<const RunPairs>(std::move(pairs), kind, options);
    job.chunkUnits = chunkUnits;
    return job;
}

} // namespace

TEST(FileRegex, FilesOfEitherWidthComeOutAsTheirPatternsInTurnSayAtEveryChunkSize)
{
    // The second pair works on the first one's output; the third never matches.
    const std::vector<Pair> pairs{{"(\\w+)@(\\w+)", "${2}_$1"}, {"(?<=_)me\\b", "you"}, {"zzz", "-"}};
    const struct {
        QByteArray source;
        QByteArray want;
    } files[] = {
        {"me@home, ça@là\n", "home_you, là_ça\n"},
        // UTF-16 with a mark, and a lone surrogate that stays as it was.
        {Hex("FFFE 6D00 6500 4000 6800 6900 00D8"), Hex("FFFE 6800 6900 5F00 7900 6F00 7500 00D8")},
    };
    IoSandbox box;
    int n = 0;
    for (const auto& file : files) {
        for (const qsizetype chunk : {1, 3, 65536}) {
            const QString in = box.write(QString("in%1").arg(n), file.source);
            const QString out = box.path(QString("out%1").arg(n++));
            const FileOutcome r = ProcessFile(in, out, RegexJob(pairs, chunk));
            ASSERT_TRUE(r.ok) << qPrintable(Why(r));
            EXPECT_EQ(IoSandbox::read(out), file.want) << "chunk " << chunk;
            EXPECT_EQ(r.counts, (std::vector<std::int64_t>{file.want.startsWith("home") ? 2 : 1, 1, 0}));
        }
    }
}

TEST(FileRegex, AMatchLongerThanOneMebibyteFailsTheFileAndLeavesTheTargetAsItWas)
{
    IoSandbox box;
    const QString in = box.write("big.txt", "start " + QByteArray((1 << 20) + 16, 'x') + " end");
    const FileOutcome r = ProcessFile(in, in, RegexJob({{"q", "Q"}, {"(?s)start.*end", "-"}}));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, FileError(FileStage::Read, kPatternFailed, in,
                                   "Pattern 2: A match would span more than 1 MiB"));
    EXPECT_EQ(Why(r), "Pattern 2: A match would span more than 1 MiB");
    EXPECT_TRUE(IoSandbox::read(in).startsWith("start xx"));
    EXPECT_EQ(box.entries(), QStringList{"big.txt"});
}

TEST(FileRegex, ARefusedPatternOrReplacementIsNamedWithItsPairAndPlace)
{
    const struct {
        std::vector<Pair> pairs;
        QString want;
    } cases[] = {
        {{{"ok", "fine"}, {"", "skipped"}, {"a(b", "c"}},
         "Pattern 3 \"a(b\": missing closing parenthesis (at the end)"},
        {{{"(a)", "$2"}}, "Replacement 1 \"$2\": No group 2 in the pattern (at character 1)"},
        {{{"a)b", "x"}}, "Pattern 1 \"a)b\": unmatched closing parenthesis (at character 2)"},
        {{{"(a)", "$1"}, {"b", "\\t"}}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunPairs(c.pairs, MatcherKind::Regex).problemText(), c.want);
    // The exact matcher takes any text as it is.
    EXPECT_FALSE(RunPairs(std::vector<Pair>{{"a(b", "$x"}}).problem().failed());
}

TEST(FileRegex, ExactFindsWithWholeWordsOrIgnoringCaseAreMatchedAsTheyAreWritten)
{
    const struct {
        MatchOptions options;
        QByteArray want;
        std::vector<std::int64_t> counts;
    } cases[] = {
        {{true, false}, "X FileReplaceTest fileReplace ${1}", {1, 1}},
        {{false, true}, "X XTest X ${1}", {3, 1}},
        {{true, true}, "X FileReplaceTest X ${1}", {2, 1}},
    };
    IoSandbox box;
    const QString in = box.write("in.txt", "FileReplace FileReplaceTest fileReplace $1");
    for (const auto& c : cases) {
        const QString out = box.path("out.txt");
        const FileOutcome r =
            ProcessFile(in, out, RegexJob({{"FileReplace", "X"}, {"$1", "${1}"}}, 4, MatcherKind::Exact, c.options));
        ASSERT_TRUE(r.ok) << qPrintable(Why(r));
        EXPECT_EQ(IoSandbox::read(out), c.want);
        EXPECT_EQ(r.counts, c.counts);
    }
}
