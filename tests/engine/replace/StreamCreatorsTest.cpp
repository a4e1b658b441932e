// With the candidate filter on, a pair whose insertions cannot form a later
// find text skips its window scans; these cases check that the ones that can
// (through the first or last inserted unit, strictly inside the insertion, or
// by deleting) are still found, in bytes and in UTF-16.
#include "engine/replace/PairOverlaps.h"
#include "engine/replace/ReplacePipeline.h"

#include "tests/engine/replace/StreamTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// The definition itself: some placement of find that overlaps the inserted
// units agrees with them unit for unit (for a deletion: find spans the joint).
template <typename Unit>
bool SomePlacementAgrees(const std::basic_string<Unit>& r, const std::basic_string<Unit>& f)
{
    if (f.empty()) return false;
    if (r.empty()) return f.size() >= 2;
    for (auto o = 1 - std::ptrdiff_t(f.size()); o < std::ptrdiff_t(r.size()); ++o) {
        bool agree = true;
        for (std::size_t i = 0; i < f.size() && agree; ++i) {
            const std::ptrdiff_t at = o + std::ptrdiff_t(i);
            if (at >= 0 && at < std::ptrdiff_t(r.size())) agree = r[std::size_t(at)] == f[i];
        }
        if (agree) return true;
    }
    return false;
}

// FindCreators (automata over the whole list) against every pair checked by
// the definition, on random lists over tiny alphabets where every kind of
// overlap occurs; and the runs SplitIntoRuns makes hold no such pair.
template <typename Unit>
void CreatorsMatchTheDefinition(const std::basic_string<Unit>& alphabet, unsigned seed)
{
    std::mt19937 rng(seed);
    int creators = 0, split = 0;
    for (int c = 0; c < 3000; ++c) {
        std::vector<UnitPair<Unit>> pairs(1 + rng() % 12);
        for (auto& p : pairs) {
            p.find = test::RandomText(rng, alphabet, rng() % 7 == 0 ? 0 : 1 + rng() % 5);
            p.replace = test::RandomText(rng, alphabet, rng() % 6 == 0 ? 0 : 1 + rng() % (c % 3 ? 3 : 8));
        }
        std::vector<char> want(pairs.size(), 0);
        for (std::size_t k = 0; k < pairs.size(); ++k)
            for (std::size_t j = k + 1; j < pairs.size(); ++j) {
                const bool forms = SomePlacementAgrees(pairs[k].replace, pairs[j].find);
                ASSERT_EQ(CanForm<Unit>(pairs[k].replace, pairs[j].find), forms) << "case " << c;
                want[k] = want[k] || forms;
            }
        const std::vector<char> got = FindCreators(pairs);
        ASSERT_EQ(got, want) << "seed " << seed << " case " << c;
        creators += std::count(got.begin(), got.end(), 1);
        const auto starts = SplitIntoRuns(pairs, got, 4);
        if (starts.empty()) continue;
        split += starts.size() > 1;
        ASSERT_EQ(starts.front(), 0u);
        for (std::size_t r = 0; r < starts.size(); ++r) {
            const std::size_t end = r + 1 < starts.size() ? starts[r + 1] : pairs.size();
            for (std::size_t k = starts[r]; k < end; ++k)
                for (std::size_t j = k + 1; j < end; ++j)
                    ASSERT_FALSE(CanForm<Unit>(pairs[k].replace, pairs[j].find)) << "case " << c << " run " << r;
        }
    }
    EXPECT_GT(creators, 3000);
    EXPECT_GT(split, 300);
}

TEST(ReplacePipelineCreators, CreatorsAreExactlyThePairsWhoseReplacementsOverlapALaterFind)
{
    CreatorsMatchTheDefinition<char>("ab", 81);
    CreatorsMatchTheDefinition<char>("abc", 82);
    CreatorsMatchTheDefinition<char16_t>(std::u16string{u'a', u'\xD800', u'\x0161'}, 83);
    // Numbered renames share first and last units with many later finds
    // but form none of them.
    std::vector<UnitPair<char>> renames{{"dolor", "DOLOR300"}, {"dolor12", "Q"}, {"Dolor7", "Q"}, {"D0", "Q"}};
    EXPECT_EQ(FindCreators(renames), (std::vector<char>{0, 0, 0, 0}));
    renames.push_back({"0x", "Q"});  // a find starting with the last unit
    EXPECT_EQ(FindCreators(renames), (std::vector<char>{1, 0, 0, 0, 0}));
}

} // namespace
} // namespace quorvane
