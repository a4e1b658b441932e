// The candidate filter must report every find text that occurs (reporting
// more is allowed): checked against a brute-force search over random texts,
// find lengths from 1 to 30 (every key length and sampling step), and limits
// on where an occurrence may start.
#include "engine/search/CandidateFilter.h"

#include "tests/engine/replace/StreamTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace quorvane {
namespace {

struct Collect {
    std::set<std::uint32_t> seen;
    bool known(std::uint32_t) const { return false; }
    void missed(std::uint32_t) {}
    void found(std::uint32_t i, std::size_t) { seen.insert(i); }
};

template <typename Unit>
void CheckEveryOccurrenceIsReported(const std::basic_string<Unit>& alphabet, unsigned seed)
{
    std::mt19937 rng(seed);
    for (int c = 0; c < 300; ++c) {
        const auto text = test::RandomText(rng, alphabet, rng() % 400);
        std::vector<std::basic_string<Unit>> finds;
        const std::size_t count = 1 + rng() % 40;
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t m = 1 + rng() % 30;
            if (text.size() >= m && rng() % 2) finds.push_back(text.substr(rng() % (text.size() - m + 1), m));
            else finds.push_back(test::RandomText(rng, alphabet, m));
        }
        std::vector<const std::basic_string<Unit>*> pointers;
        for (const auto& f : finds) pointers.push_back(&f);
        const CandidateFilter<Unit> filter(pointers);
        const std::size_t limit = text.empty() ? 0 : rng() % (text.size() + 1);
        Collect report;
        filter.scan(text.data(), text.size(), limit, report);
        for (std::size_t i = 0; i < filter.size(); ++i) {
            const auto& find = finds[filter.pairsOf(i).front()];
            const std::size_t at = text.find(find);
            if (at < limit) {
                ASSERT_TRUE(report.seen.count(std::uint32_t(i))) << "seed " << seed << " case " << c << " find " << i;
            }
        }
    }
}

TEST(CandidateFilter, ReportsEveryFindTextThatStartsBeforeTheLimit)
{
    CheckEveryOccurrenceIsReported<char>("ab", 51);
    CheckEveryOccurrenceIsReported<char>("abcd", 52);
    CheckEveryOccurrenceIsReported<char16_t>(std::u16string{u'a', u'\xD800'}, 53);
    CheckEveryOccurrenceIsReported<char16_t>(std::u16string{u'a', u'\x0161', u'b'}, 54);
}

TEST(CandidateFilter, GroupsPairsThatShareAFindText)
{
    const std::string a = "needle", b = "", c = "needle", d = "pin";
    const CandidateFilter<char> filter({&a, &b, &c, &d});
    EXPECT_EQ(filter.size(), 2u);
    EXPECT_EQ(filter.longest(), 6u);
    EXPECT_EQ(filter.pairsOf(0), (std::vector<std::uint32_t>{0, 2}));
    EXPECT_EQ(filter.pairsOf(1), (std::vector<std::uint32_t>{3}));
}

} // namespace
} // namespace quorvane
