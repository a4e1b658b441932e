// The one-pass mode against the whole-text reference, on word-like texts
// where it usually holds: term lists whose find texts overlap one another
// (a word and a part of it), replacements that may or may not form later
// finds, deletions, and stretches from tiny to the default.
#include "ReplacePipeline.h"

#include "StreamTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>

namespace quorvane {
namespace {

using Pairs = std::vector<UnitPair<char>>;

struct OnePassRun {
    std::string out;
    bool restarted = false;
    bool fellBack = false;  // left the mode before handing anything on
};

// Runs the text through a pipeline in pieces of `piece`, reporting how the
// one-pass mode fared (restartNeeded is handled by the support helpers).
OnePassRun RunOnce(const std::string& text, const Pairs& pairs, std::size_t piece, const PipelineTuning& tuning)
{
    ReplacePipeline<char> pipeline(pairs, tuning);
    OnePassRun run;
    auto sink = [&run](std::string_view v) { run.out.append(v); };
    for (std::size_t i = 0; i < text.size() && !pipeline.restartNeeded(); i += piece)
        pipeline.feed(std::string_view(text).substr(i, piece), sink);
    pipeline.finish(sink);
    run.restarted = pipeline.restartNeeded();
    run.fellBack = !run.restarted && !pipeline.onePass();
    return run;
}

std::string Word(std::mt19937& rng, const std::string& letters)
{
    return test::RandomText(rng, letters, 2 + rng() % 5);
}

TEST(StreamOnePass, MatchesTheReferenceOnWordTextsWithOverlappingTerms)
{
    std::mt19937 rng(71);
    const std::string letters = "abcdefgh";
    int stayed = 0, restarted = 0;
    for (int c = 0; c < 300; ++c) {
        std::vector<std::string> words;
        for (int w = 0; w < 40; ++w) words.push_back(Word(rng, letters));
        std::string text;
        const std::size_t length = 200 + rng() % 3000;
        while (text.size() < length) text += words[rng() % words.size()] + (rng() % 9 ? " " : "\r\n");
        Pairs pairs;
        const std::size_t count = 32 + rng() % 200;
        const bool creators = c % 2 == 1;  // half the cases only replace with text no find holds
        for (std::size_t k = 0; k < count; ++k) {
            std::string find = rng() % 4 ? words[rng() % words.size()] : Word(rng, letters + "xyz");
            if (rng() % 5 == 0) find = find.substr(rng() % find.size());  // a part of a word
            std::string replace;
            switch (creators ? rng() % 10 : 2) {
            case 0: replace = words[rng() % words.size()]; break;  // may form later finds
            case 1: break;                                         // deletion
            case 2: case 3: case 4: replace = "Q" + std::to_string(k) + "Q"; break;
            default:                                               // forms nothing later
                replace = "<" + find + ">";
                for (char& u : replace) u = char(std::toupper(static_cast<unsigned char>(u)));
            }
            pairs.push_back({find, replace});
        }
        std::vector<std::int64_t> want, got;
        const std::string expected = ReplaceAllReference(text, pairs, &want);
        for (std::size_t stretch : {std::size_t(1), std::size_t(7), std::size_t(50), std::size_t(0)}) {
            const PipelineTuning tuning{stretch, 1 + rng() % 40, rng() % 2 == 0};
            const std::size_t piece = 1 + rng() % 64;
            const OnePassRun once = RunOnce(text, pairs, piece, tuning);
            if (!once.restarted) {
                ASSERT_EQ(once.out, expected) << "case " << c << " stretch " << stretch;
                stayed += !once.fellBack;
            }
            restarted += once.restarted;
            ASSERT_EQ(test::RunPipeline(text, pairs, piece, tuning, &got), expected) << "case " << c;
            ASSERT_EQ(got, want) << "case " << c << " stretch " << stretch;
        }
    }
    // Both the mode itself and its endings midway must have been exercised.
    EXPECT_GT(stayed, 400);
    EXPECT_GT(restarted, 100);
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
    const OnePassRun run = RunOnce(text, pairs, 3, PipelineTuning{4, 1, true});
    EXPECT_FALSE(run.restarted);
    EXPECT_FALSE(run.fellBack);
    EXPECT_EQ(run.out, expected);
}

TEST(StreamOnePass, AReplacementThatFormsALaterFindEndsTheModeAndStaysExact)
{
    // "a" -> "b" next to "c" forms "bc", a later find: the stages must run.
    Pairs pairs{{"a", "b"}, {"bc", "X"}};
    for (int k = 0; k < 40; ++k) pairs.push_back({"zz" + std::to_string(k), "-"});
    const std::string text = std::string(5000, '.') + "ac" + std::string(100, '.');
    const std::string expected = ReplaceAllReference(text, pairs);
    EXPECT_EQ(expected.substr(5000, 3), "X..");
    const OnePassRun run = RunOnce(text, pairs, 256, PipelineTuning{512, 1, true});
    EXPECT_TRUE(run.restarted);  // output was handed on before the stretch with "ac"
    EXPECT_EQ(test::RunPipeline(text, pairs, 256, PipelineTuning{512, 1, true}), expected);
}

} // namespace
} // namespace quorvane
