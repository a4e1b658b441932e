// Whole words and ignoring case, for exact finds and for patterns, at the
// smallest and the default chunk size, in both widths.
#include "tests/engine/regex/RegexTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

struct OptionCase {
    RegexOptions options;
    const char* find;
    const char* replace;
    const char* text;
    const char* want;
};

constexpr RegexOptions kWords{true, true, false};
constexpr RegexOptions kAnyCase{true, false, true};

const OptionCase kCases[] = {
    {kWords, "FileReplace", "X", "FileReplace FileReplaceTargets FileReplaceTest (FileReplace)",
     "X FileReplaceTargets FileReplaceTest (X)"},
    // The characters beside the match decide, whatever the find starts or ends with.
    {kWords, "-x", "Y", "a-x -x -xb -x.", "a-x Y -xb Y."},
    {kWords, "café", "bar", "cafés café écafé café_ café", "cafés bar écafé café_ bar"},
    {kWords, "a.b", "$1", "a.b axb a.bc", "$1 axb a.bc"},
    // Marks and connector punctuation are word characters too.
    {kWords, "e", "E", "e e\u0301 \u0301e e\u203fe e\u00b7", "E e\u0301 \u0301e e\u203fe E\u00b7"},
    {kAnyCase, "straße", "road", "STRASSE Straße STRAẞE strasse", "STRASSE road road strasse"},
    {kAnyCase, "Ǆ", "dz", "ǅ ǆ Ǆ DZ", "dz dz dz DZ"},
    // İ has no simple case folding: it matches itself alone, and i only i and I.
    {kAnyCase, "İ", "-", "i İ ı I", "i - ı I"},
    {kAnyCase, "i", "-", "i İ ı I", "- İ ı -"},
    {kAnyCase, "a+b", "c", "A+B a+b aab", "c c aab"},
    {{false, true, true}, "cat|do(g)", "<$1>", "Cat catalog DOG dogs", "<> catalog <G> dogs"},
    {{false, true, false}, "\\d+", "#", "12 a34 56b 7", "# a34 56b #"},
};

template <typename Unit>
void Check(const OptionCase& c)
{
    const auto text = test::UnitsOf<Unit>(QString::fromUtf8(c.text));
    const auto want = test::UnitsOf<Unit>(QString::fromUtf8(c.want));
    for (const std::size_t piece : {std::size_t(1), std::size_t(65536)}) {
        QString failure;
        const auto got = test::StreamInPieces<Unit>(QString::fromUtf8(c.find), QString::fromUtf8(c.replace), text,
                                                    [piece] { return piece; }, nullptr, &failure,
                                                    kRegexReachBytes / sizeof(Unit), c.options);
        EXPECT_EQ(got, want) << c.find << " in " << c.text << ", pieces of " << piece;
        EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    }
}

TEST(RegexOptions, WholeWordsAndIgnoreCaseMatchAsDocumented)
{
    for (const OptionCase& c : kCases) {
        Check<char>(c);
        Check<char16_t>(c);
    }
}

TEST(RegexOptions, AnInvalidByteBesideAWholeWordIsNotAWordCharacter)
{
    EXPECT_EQ(test::StreamInPieces<char>("ab", "X", "\xff" "ab\xfe" "ab\xfe" "\xc3\xa9" "ab", [] { return 1; },
                                         nullptr, nullptr, kRegexReachBytes, kWords),
              "\xff" "X\xfe" "X\xfe" "\xc3\xa9" "ab");
}

TEST(RegexOptions, AWholeWordPatternsErrorIsPlacedInThePatternAsWritten)
{
    RegexProblem problem;
    EXPECT_FALSE(CompileRegex<char>("ab(c", "", problem, {false, true, false}));
    EXPECT_EQ(problem.offset, 4);
    EXPECT_EQ(problem.message.toStdString(), "missing closing parenthesis");
}

} // namespace
} // namespace quorvane
