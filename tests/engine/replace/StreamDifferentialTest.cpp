// Randomized comparison of the streaming pipeline with the whole-text
// reference: tiny alphabets so that matches overlap, chain and straddle
// every cut; fixed seeds so a failure always reproduces.
#include "engine/replace/ReplacePipeline.h"

#include "tests/engine/replace/StreamTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

template <typename Unit>
std::vector<UnitPair<Unit>> RandomPairs(std::mt19937& rng, const std::basic_string<Unit>& alphabet,
                                        std::size_t count, std::size_t maxFind, std::size_t maxReplace)
{
    std::vector<UnitPair<Unit>> pairs;
    for (std::size_t k = 0; k < count; ++k) {
        // Now and then an empty find, which must change nothing.
        const std::size_t f = rng() % 17 == 0 ? 0 : 1 + rng() % maxFind;
        const std::size_t r = rng() % (maxReplace + 1);
        pairs.push_back({test::RandomText(rng, alphabet, f), test::RandomText(rng, alphabet, r)});
    }
    return pairs;
}

template <typename Unit>
void CompareWithReference(const std::basic_string<Unit>& alphabet, unsigned seed, int cases,
                          std::size_t maxPairs, std::size_t filterFrom)
{
    std::mt19937 rng(seed);
    for (int c = 0; c < cases; ++c) {
        const auto pairs = RandomPairs(rng, alphabet, 1 + rng() % maxPairs, 1 + rng() % 5, rng() % 5);
        const auto text = test::RandomText(rng, alphabet, rng() % 80);
        std::vector<std::int64_t> want, got;
        const auto expected = ReplaceAllReference(text, pairs, &want);
        const PipelineTuning tuning{1 + rng() % 9, filterFrom, rng() % 2 == 0};
        const auto result = test::RunPipelineRandomCuts(text, pairs, rng, 1 + rng() % 12, tuning, &got);
        ASSERT_EQ(result, expected) << "seed " << seed << " case " << c;
        ASSERT_EQ(got, want) << "seed " << seed << " case " << c;
    }
}

TEST(StreamDifferential, MatchesTheReferenceOnRandomBytePairsAndCuts)
{
    CompareWithReference<char>("ab", 11, 3000, 6, 1000);
    CompareWithReference<char>("abc", 12, 3000, 6, 1000);
}

TEST(StreamDifferential, MatchesTheReferenceOnRandomCodeUnitPairsAndCuts)
{
    CompareWithReference<char16_t>(std::u16string{u'a', u'\xD800'}, 21, 2000, 6, 1000);
    CompareWithReference<char16_t>(std::u16string{u'a', u'\x0161', u'b'}, 22, 2000, 6, 1000);
}

TEST(StreamDifferential, MatchesTheReferenceWithTheCandidateFilterInUse)
{
    // The filter is forced on even for one pair: chains, deletions joining
    // text and pairs creating each other's occurrences all must come out exact.
    CompareWithReference<char>("ab", 31, 3000, 8, 1);
    CompareWithReference<char>("abc", 32, 3000, 8, 1);
    CompareWithReference<char16_t>(std::u16string{u'a', u'\xD800'}, 33, 2000, 8, 1);
    CompareWithReference<char16_t>(std::u16string{u'a', u'\x0161', u'b'}, 34, 2000, 8, 1);
}

// Thousands of pairs whose replacements never lengthen the text (so chains
// stay bounded), with find texts from a wider alphabet than the text: many
// pairs never match, some match only after earlier pairs rewrote the text.
template <typename Unit>
void CompareManyPairs(const std::basic_string<Unit>& textAlphabet, const std::basic_string<Unit>& findAlphabet,
                      unsigned seed, int cases, std::size_t pairCount)
{
    std::mt19937 rng(seed);
    for (int c = 0; c < cases; ++c) {
        std::vector<UnitPair<Unit>> pairs;
        for (std::size_t k = 0; k < pairCount; ++k) {
            const auto& alphabet = rng() % 3 ? findAlphabet : textAlphabet;
            auto find = test::RandomText(rng, alphabet, 1 + rng() % 6);
            auto replace = test::RandomText(rng, findAlphabet, rng() % (find.size() + 1));
            pairs.push_back({std::move(find), std::move(replace)});
        }
        const auto text = test::RandomText(rng, textAlphabet, 300 + rng() % 1500);
        std::vector<std::int64_t> want, got;
        const auto expected = ReplaceAllReference(text, pairs, &want);
        for (std::size_t stretch : {std::size_t(2), std::size_t(13), std::size_t(64), std::size_t(0)}) {
            const auto result = test::RunPipelineRandomCuts(text, pairs, rng, 1 + rng() % 100,
                                                            PipelineTuning{stretch, 16, rng() % 2 == 0}, &got);
            ASSERT_EQ(result, expected) << "seed " << seed << " case " << c << " stretch " << stretch;
            ASSERT_EQ(got, want) << "seed " << seed << " case " << c << " stretch " << stretch;
        }
    }
}

