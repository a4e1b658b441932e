// The streaming replacement: exact results whatever the chunking, counts over
// the whole text, matches across chunk boundaries, bounded holding-back.
#include "engine/replace/ReplacePipeline.h"

#include "tests/engine/replace/StreamTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using test::RunPipeline;
using Pairs = std::vector<UnitPair<char>>;

TEST(ReplacePipeline, ReplacesEveryOccurrenceLeftToRightAndCountsThem)
{
    std::vector<std::int64_t> counts;
    EXPECT_EQ(RunPipeline<char>("banana", Pairs{{"a", "A"}}, 65536, {}, &counts), "bAnAnA");
    EXPECT_EQ(counts, (std::vector<std::int64_t>{3}));
    EXPECT_EQ(RunPipeline<char>("banana", Pairs{{"A", "x"}}, 65536, {}, &counts), "banana");
    EXPECT_EQ(counts, (std::vector<std::int64_t>{0}));
    // Non-overlapping, leftmost first: "aa" in "aaa" matches once.
    EXPECT_EQ(RunPipeline<char>("aaa", Pairs{{"aa", "b"}}, 1, {}, &counts), "ba");
    EXPECT_EQ(RunPipeline<char>("Cat cat", Pairs{{"cat", "dog"}}, 2), "Cat dog");
}

