// Exact finds as whole words or ignoring case, cell by cell, against PCRE2's
// whole-text substitution of each pair in turn: random texts of words,
// stops, multi-byte and astral characters, case partners outside ASCII and
// invalid units, at every chunk size, in both widths.
#include "engine/words/LiteralCells.h"
#include "tests/engine/regex/RegexTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace quorvane {
namespace {

using test::SubstituteWhole;
using test::UnitsOf;

// A piece of text: a character, or (when `invalid`) a unit no valid text holds.
struct Atom {
    const char16_t* text;
    bool invalid = false;
};

const Atom kTextAtoms[] = {
    {u"a"}, {u"b"}, {u"A"}, {u"B"}, {u"k"}, {u"s"}, {u"S"}, {u"1"}, {u"_"}, {u" "}, {u" "}, {u"-"}, {u"."},
    {u"\r\n"}, {u"é"}, {u"É"}, {u"\u212A"}, {u"\u017F"}, {u"\U0001D400"}, {u"\u00B7"}, {u"\u0301"}, {u"ǅ"},
    {u"\xFF", true}, {u"\xC3", true}, {u"\x80", true},
};
const char16_t* const kFindAtoms[] = {u"a", u"b", u"A", u"k", u"s", u"1", u"-", u".", u"ab", u"é", u"\U0001D400"};
const char16_t* const kReplaceAtoms[] = {u"", u"X", u"a", u"b ", u"-", u"é", u"ab", u"K"};

// The text in Unit: an invalid atom is a lone byte, or a lone surrogate.
template <typename Unit>
std::basic_string<Unit> Text(const std::vector<const Atom*>& atoms)
{
    std::basic_string<Unit> text;
    for (const Atom* atom : atoms) {
        if (!atom->invalid)
            text += UnitsOf<Unit>(QString::fromUtf16(atom->text));
        else if constexpr (sizeof(Unit) == 1)
            text += char(atom->text[0]);
        else
            text += char16_t(0xD800 + atom->text[0]);
    }
    return text;
}

QString Pattern(const QString& find, const MatchOptions& options)
{
    const QString literal = QStringLiteral("\\Q") + find + QStringLiteral("\\E");
    return (options.ignoreCase ? QStringLiteral("(?i)") : QString())
           + (options.wholeWords ? QStringLiteral("(?<!\\w)(?:") + literal + QStringLiteral(")(?!\\w)") : literal);
}

template <typename Unit>
void CheckCase(const std::vector<Pair>& pairs, const MatchOptions& options,
               const std::vector<const Atom*>& atoms, bool smallReach, const std::string& what)
{
    const std::basic_string<Unit> text = Text<Unit>(atoms);
    std::basic_string<Unit> want = text;
    std::vector<std::int64_t> wantCounts;
    for (const Pair& pair : pairs) {
        int count = 0;
        want = SubstituteWhole<Unit>(Pattern(pair.find, options), pair.replace, want, &count);
        wantCounts.push_back(count);
    }
    std::vector<size_t> kept(pairs.size());
    for (size_t k = 0; k < kept.size(); ++k)
        kept[k] = k;
    const auto plan = std::make_shared<const LiteralCellPlan<Unit>>(pairs, options);
    std::size_t longest = 1;
    for (const Pair& pair : pairs)
        longest = std::max<std::size_t>(longest, UnitsOf<Unit>(pair.find).size());
    const std::pair<std::size_t, std::size_t> chunkAndStretch[] = {
        {1, 1}, {2, 3}, {longest, 1}, {65536, std::size_t(1) << 18}};
    for (const auto& [chunk, stretch] : chunkAndStretch) {
        auto replacer = MakeLiteralCellReplacer<Unit>(plan, kept, {}, stretch,
                                                      smallReach ? 8 : kRegexReachBytes / sizeof(Unit));
        std::basic_string<Unit> got;
        const auto sink = [&got](std::basic_string_view<Unit> piece) { got.append(piece); };
        for (std::size_t at = 0; at < text.size(); at += chunk)
            replacer->feed(std::basic_string_view<Unit>(text).substr(at, chunk), sink);
        replacer->finish(sink);
        std::vector<std::int64_t> counts(pairs.size(), 0);
        replacer->addCounts(counts);
        ASSERT_EQ(got, want) << what << ", chunks of " << chunk << ", stretches of " << stretch;
        ASSERT_EQ(counts, wantCounts) << what << ", chunks of " << chunk;
        ASSERT_TRUE(replacer->failure().isEmpty());
    }
}

TEST(LiteralCells, ReplaceAsEachPairInTurnOverTheWholeTextAtEveryChunkSize)
{
    const MatchOptions modes[] = {{true, false}, {false, true}, {true, true}};
    int checked = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&random](std::size_t n) { return std::size_t(random() % n); };
        std::vector<Pair> pairs(1 + pick(4));
        for (Pair& pair : pairs) {
            for (std::size_t n = 1 + pick(3); n > 0; --n)
                pair.find += QString::fromUtf16(kFindAtoms[pick(std::size(kFindAtoms))]);
            pair.replace = QString::fromUtf16(kReplaceAtoms[pick(std::size(kReplaceAtoms))]);
        }
        std::vector<const Atom*> atoms(pick(80));
        for (const Atom*& atom : atoms)
            atom = &kTextAtoms[pick(std::size(kTextAtoms))];
        for (const MatchOptions& options : modes) {
            std::vector<QString> finds;
            for (const Pair& pair : pairs)
                finds.push_back(pair.find);
            if (!LiteralCellsApply(finds, options))
                continue;
            const std::string what = "seed " + std::to_string(seed) + (options.wholeWords ? " words" : "")
                                     + (options.ignoreCase ? " any case" : "");
            CheckCase<char>(pairs, options, atoms, seed % 4 == 0, what);
            CheckCase<char16_t>(pairs, options, atoms, seed % 4 == 0, what);
            ++checked;
        }
    }
    EXPECT_GT(checked, 600);
}

TEST(LiteralCells, ApplyOnlyWhereAStopIsLeftAndCaseFoldsInsideAscii)
{
    const auto Controls = [] {
        QString all;
        for (char16_t c = 0; c < 32; ++c)
            all += QChar(c);
        return all;
    };
    const struct {
        std::vector<QString> finds;
        MatchOptions options;
        bool apply;
    } cases[] = {
        {{"apple", "pear#1"}, {true, false}, true},
        {{"café"}, {true, false}, true},
        {{"café"}, {false, true}, false},                 // ignoring case, finds are ASCII
        {{"apple", ""}, {true, false}, false},           // an empty find
        {{QString(1001, u'a')}, {true, false}, false},   // too long to be sure of its pattern
        {{" !\"#$%&'()*+,-./:;<=>?@[\\]^`{|}~\x7f", Controls()}, {true, false}, false},   // no stop left
    };
    for (const auto& c : cases)
        EXPECT_EQ(LiteralCellsApply(c.finds, c.options), c.apply) << c.finds.front().toStdString();
}

} // namespace
} // namespace quorvane