TEST(StreamDifferential, MatchesTheReferenceWithThousandsOfPairs)
{
    CompareManyPairs<char>("ab", "abcd", 41, 6, 2000);
    CompareManyPairs<char>("abc", "abcdefg", 42, 6, 3000);
    CompareManyPairs<char16_t>(std::u16string{u'a', u'\x0161'}, std::u16string{u'a', u'\x0161', u'c', u'\xD800'},
                               43, 4, 2000);
}

// Long find texts, taken from the text so that they occur, exercise the
// filter's long sampled keys; replacements built from other pieces of the
// text create and destroy occurrences of later pairs.
template <typename Unit>
void CompareLongFinds(const std::basic_string<Unit>& alphabet, unsigned seed, int cases)
{
    std::mt19937 rng(seed);
    for (int c = 0; c < cases; ++c) {
        const auto text = test::RandomText(rng, alphabet, 200 + rng() % 800);
        auto piece = [&](std::size_t m) { return text.substr(rng() % (text.size() - m), m); };
        std::vector<UnitPair<Unit>> pairs;
        const std::size_t count = 20 + rng() % 60;
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t m = rng() % 4 ? 6 + rng() % 25 : 1 + rng() % 5;
            pairs.push_back({piece(m), rng() % 3 ? piece(rng() % (m + 1)) : std::basic_string<Unit>()});
        }
        std::vector<std::int64_t> want, got;
        const auto expected = ReplaceAllReference(text, pairs, &want);
        for (std::size_t stretch : {std::size_t(5), std::size_t(31), std::size_t(0)}) {
            const auto result = test::RunPipelineRandomCuts(text, pairs, rng, 1 + rng() % 40,
                                                            PipelineTuning{stretch, 1, false}, &got);
            ASSERT_EQ(result, expected) << "seed " << seed << " case " << c << " stretch " << stretch;
            ASSERT_EQ(got, want) << "seed " << seed << " case " << c << " stretch " << stretch;
        }
    }
}

TEST(StreamDifferential, MatchesTheReferenceWithLongFindTexts)
{
    CompareLongFinds<char>("ab", 61, 150);
    CompareLongFinds<char>("abc", 62, 150);
    CompareLongFinds<char16_t>(std::u16string{u'a', u'\x0161'}, 63, 100);
}

// The units of the edge lists in code units: the same for bytes; in UTF-16
// "c" and "X" become a non-ASCII unit and a lone surrogate.
template <typename Unit>
std::basic_string<Unit> EdgeUnits(const std::string& s)
{
    std::basic_string<Unit> out;
    for (const char c : s) {
        if constexpr (sizeof(Unit) == 2) out.push_back(c == 'c' ? Unit(0x0161) : c == 'X' ? Unit(0xD800) : Unit(c));
        else out.push_back(c);
    }
    return out;
}

template <typename Unit>
void CompareEdgeLists(unsigned seed)
{
    using Plain = std::vector<std::pair<std::string, std::string>>;
    const Plain lists[] = {
        {{"q", "cXY"}, {"abc", "1"}},    // a prefix of the replacement ends a later find, by one unit
        {{"q", "dXY"}, {"abc", "1"}},    // the same units elsewhere: nothing formed
        {{"q", "XYa"}, {"abc", "2"}},    // a suffix of it starts one, by one unit
        {{"q", "XYc"}, {"abc", "2"}},
        {{"q", "bc"}, {"abcd", "3"}},    // the replacement inside a later find
        {{"q", "xabcx"}, {"abc", "4"}},  // a later find inside the replacement
        {{"q", ""}, {"ab", "5"}},        // a deletion joins two halves of a later find
        {{"q", ""}, {"a", "6"}},         // a deletion before finds of one unit
        {{"ab", "X"}, {"q", "ab"}, {"ab", "Y"}},  // a later pair with an earlier pair's find
        {{"q", "cXY"}, {"d", "XYa"}, {"c", "bc"}, {"b", "xabcx"}, {"x", ""}, {"abc", "1"}, {"abcd", "2"}, {"ab", "3"}},
    };
    std::mt19937 rng(seed);
    for (std::size_t l = 0; l < std::size(lists); ++l) {
        std::vector<UnitPair<Unit>> pairs;
        std::size_t longest = 1;
        for (std::size_t i = 0; i < lists[l].size(); ++i) {
            pairs.push_back({EdgeUnits<Unit>(lists[l][i].first), EdgeUnits<Unit>(lists[l][i].second)});
            longest = std::max(longest, lists[l][i].first.size());
            // Finds that never occur between them switch the candidate filter on.
            for (int f = 0; f < 20; ++f)
                pairs.push_back({EdgeUnits<Unit>("#" + std::to_string(i) + "." + std::to_string(f)), EdgeUnits<Unit>("-")});
        }
        for (int c = 0; c < 20; ++c) {
            const auto text = test::RandomText(rng, EdgeUnits<Unit>("abcdqx."), 200 + rng() % 3000);
            std::vector<std::int64_t> want, got;
            const auto expected = ReplaceAllReference(text, pairs, &want);
            for (const std::size_t stretch : {std::size_t(1), std::size_t(2), longest, std::size_t(0)}) {
                const PipelineTuning tuning{stretch, 32, rng() % 2 == 0};
                const auto result = test::RunPipelineRandomCuts(text, pairs, rng, 1 + rng() % 64, tuning, &got);
                ASSERT_EQ(result, expected) << "list " << l << " case " << c << " stretch " << stretch;
                ASSERT_EQ(got, want) << "list " << l << " case " << c << " stretch " << stretch;
            }
        }
    }
}

