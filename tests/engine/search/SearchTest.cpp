// FindLiteral against std::search: every alignment, every length, needles
// found near the very end of the haystack, which ends where its allocation
// ends (so any over-read shows under AddressSanitizer).
#include "engine/search/Search.h"

#include "tests/engine/replace/StreamTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace quorvane {
namespace {

template <typename Unit>
std::size_t Expected(const Unit* hay, std::size_t n, const Unit* needle, std::size_t m)
{
    return static_cast<std::size_t>(std::search(hay, hay + n, needle, needle + m) - hay);
}

// Copies s into an allocation of exactly s.size() units.
template <typename Unit>
std::unique_ptr<Unit[]> Exact(const std::basic_string<Unit>& s)
{
    std::unique_ptr<Unit[]> p(new Unit[s.size() ? s.size() : 1]);
    std::copy(s.begin(), s.end(), p.get());
    return p;
}

template <typename Unit>
void CheckAgainstStdSearch(const std::basic_string<Unit>& alphabet, unsigned seed, std::size_t maxLen)
{
    std::mt19937 rng(seed);
    for (std::size_t n = 0; n <= maxLen; ++n) {
        const auto text = test::RandomText(rng, alphabet, n);
        const auto hay = Exact(text);
        for (std::size_t m = 1; m <= 12; ++m) {
            std::vector<std::basic_string<Unit>> needles{test::RandomText(rng, alphabet, m)};
            if (m <= n) {  // occurrences at the end and at a random place
                needles.push_back(text.substr(n - m));
                needles.push_back(text.substr(std::uniform_int_distribution<std::size_t>(0, n - m)(rng), m));
            }
            for (const auto& needle : needles) {
                for (std::size_t off = 0; off <= std::min<std::size_t>(n, 3); ++off) {
                    const std::size_t want = Expected(hay.get() + off, n - off, needle.data(), m);
                    ASSERT_EQ(FindLiteral(hay.get() + off, n - off, needle.data(), m), want)
                        << "n=" << n << " m=" << m << " off=" << off;
                    ASSERT_EQ(LiteralFinder<Unit>(needle).find(hay.get() + off, n - off), want);
                }
            }
        }
    }
}

TEST(FindLiteral, AgreesWithStdSearchForBytesAtEveryAlignmentAndLength)
{
    CheckAgainstStdSearch<char>("ab", 1, 140);
    CheckAgainstStdSearch<char>(std::string("a b\xff\0", 5), 2, 140);
}

TEST(FindLiteral, AgreesWithStdSearchForCodeUnitsAtEveryAlignmentAndLength)
{
    // 0x0161 shares its low byte with 'a' and 0xD800 is a lone surrogate:
    // comparisons must be on whole 16-bit units.
    CheckAgainstStdSearch<char16_t>(u"ab", 3, 140);
    CheckAgainstStdSearch<char16_t>(std::u16string{u'a', u'\x0161', u'\xD800', u'\xFFFF', u' '}, 4, 140);
}

TEST(FindLiteral, HandlesEmptyNeedlesAndNeedlesLongerThanTheHaystack)
{
    const std::string hay = "abc";
    EXPECT_EQ(FindLiteral(hay.data(), 3, "", 0), 0u);
    EXPECT_EQ(FindLiteral(hay.data(), 3, "abcd", 4), 3u);
    EXPECT_EQ(FindLiteral(hay.data(), 0, "a", 1), 0u);
    EXPECT_EQ(LiteralFinder<char>("").find(hay.data(), 3), 0u);
}

TEST(FindLiteral, FindsTheFirstOfManyOccurrencesInALongRunOfTheSameUnit)
{
    const std::string hay(5000, 'a');
    EXPECT_EQ(FindLiteral(hay.data(), hay.size(), "aaa", 3), 0u);
    const std::string tail = hay + "aab";
    EXPECT_EQ(FindLiteral(tail.data(), tail.size(), "aab", 3), 5000u);
    const std::u16string wide(5000, u'a');
    EXPECT_EQ(FindLiteral(wide.data(), wide.size(), u"aab", 3), wide.size());
    EXPECT_EQ(FindLiteral(wide.data(), wide.size(), u"a", 1), 0u);
}

TEST(FindLiteral, StaysExactOnPeriodicTextWhereBothProbesMatchEverywhere)
{
    // Every 8th position passes both probe units but fails the full compare,
    // until the needle itself appears at the end.
    std::string period = "aaaaaaa ", text;
    std::string needle;
    for (int i = 0; i < 10; ++i) needle += period;
    needle += "aa a";
    for (int i = 0; i < 2000; ++i) text += period;
    text += needle + period;
    const std::size_t want = text.size() - period.size() - needle.size();
    EXPECT_EQ(FindLiteral(text.data(), text.size(), needle.data(), needle.size()), want);
    EXPECT_EQ(FindLiteral(text.data(), want + needle.size() - 1, needle.data(), needle.size()), want + needle.size() - 1);
    const std::u16string wide(text.begin(), text.end()), wideNeedle(needle.begin(), needle.end());
    EXPECT_EQ(FindLiteral(wide.data(), wide.size(), wideNeedle.data(), wideNeedle.size()), want);
    EXPECT_EQ(LiteralFinder<char16_t>(wideNeedle).find(wide.data(), want + 5), want + 5);
}

} // namespace
} // namespace quorvane
