// The one-pass mode against the whole-text reference, on word-like texts
// where it usually holds: term lists whose find texts overlap one another
// (a word and a part of it), replacements that may or may not form later
// finds, deletions, and stretches from tiny to the default.
#include "engine/replace/ReplacePipeline.h"

#include "tests/engine/replace/StreamTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

using Pairs = std::vector<UnitPair<char>>;

template <typename Unit>
struct OnePassRun {
    std::basic_string<Unit> out;
    bool restarted = false;
    bool fellBack = false;  // left the mode before handing anything on
};

// Runs the text through a pipeline in pieces of `piece`, reporting how the
// one-pass mode fared (restartNeeded is handled by the support helpers).
template <typename Unit>
OnePassRun<Unit> RunOnce(const std::basic_string<Unit>& text, const std::vector<UnitPair<Unit>>& pairs,
                         std::size_t piece, const PipelineTuning& tuning)
{
    ReplacePipeline<Unit> pipeline(pairs, tuning);
    OnePassRun<Unit> run;
    auto sink = [&run](std::basic_string_view<Unit> v) { run.out.append(v); };
    for (std::size_t i = 0; i < text.size() && !pipeline.restartNeeded(); i += piece)
        pipeline.feed(std::basic_string_view<Unit>(text).substr(i, piece), sink);
    pipeline.finish(sink);
    run.restarted = pipeline.restartNeeded();
    run.fellBack = !run.restarted && !pipeline.onePass();
    return run;
}

// Word texts over `letters`; some finds also hold `extra` units, which the
// text lacks. The units of `other` appear only in replacements, so those
// replacements form nothing later.
template <typename Unit>
void CompareWordTexts(unsigned seed, const std::basic_string<Unit>& letters, const std::basic_string<Unit>& extra,
                      const std::basic_string<Unit>& other)
{
    using String = std::basic_string<Unit>;
    std::mt19937 rng(seed);
    auto word = [&](const String& from) { return test::RandomText(rng, from, 2 + rng() % 5); };
    int stayed = 0, restarted = 0;
    for (int c = 0; c < 200; ++c) {
        std::vector<String> words;
        for (int w = 0; w < 40; ++w) words.push_back(word(letters));
        String text;
        const std::size_t length = 200 + rng() % 3000;
        while (text.size() < length) {
            text += words[rng() % words.size()];
            text += rng() % 9 ? String(1, Unit(' ')) : String{Unit('\r'), Unit('\n')};
        }
        std::vector<UnitPair<Unit>> pairs;
        const std::size_t count = 32 + rng() % 200;
        const bool creators = c % 2 == 1;  // half the cases only replace with text no find holds
        for (std::size_t k = 0; k < count; ++k) {
            String find = rng() % 4 ? words[rng() % words.size()] : word(letters + extra);
            if (rng() % 5 == 0) find = find.substr(rng() % find.size());  // a part of a word
            String replace;
            switch (creators ? rng() % 10 : 2) {
            case 0: replace = words[rng() % words.size()]; break;  // may form later finds
            case 1: break;                                         // deletion
            default: replace = test::RandomText(rng, other, 1 + rng() % 4); break;
            }
            pairs.push_back({find, replace});
        }
        std::vector<std::int64_t> want, got;
        const String expected = ReplaceAllReference(text, pairs, &want);
        for (std::size_t stretch : {std::size_t(1), std::size_t(7), std::size_t(50), std::size_t(0)}) {
            PipelineTuning tuning{stretch, 1 + rng() % 40, rng() % 2 == 0};
            // Half the runs with longer stretches scan them in two halves at once.
            if (stretch != 1 && stretch != 7 && rng() % 2) tuning.splitScanFrom = 2 + rng() % 64;
            const std::size_t piece = 1 + rng() % 64;
            const OnePassRun<Unit> once = RunOnce(text, pairs, piece, tuning);
            if (!once.restarted) {
                ASSERT_EQ(once.out, expected) << "case " << c << " stretch " << stretch;
                stayed += !once.fellBack;
            }
            restarted += once.restarted;
            ASSERT_EQ(test::RunPipeline(text, pairs, piece, tuning, &got), expected) << "case " << c;
            ASSERT_EQ(got, want) << "case " << c << " stretch " << stretch;
        }
    }
    // Both the mode itself and its endings midway must have been exercised
    // (the mode ends only where a replacement does form a later find).
    EXPECT_GT(stayed, 260);
    EXPECT_GT(restarted, 20);
}

// 20,000 units of words side by side, run at stretches of 64, 1,000 and the
// default: the reference's result, without a restart or a fallback.
void ExpectOnePassOnDenseText(const std::vector<std::string>& words, const Pairs& pairs, std::mt19937& rng)
{
    std::string text;
    while (text.size() < 20000) text += words[rng() % words.size()] + (rng() % 7 ? " " : "\r\n");
    const std::string expected = ReplaceAllReference(text, pairs);
    for (const std::size_t stretch : {std::size_t(64), std::size_t(1000), std::size_t(0)}) {
        const OnePassRun<char> run = RunOnce(text, pairs, 50, PipelineTuning{stretch, 32, false});
        EXPECT_FALSE(run.restarted) << stretch;
        EXPECT_FALSE(run.fellBack) << stretch;
        EXPECT_EQ(run.out, expected) << stretch;
    }
}

TEST(StreamOnePass, MatchesTheReferenceOnWordTextsWithOverlappingTerms)
{
    CompareWordTexts<char>(71, "abcdefgh", "xyz", "XYZ<>");
    CompareWordTexts<char16_t>(72, std::u16string(u"abcd\u0161\u00E9") + char16_t(0xD800), u"\u0444z", u"XY\u20AC");
}

