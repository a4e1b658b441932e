// The regex stream against PCRE2's whole-text substitution, at the chunk
// sizes that put match edges on every cut, and its own rules: the
// replacement syntax, refusals and the longest match.
#include "tests/engine/regex/RegexTestSupport.h"

#include <gtest/gtest.h>

#include <array>

#include <random>

namespace quorvane {
namespace {

struct Case {
    const char* find;
    const char* replace;
    const char* text;
};

// Shapes whose matches cross chunk cuts, look behind them, end at the end of
// the text held, or are empty.
const Case kCases[] = {
    {"b+c", "<$0>", "abbbc bc bbbbbbbbbbbbbbbbbbbbc bcb"},
    {"(?s)a.*?z", "[$0]", "a\nb\nz a z a\n\nz az"},
    {"(?<=ab)c", "C", "abc abc xbc ab\nc abcabc"},
    {"(?<=\\d{3})x", "-", "123x 12x 1234xx 999x"},
    {"\\bcat\\b", "dog", "cat concat cats cat, (cat) cat"},
    {"x*", "-", "axb xx  a"},
    {"", "|", "abc\n"},
    {"(?m)^", "> ", "one\ntwo\n\nthree"},
    {"(?m)$", ";", "one\ntwo\n\nthree\n"},
    {"$", "!", "end\n"},
    {"\\Aa", "A", "aaa\naa"},
    {"é+", "e", "caféé ééé é"},
    {"(?<y>\\d{4})-(?<m>\\d\\d)", "${m}/${y}", "2024-05 and 1999-12, 12345-678"},
    {"(a)|(b)", "[$1|$2]", "abcab"},
    {"\\s+$", "", "trailing   \nspaces \t\nnone\n  "},
    {"(?i)straße", "street", "Straße STRASSE straße"},
};

template <typename Unit>
void CompareEveryChunking(const Case& c)
{
    const auto text = test::UnitsOf<Unit>(QString::fromUtf8(c.text));
    int wantCount = 0;
    const auto want = test::SubstituteWhole<Unit>(QString::fromUtf8(c.find), QString::fromUtf8(c.replace), text,
                                                  &wantCount);
    ASSERT_GE(wantCount, 0) << c.find;
    const std::size_t literal = std::max<std::size_t>(1, std::strlen(c.find));
    for (const std::size_t piece : {std::size_t(1), std::size_t(2), literal, std::size_t(65536)}) {
        int count = 0;
        QString failure;
        const auto got = test::StreamInPieces<Unit>(QString::fromUtf8(c.find), QString::fromUtf8(c.replace), text,
                                                    [piece] { return piece; }, &count, &failure);
        EXPECT_EQ(got, want) << c.find << " in pieces of " << piece;
        EXPECT_EQ(count, wantCount) << c.find << " in pieces of " << piece;
        EXPECT_TRUE(failure.isEmpty()) << c.find;
    }
}

TEST(RegexStream, GivesPcreWholeTextResultAtEveryChunkSizeForBytes)
{
    for (const Case& c : kCases)
        CompareEveryChunking<char>(c);
}

TEST(RegexStream, GivesPcreWholeTextResultAtEveryChunkSizeForUtf16Units)
{
    for (const Case& c : kCases)
        CompareEveryChunking<char16_t>(c);
}

TEST(RegexStream, AppliesEachReplacementReferenceAsDocumented)
{
    const struct {
        const char* find;
        const char* replace;
        const char* text;
        const char* want;
    } cases[] = {
        {"(\\w+)@(\\w+)", "$2 at $1", "me@home", "home at me"},
        {"(\\w+)@(\\w+)", "${2}0${1}0", "me@home", "home0me0"},
        {"(?<user>\\w+)@", "${user}:", "me@home", "me:home"},
        {"cost", "$$5", "cost", "$5"},
        {",", "\\n", "a,b", "a\nb"},
        {",", "\\t", "a,b", "a\tb"},
        {",", "\\\\", "a,b", "a\\b"},
        {"(x)?y", "[$1]", "y xy", "[] [x]"},
        {"x*", "-", "axb", "-a--b-"},
    };
    for (const auto& c : cases) {
        const std::string got = test::StreamInPieces<char>(QString::fromUtf8(c.find), QString::fromUtf8(c.replace),
                                                           c.text, [] { return 1; });
        EXPECT_EQ(got, c.want) << c.find << " -> " << c.replace;
    }
}

TEST(RegexStream, RefusesBadPatternsAndReplacementsNamingThePosition)
{
    const struct {
        const char* find;
        const char* replace;
        bool inReplacement;
        qsizetype offset;
        const char* message;
    } cases[] = {
        {"é(ab", "", false, 4, "missing closing parenthesis"},
        {"a", "x$y", true, 1, "A $ starts a group reference: use $$ for a dollar"},
        {"a", "x\\q", true, 1, "Unknown escape: use \\n, \\t or \\\\"},
        {"(a)", "$2", true, 0, "No group 2 in the pattern"},
        {"(?<n>a)", "${m}", true, 0, "No group m in the pattern"},
        {"(a)", "${1", true, 0, "Missing } after ${"},
    };
    for (const auto& c : cases) {
        for (int width : {8, 16}) {
            RegexProblem problem;
            const bool compiled = width == 8
                ? bool(CompileRegex<char>(QString::fromUtf8(c.find), QString::fromUtf8(c.replace), problem))
                : bool(CompileRegex<char16_t>(QString::fromUtf8(c.find), QString::fromUtf8(c.replace), problem));
            EXPECT_FALSE(compiled) << c.find << " " << c.replace;
            EXPECT_EQ(problem.inReplacement, c.inReplacement) << c.find << " " << c.replace;
            EXPECT_EQ(problem.offset, c.offset) << c.find << " " << c.replace << " width " << width;
            EXPECT_EQ(problem.message.toStdString(), c.message) << c.find << " " << c.replace;
        }
    }
}

TEST(RegexStream, FailsAMatchLongerThanItsReachButNotOneWithin)
{
    QString failure;
    const std::string text = "a123456789z a1z";
    test::StreamInPieces<char>("(?s)a.*?z", "-", text, [] { return 1; }, nullptr, &failure, 8);
    EXPECT_EQ(failure.toStdString(), "A match would span more than 8 bytes");
    failure.clear();
    EXPECT_EQ(test::StreamInPieces<char>("(?s)a.*?z", "-", text, [] { return 1; }, nullptr, &failure, 12), "- -");
    EXPECT_TRUE(failure.isEmpty());
}

TEST(RegexStream, NeverChangesInvalidBytesAndMatchesAroundThem)
{
    const std::string text = "a\xff" "b\xc3" "ab\xe2\x82\xac.";
    int count = 0;
    EXPECT_EQ(test::StreamInPieces<char>(".", "<$0>", text, [] { return 1; }, &count),
              "<a>\xff<b>\xc3<a><b><\xe2\x82\xac><.>");
    EXPECT_EQ(count, 6);
    EXPECT_EQ(test::SubstituteWhole<char>(".", "<$0>", text), "<a>\xff<b>\xc3<a><b><\xe2\x82\xac><.>");
}

TEST(RegexStream, FindsEmptyMatchesAtEveryCharacterUpToAnInvalidUnit)
{
    // PCRE2 10.42's own substitution gives "-ab\xff-c-": its anchored search after
    // an empty match lands on the invalid byte, skipping the places between.
    for (const std::size_t piece : {std::size_t(1), std::size_t(65536)}) {
        EXPECT_EQ(test::StreamInPieces<char>("x*", "-", "ab\xff" "c", [piece] { return piece; }), "-a-b-\xff-c-");
        EXPECT_EQ(test::StreamInPieces<char16_t>("x*", "-", u"ab\xD800" u"c", [piece] { return piece; }),
                  u"-a-b-\xD800-c-");
    }
}

// Random texts over a few characters (multi-unit ones, and last two invalid
// ones), patterns of every shape above, random cuts; a fixed seed.
using PatternList = std::vector<std::array<const char*, 2>>;
const PatternList kRandomPatterns = {
    {"ab", "X"}, {"a+b?", "<$0>"}, {"(?<=a)b", "B"}, {"(?<!b)a", ""}, {"x*", "-"}, {"\\bab\\b", "W"},
    {"(?m)^a", "^"}, {"a$", "$$"}, {"(?s)a.{0,3}b", "[$0]"}, {"(a|ab)(c|bcd)?", "$2$1"}, {"é|.\\n", "_"},
    {"\\w+", "w"}, {"[^a]+", "\\t"}, {"", "."},
};

// Patterns whose matches start with a literal text, which the stream searches
// for first: some of it, all of it, quantified, with lookaround after it.
const PatternList kPrefixPatterns = {
    {"abc", "Y"}, {"ab\\.?c+", "<$0>"}, {"ba(?=c)", "Z"}, {"cé\\w", "E"}, {"ca(?<=xca)", "K"},
    {"a\\nb", "N"}, {"é\\b", "!"}, {"bb*", "B"},
};

template <typename Unit>
void CompareRandomly(const std::vector<std::basic_string<Unit>>& tokens, unsigned seed, int rounds,
                     const PatternList& patterns = kRandomPatterns, std::size_t longest = 40, std::size_t widest = 9)
{
    std::mt19937 rng(seed);
    for (int round = 0; round < rounds; ++round) {
        const auto& p = patterns[rng() % patterns.size()];
        // Empty matches before invalid units: PCRE2 10.42's own substitution
        // skips places (the case below), so those draw valid text only.
        const bool empty = p[0] == std::string("x*") || p[0] == std::string("");
        const std::size_t valid = tokens.size() - 2;
        std::basic_string<Unit> text;
        for (std::size_t n = rng() % longest; n > 0; --n)
            text += tokens[rng() % (empty ? valid : tokens.size())];
        const std::size_t maxPiece = 1 + rng() % widest;
        int wantCount = 0, count = 0;
        const auto want = test::SubstituteWhole<Unit>(p[0], p[1], text, &wantCount);
        const auto got = test::StreamInPieces<Unit>(p[0], p[1], text, [&] { return 1 + rng() % maxPiece; }, &count);
        ASSERT_EQ(got, want) << "seed " << seed << " round " << round << " pattern " << p[0];
        ASSERT_EQ(count, wantCount) << "seed " << seed << " round " << round << " pattern " << p[0];
    }
}

TEST(RegexStream, MatchesPcreOnRandomTextsAndCuts)
{
    CompareRandomly<char>({"a", "b", "c", "x", "\n", "\xc3\xa9", "\xff", "\xe2\x82"}, 41, 4000);
    CompareRandomly<char16_t>({u"a", u"b", u"c", u"x", u"\n", u"\u00e9", u"\U0001F600", u"\xD800"}, 42, 4000);
}

TEST(RegexStream, PassesOnStretchesWithoutTheLiteralStartOfEveryMatchAsPcreWould)
{
    CompareRandomly<char>({"a", "b", "c", "x", "\n", "\xc3\xa9", "\xff", "\xe2\x82"}, 43, 2000, kPrefixPatterns, 300, 80);
    CompareRandomly<char16_t>({u"a", u"b", u"c", u"x", u"\n", u"\u00e9", u"\U0001F600", u"\xD800"}, 44, 2000,
                              kPrefixPatterns, 300, 80);
}

} // namespace
} // namespace quorvane
