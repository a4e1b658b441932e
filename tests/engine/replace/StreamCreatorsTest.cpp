// With the candidate filter on, a pair whose insertions cannot form a later
// find text skips its window scans; these cases check that the ones that can
// (through the first or last inserted unit, strictly inside the insertion, or
// by deleting) are still found, in bytes and in UTF-16.
#include "engine/replace/ReplacePipeline.h"

#include "tests/engine/replace/StreamTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

template <typename Unit>
std::vector<UnitPair<Unit>> WithFillers(std::vector<UnitPair<Unit>> pairs)
{
    // Forty find texts that never occur switch the filter on; they go between
    // the creating pairs and the pairs they create for.
    std::vector<UnitPair<Unit>> all{pairs.front()};
    for (int i = 0; i < 40; ++i) {
        std::basic_string<Unit> f;
        for (const char c : "#never" + std::to_string(i)) f.push_back(Unit(c));
        all.push_back({f, {}});
    }
    all.insert(all.end(), pairs.begin() + 1, pairs.end());
    return all;
}

template <typename Unit>
std::basic_string<Unit> U(const std::string& s)
{
    return std::basic_string<Unit>(s.begin(), s.end());
}

template <typename Unit>
void ExpectSameAsReference(const std::string& text, const std::vector<std::pair<std::string, std::string>>& plain)
{
    std::vector<UnitPair<Unit>> pairs;
    for (const auto& [f, r] : plain) pairs.push_back({U<Unit>(f), U<Unit>(r)});
    pairs = WithFillers(pairs);
    std::basic_string<Unit> big;
    for (int i = 0; i < 3000; ++i) big += U<Unit>(text);
    const auto expected = ReplaceAllReference(big, pairs);
    for (const std::size_t chunk : {std::size_t(1), std::size_t(7), std::size_t(65536)})
        EXPECT_EQ(test::RunPipeline<Unit>(big, pairs, chunk), expected) << "chunk " << chunk;
}

template <typename Unit>
void CreationCases()
{
    // The first inserted unit starts a later find.
    ExpectSameAsReference<Unit>("xa yb ", {{"a", "Qz"}, {"xQ", "1"}, {"zy", "2"}});
    // The last inserted unit ends one; and one reaches across both joins.
    ExpectSameAsReference<Unit>("pa b ", {{"a", "zQ"}, {"Q b", "3"}, {"pzQ", "4"}});
    // A later find strictly inside the insertion.
    ExpectSameAsReference<Unit>("a a ", {{"a", "ZmidY"}, {"mid", "5"}});
    // A deletion joins its neighbours.
    ExpectSameAsReference<Unit>("kaj ", {{"a", ""}, {"kj", "6"}});
    // Insertions that share nothing with what follows form nothing new.
    ExpectSameAsReference<Unit>("word wordy ", {{"word", "WORDQ"}, {"wordy", "7"}, {"QW", "8"}});
}

TEST(ReplacePipelineCreators, InsertionsThatCanFormLaterFindsAreStillFoundInBytes) { CreationCases<char>(); }
TEST(ReplacePipelineCreators, InsertionsThatCanFormLaterFindsAreStillFoundInUtf16) { CreationCases<char16_t>(); }

} // namespace
} // namespace quorvane
