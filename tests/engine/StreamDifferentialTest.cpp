// Randomized comparison of the streaming pipeline with the whole-text
// reference: tiny alphabets so that matches overlap, chain and straddle
// every cut; fixed seeds so a failure always reproduces.
#include "ReplacePipeline.h"

#include "StreamTestSupport.h"

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
        const PipelineTuning tuning{1 + rng() % 9, filterFrom};
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

} // namespace
} // namespace quorvane