// Lists right at the edge of what lets pairs go in one pass: a replacement
// that just can form a later find (by one unit at either end, inside it,
// around it, by a deletion's joint) or just cannot, one or a few of them (the
// list cut into runs) or many (one list, checked per occurrence). Stretches of
// 1, 2 and the longest find's length units and the default, random cuts.
TEST(StreamDifferential, MatchesTheReferenceOnListsAtTheEdgeOfTheOnePassRule)
{
    CompareEdgeLists<char>(91);
    CompareEdgeLists<char16_t>(92);
}

// Lists where most replacements can form later finds, so the list stays one
// and each pick is checked against what surrounds it: a replacement that ends
// where later finds begin, one that begins where they end, or one holding a
// later find whole (chains). Dense text puts picks side by side, so they are
// checked in groups, and some of them do form a find.
template <typename Unit>
void CompareFormingLists(unsigned seed, int cases)
{
    std::mt19937 rng(seed);
    const auto letters = EdgeUnits<Unit>("abc");
    for (int c = 0; c < cases; ++c) {
        const std::size_t count = 6 + rng() % 40;
        std::vector<std::basic_string<Unit>> finds;
        std::size_t longest = 1;
        for (std::size_t k = 0; k < count; ++k) {
            finds.push_back(test::RandomText(rng, letters, 1 + rng() % 4));
            longest = std::max(longest, finds.back().size());
        }
        std::vector<UnitPair<Unit>> pairs;
        for (std::size_t k = 0; k < count; ++k) {
            const auto& later = finds[std::min(count - 1, k + 1 + rng() % 3)];
            const std::size_t edge = 1 + rng() % later.size();
            std::basic_string<Unit> replace = EdgeUnits<Unit>("X");
            switch (c % 3) {
            case 0: replace += later.substr(0, edge); break;
            case 1: replace.insert(0, later.substr(later.size() - edge)); break;
            default: replace = rng() % 2 ? later : replace + later; break;
            }
            pairs.push_back({finds[k], replace});
        }
        const auto text = test::RandomText(rng, EdgeUnits<Unit>("abc X."), 100 + rng() % 1500);
        std::vector<std::int64_t> want, got;
        const auto expected = ReplaceAllReference(text, pairs, &want);
        for (const std::size_t stretch : {std::size_t(1), std::size_t(2), longest, std::size_t(0)}) {
            const auto result = test::RunPipelineRandomCuts(text, pairs, rng, 1 + rng() % 64,
                                                            PipelineTuning{stretch, 1, true}, &got);
            ASSERT_EQ(result, expected) << "seed " << seed << " case " << c << " stretch " << stretch;
            ASSERT_EQ(got, want) << "seed " << seed << " case " << c << " stretch " << stretch;
        }
    }
}

TEST(StreamDifferential, MatchesTheReferenceWhenReplacementsCanFormLaterFindsAtEitherEndOrWhole)
{
    CompareFormingLists<char>(101, 600);
    CompareFormingLists<char16_t>(102, 300);
}

template <typename Unit>
void CompareNoFindAnswers(const std::basic_string<Unit>& alphabet, unsigned seed, std::size_t filterFrom)
{
    std::mt19937 rng(seed);
    int none = 0;
    for (int c = 0; c < 2000; ++c) {
        const auto pairs = RandomPairs(rng, alphabet, 1 + rng() % 40, 1 + rng() % 4, 2);
        const auto text = test::RandomText(rng, alphabet, rng() % 14);
        bool holds = false;
        for (const auto& p : pairs)
            holds = holds || (!p.find.empty() && text.find(p.find) != std::basic_string<Unit>::npos);
        const ReplacePipeline<Unit> pipeline(pairs, PipelineTuning{0, filterFrom, true});
        ASSERT_EQ(pipeline.holdsNoFind(text), !holds) << "seed " << seed << " case " << c;
        none += !holds;
    }
    EXPECT_GT(none, 100);   // both answers are tried
}

TEST(StreamDifferential, TellsATextHoldingNoFindWithTheFilterAndWithout)
{
    CompareNoFindAnswers<char>("abcd", 51, 1000);
    CompareNoFindAnswers<char>("abcd", 52, 1);
    CompareNoFindAnswers<char16_t>(std::u16string{u'a', u'\xD800', u'b', u'\x0161'}, 53, 1000);
    CompareNoFindAnswers<char16_t>(std::u16string{u'a', u'\xD800', u'b', u'\x0161'}, 54, 1);
    // A list too long to search pair by pair is not asked.
    std::vector<UnitPair<char>> many(100, UnitPair<char>{"x", "y"});
    EXPECT_FALSE(ReplacePipeline<char>(many, PipelineTuning{0, 1000, true}).holdsNoFind("abc"));
}

} // namespace
} // namespace quorvane