TEST(StreamOnePass, PairsTakeOverlappingOccurrencesInTheirOrder)
{
    // "ab" comes first and takes the middle of "cabd"; "cab" then finds
    // nothing; "bd" finds its own where "ab" did not reach.
    Pairs pairs{{"ab", "#"}, {"cab", "%"}, {"bd", "&"}};
    for (int k = 0; k < 40; ++k) pairs.push_back({"zz" + std::to_string(k), "-"});
    const std::string text = "cabd xbd cab";
    const std::string expected = ReplaceAllReference(text, pairs);
    EXPECT_EQ(expected, "c#d x& c#");
    const OnePassRun<char> run = RunOnce(text, pairs, 3, PipelineTuning{4, 1, true});
    EXPECT_FALSE(run.restarted);
    EXPECT_FALSE(run.fellBack);
    EXPECT_EQ(run.out, expected);
}

TEST(StreamOnePass, PairsThatFormLaterFindsCutTheListIntoRunsOrEndTheMode)
{
    // "a" -> "b" next to "c" forms "bc", a later find. One such pair (or a few)
    // cuts the list into runs that each stay in one pass; with more than a few
    // the mode ends at the first formation, and since output was handed on
    // before the stretch with "ac", the file starts again with the stages.
    struct Case {
        Pairs formers;
        bool restarted;
    };
    const Case cases[] = {
        {{{"a", "b"}, {"bc", "X"}}, false},
        {{{"a", "b"}, {"d", "e"}, {"bc", "X"}, {"ef", "Y"}}, false},
        {{{"a", "b"}, {"d", "e"}, {"g", "h"}, {"i", "j"}, {"k", "l"}, {"bc", "X"}, {"ef", "Y"}, {"hm", "Z"}, {"jm", "W"},
          {"lm", "V"}},
         true},
    };
    for (const Case& c : cases) {
        Pairs pairs = c.formers;
        for (int k = 0; k < 40; ++k) pairs.push_back({"zz" + std::to_string(k), "-"});
        const std::string text = std::string(5000, '.') + "ac df" + std::string(100, '.');
        const std::string expected = ReplaceAllReference(text, pairs);
        EXPECT_EQ(expected.substr(5000, 2), "X ");
        const OnePassRun<char> run = RunOnce(text, pairs, 256, PipelineTuning{512, 1, true});
        EXPECT_EQ(run.restarted, c.restarted) << c.formers.size() << " formers";
        if (!run.restarted) {
            EXPECT_FALSE(run.fellBack);
            EXPECT_EQ(run.out, expected);
        }
        EXPECT_EQ(test::RunPipeline(text, pairs, 256, PipelineTuning{512, 1, true}), expected);
    }
}

TEST(StreamOnePass, LongChainsOfOverlappingMatchesOfSeveralPairsStayInOnePass)
{
    // Periodic text after output was handed on: hundreds of overlapping
    // occurrences of three texts settled in one go, in list order.
    Pairs pairs{{"bab", "3"}, {"ab", "1"}, {"ba", "2"}};
    for (int k = 0; k < 40; ++k) pairs.push_back({"zz" + std::to_string(k), "-"});
    std::string text = std::string(3000, '.');
    for (int k = 0; k < 150; ++k) text += "ab";
    text += "a" + std::string(3000, '.');
    const std::string expected = ReplaceAllReference(text, pairs);
    const OnePassRun<char> run = RunOnce(text, pairs, 100, PipelineTuning{512, 1, true});
    EXPECT_FALSE(run.restarted);
    EXPECT_FALSE(run.fellBack);
    EXPECT_EQ(run.out, expected);
}

TEST(StreamOnePass, NumberedRenamesStayInOnePassOnDenseText)
{
    // Replacements end in digits and later finds hold digits, yet none can
    // form one: known from the list, so the mode never ends and the text is
    // never run twice, however close together the replacements come.
    std::mt19937 rng(73);
    std::vector<std::string> words;
    for (int w = 0; w < 30; ++w) words.push_back(test::RandomText(rng, std::string("bdfklmnprst"), 2 + rng() % 4) + "a");
    Pairs pairs;
    for (int k = 0; k < 300; ++k) {
        const std::string& w = words[rng() % words.size()];
        std::string upper = w;
        for (char& c : upper) c = char(c - 'a' + 'A');
        const std::string capital = upper.substr(0, 1) + w.substr(1);
        if (k % 3 == 0) pairs.push_back({w, upper + std::to_string(100 + k)});
        else pairs.push_back({(k % 2 ? w : capital) + std::to_string(k), "x"});
    }
    ExpectOnePassOnDenseText(words, pairs, rng);
}

TEST(StreamOnePass, RenamesThatCouldFormLaterFindsButDoNotStayInOnePassOnDenseText)
{
    // Every replacement ends where every later find begins ("zq"), and the
    // renamed words stand side by side; what follows each insertion decides,
    // and here it never continues a find, so the text is never run twice.
    std::mt19937 rng(74);
    std::vector<std::string> words;
    for (int w = 0; w < 30; ++w) words.push_back(test::RandomText(rng, std::string("bdfklmnprst"), 2 + rng() % 4) + "a");
    Pairs pairs;
    for (int k = 0; k < 300; ++k)
        pairs.push_back({k % 10 == 0 ? words[std::size_t(k / 10)] : "zq" + std::to_string(k) + "xw",
                         "n" + std::to_string(k) + "zq"});
    ExpectOnePassOnDenseText(words, pairs, rng);
}

} // namespace
} // namespace quorvane