TEST(ReplacePipeline, LaterPairsSeeEarlierOutputButAPairNeverRescansItsOwnInsertions)
{
    std::vector<std::int64_t> counts;
    EXPECT_EQ(RunPipeline<char>("ab", Pairs{{"a", "b"}, {"b", "c"}}, 1, {}, &counts), "cc");
    EXPECT_EQ(counts, (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(RunPipeline<char>("aaa", Pairs{{"a", "aa"}}, 1, {}, &counts), "aaaaaa");
    EXPECT_EQ(counts, (std::vector<std::int64_t>{3}));
    // A deletion joins its neighbours, and a later pair matches across the join.
    EXPECT_EQ(RunPipeline<char>("axyb", Pairs{{"xy", ""}, {"ab", "!"}}, 1, {}, &counts), "!");
    EXPECT_EQ(counts, (std::vector<std::int64_t>{1, 1}));
}

TEST(ReplacePipeline, EmptyFindChangesNothingAndEmptyReplaceDeletes)
{
    std::vector<std::int64_t> counts;
    EXPECT_EQ(RunPipeline<char>("x-y-x", Pairs{{"", "zzz"}, {"x", ""}, {"y", ""}}, 2, {}, &counts), "--");
    EXPECT_EQ(counts, (std::vector<std::int64_t>{0, 2, 1}));
    EXPECT_EQ(RunPipeline<char>("", Pairs{{"a", "b"}}, 1, {}, &counts), "");
    EXPECT_EQ(RunPipeline<char>("abc", Pairs{}, 1), "abc");
}

TEST(ReplacePipeline, GivesTheWholeTextResultForChunksOfOneTwoFindLengthAndDefault)
{
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + " foo\r\nfofoo barfoo\r\n";
    const Pairs pairs{{"foo", "quux"}, {"\r\n", "\n"}, {"quux\nba", "Q"}, {"line 1", ""}};
    std::vector<std::int64_t> want;
    const std::string expected = ReplaceAllReference(text, pairs, &want);
    for (std::size_t chunk : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(65536)}) {
        for (std::size_t stretch : {std::size_t(0), chunk}) {
            std::vector<std::int64_t> counts;
            ASSERT_EQ(RunPipeline(text, pairs, chunk, PipelineTuning{stretch}, &counts), expected)
                << "chunk " << chunk << " stretch " << stretch;
            EXPECT_EQ(counts, want);
        }
    }
}

TEST(ReplacePipeline, FindsMatchesStraddlingThe65536Boundary)
{
    std::string text(70000, '.');
    text.replace(65533, 6, "needle");  // "nee" ends the first 65,536 bytes
    const std::string result = RunPipeline<char>(text, Pairs{{"needle", "pin"}}, 65536, PipelineTuning{65536});
    std::string expected(70000, '.');
    expected.replace(65533, 6, "pin");
    EXPECT_EQ(result, expected);

    std::u16string wide(70000, u'.');
    wide.replace(65535, 2, u"ab");
    std::u16string wideExpected(70000, u'.');
    wideExpected.replace(65535, 2, u"X");
    EXPECT_EQ(RunPipeline<char16_t>(wide, {{u"ab", u"X"}}, 65536, PipelineTuning{65536}), wideExpected);
}

TEST(ReplacePipeline, HandsOnOutputAsItGoesAndHoldsBackOnlyAFewUnits)
{
    // 64 MiB of input through the default pipeline: what has not come out yet
    // never exceeds one stretch plus the find lengths.
    ReplacePipeline<char> pipeline(Pairs{{"abcdef", "x"}, {"zz", "y"}});
    const std::string chunk(1 << 20, 'q');
    std::size_t in = 0, out = 0, largestBacklog = 0;
    auto sink = [&out](std::string_view v) { out += v.size(); };
    for (int i = 0; i < 64; ++i) {
        pipeline.feed(chunk, sink);
        in += chunk.size();
        largestBacklog = std::max(largestBacklog, in - out);
    }
    pipeline.finish(sink);
    EXPECT_EQ(out, in);
    EXPECT_LE(largestBacklog, std::size_t(1) << 20);
}

TEST(ReplacePipeline, LetsReplacementsGrowTheText)
{
    const std::string big(1000, 'R');
    std::string expected;
    for (int i = 0; i < 200; ++i) expected += big + "-";
    EXPECT_EQ(RunPipeline<char>(std::string(200, 'a'), Pairs{{"a", big + "-"}}, 7, PipelineTuning{5}), expected);
}

// n copies of one pair.
Pairs Repeated(const UnitPair<char>& pair, std::size_t n)
{
    return Pairs(n, pair);
}

// Pairs that grow the text many times over, pair after pair or at one blow;
// some then shrink it again or join across what earlier pairs inserted.
struct GrowthCase {
    const char* name;
    Pairs pairs;
    std::string text;
};

std::vector<GrowthCase> GrowthCases()
{
    Pairs chained = Repeated({"abc", "abcabc"}, 8);
    chained.push_back({"cab", "c-ab"});
    Pairs blow{{"a", std::string(5000, 'R') + "a"}, {"Ra", "<>"}, {"RR", "R"}};
    return {
        {"a to aa twelve times", Repeated({"a", "aa"}, 12), std::string(64, 'a') + "b" + std::string(3, 'a')},
        {"a three-unit find doubling", chained, "ab" + [] { std::string t; for (int i = 0; i < 20; ++i) t += "abc"; return t; }() + "ab"},
        {"one replacement of 5,000 units, then shrinking", blow, "x" + std::string(300, 'a') + "y"},
    };
}

TEST(ReplacePipeline, GivesTheWholeTextResultWhenPairsGrowTheTextManyFold)
{
    for (const GrowthCase& c : GrowthCases()) {
        std::vector<std::int64_t> want;
        const std::string expected = ReplaceAllReference(c.text, c.pairs, &want);
        const std::size_t findLength = c.pairs.front().find.size();
        for (std::size_t chunk : {std::size_t(1), std::size_t(2), findLength, std::size_t(65536)}) {
            // Stages alone, and with the candidate filter and one pass forced on.
            for (std::size_t filterFrom : {std::size_t(1000), std::size_t(1)}) {
                const PipelineTuning tuning{chunk == 65536 ? 0 : chunk, filterFrom, true};
                std::vector<std::int64_t> counts;
                ASSERT_EQ(RunPipeline(c.text, c.pairs, chunk, tuning, &counts), expected)
                    << c.name << ", chunk " << chunk << ", filter from " << filterFrom;
                EXPECT_EQ(counts, want) << c.name << ", chunk " << chunk;
            }
        }
    }
}

TEST(ReplacePipeline, HandsOnGrownOutputInBoundedPiecesAndAsksForAStopBetweenThem)
{
    // At most four stretches (plus one replace text) come out at once, and no
    // more than that between two questions whether to stop.
    constexpr std::size_t kStretch = 1024;
    Pairs renames;
    for (int k = 0; k < 40; ++k) renames.push_back({"w" + std::to_string(k) + "x", "v"});
    Pairs onePassBlow = renames;
    onePassBlow.push_back({"a", std::string(1000, 'R')});
    const struct {
        const char* name;
        Pairs pairs;
        std::string text;
        bool onePass;  // the list is applied in one pass
    } cases[] = {
        {"stage after stage", Repeated({"a", "aa"}, 12), std::string(kStretch, 'a'), false},
        {"one stage", {{"a", std::string(1000, 'R')}}, std::string(3 * kStretch, 'a'), false},
        {"one pass", onePassBlow, std::string(3 * kStretch, 'a') + "w3x", true},
    };
    for (const auto& c : cases) {
        ReplacePipeline<char> pipeline(c.pairs, PipelineTuning{kStretch});
        std::size_t sinceAsked = 0, mostSinceAsked = 0, largest = 0;
        std::string out;
        pipeline.setCancel([&] {
            sinceAsked = 0;
            return false;
        });
        const auto sink = [&](std::string_view piece) {
            out += piece;
            largest = std::max(largest, piece.size());
            sinceAsked += piece.size();
            mostSinceAsked = std::max(mostSinceAsked, sinceAsked);
        };
        pipeline.feed(c.text, sink);
        EXPECT_EQ(pipeline.onePass(), c.onePass) << c.name;
        pipeline.finish(sink);
        EXPECT_EQ(out, ReplaceAllReference(c.text, c.pairs)) << c.name;
        EXPECT_LE(largest, 4 * kStretch + 1000) << c.name;
        EXPECT_LE(mostSinceAsked, 4 * kStretch + 1000) << c.name;
    }
}

TEST(ReplacePipeline, StopsWhileTheTextGrowsWithoutEnd)
{
    // Forty doublings of 64 units would make 64 TiB: the stop asked for at
    // the 200th question is honoured there, after a few pieces.
    ReplacePipeline<char> pipeline(Repeated({"a", "aa"}, 40));
    int asked = 0;
    pipeline.setCancel([&asked] { return ++asked >= 200; });
    std::size_t out = 0;
    const auto sink = [&out](std::string_view piece) { out += piece.size(); };
    pipeline.feed(std::string(64, 'a'), sink);
    pipeline.finish(sink);
    EXPECT_TRUE(pipeline.cancelled());
    EXPECT_EQ(asked, 200);
    EXPECT_LE(out, std::size_t(200) * (4 << 16));
}

TEST(ReplacePipeline, StaysExactWhenPeriodicTextKeepsAlmostMatchingAFindText)
{
    // The find texts share their first units with the period, so the filter
    // sees thousands of near misses before the real occurrences.
    std::string text;
    for (int i = 0; i < 9000; ++i) text += "aaaaaaa ";
    text += "aaaaaaa aaaaaaa aab aaaaaaa aaa!";
    for (int i = 0; i < 9000; ++i) text += "aaaaaaa ";
    const Pairs pairs{{"aaaaaaa aaaaaaa aab", "<1>"}, {"aaaaaaa aaa!", "<2>"}, {"1> <2", "3"}};
    std::vector<std::int64_t> want, got;
    const std::string expected = ReplaceAllReference(text, pairs, &want);
    EXPECT_EQ(RunPipeline(text, pairs, 4096, PipelineTuning{0, 1, false}, &got), expected);
    EXPECT_EQ(got, want);
    EXPECT_EQ(want, (std::vector<std::int64_t>{1, 1, 1}));
}

TEST(ReplacePipeline, StaysExactWhenDenseReplacementsMakeItStopFiltering)
{
    // Every pair replaces all over the text, so the filter spares no search
    // and is given up after the first megabyte or so, in mid-stream.
    std::mt19937 rng(3);
    const std::string text = test::RandomText<char>(rng, "abc", 2 << 20);
    Pairs pairs;
    for (int k = 0; k < 32; ++k) pairs.push_back({test::RandomText<char>(rng, "abc", 2), test::RandomText<char>(rng, "abc", 2)});
    std::vector<std::int64_t> want, got;
    const std::string expected = ReplaceAllReference(text, pairs, &want);
    EXPECT_EQ(RunPipeline(text, pairs, 65536, PipelineTuning{100000, 1, true}, &got), expected);
    EXPECT_EQ(got, want);
}

TEST(ReplacePipeline, HandlesOneHugeFindAmongThousandsOfPairs)
{
    // A find of 20,000 units beside 4,000 short ones, found across many
    // chunks; short pairs rewrite the text around and inside it first.
    std::mt19937 rng(7);
    const std::string huge = test::RandomText<char>(rng, "xyz", 20000);
    const std::string text = "head " + huge + " middle " + huge.substr(0, 19999) + " tail";
    Pairs pairs;
    for (int k = 0; k < 4000; ++k) pairs.push_back({"q" + std::to_string(k) + "w", "-"});
    pairs.push_back({"middle", "center"});
    pairs.push_back({huge, "<huge>"});
    pairs.push_back({"xyzzy", "!"});
    std::vector<std::int64_t> want, got;
    const std::string expected = ReplaceAllReference(text, pairs, &want);
    EXPECT_EQ(RunPipeline(text, pairs, 4096, {}, &got), expected);
    EXPECT_EQ(got, want);
    EXPECT_EQ(want[4001], 1);
}

TEST(ReplacePipeline, EachPipelineOfSharedPairsCountsOnlyItsOwnTextsReplacements)
{
    // Files of a run share the prepared pairs and, on one thread, reuse count
    // storage: a file's counts and counted pairs must never carry another's.
    Pairs few{{"ab", "x"}, {"b", "y"}};
    Pairs many = few;
    for (int k = 0; k < 40; ++k) many.push_back({"#" + std::to_string(k), "-"});
    Pairs runs = many;
    runs.insert(runs.begin(), {"q", "a"});  // forms the later find "ab": the list is cut into runs
    for (const Pairs& pairs : {few, many, runs}) {
        for (const bool onePass : {true, false}) {
            const auto prepared = PreparePairs(Pairs(pairs));
            for (const std::string text : {"qb ab b", "none", "b"}) {
                std::vector<std::int64_t> want;
                const std::string expected = ReplaceAllReference(text, pairs, &want);
                ReplacePipeline<char> pipeline(prepared, onePass);
                std::string out;
                const auto sink = [&out](std::string_view v) { out.append(v); };
                pipeline.feed(text, sink);
                pipeline.finish(sink);
                EXPECT_EQ(out, expected) << pairs.size() << " pairs, " << text;
                EXPECT_EQ(pipeline.counts(), want) << pairs.size() << " pairs, " << text;
                std::vector<std::int64_t> fromCounted(pairs.size(), 0);
                for (const std::uint32_t k : pipeline.countedPairs()) fromCounted[k] += pipeline.counts()[k];
                EXPECT_EQ(fromCounted, want) << pairs.size() << " pairs, " << text;
            }
        }
    }
}

} // namespace
} // namespace quorvane
