#pragma once
// Helpers shared by the streaming tests: run a pipeline over a text cut into
// given pieces, and build random texts over tiny alphabets.
#include "engine/replace/ReplacePipeline.h"

#include <random>
#include <string>
#include <vector>

namespace quorvane::test {


// Feeds text in pieces chosen by nextPiece(remaining), then finishes; when
// the pipeline asks for a restart, runs the text again with one pass off, as
// the file code does.
template <typename Unit, typename NextPiece>
std::basic_string<Unit> RunPipelineInPieces(const std::basic_string<Unit>& text,
                                            const std::vector<UnitPair<Unit>>& pairs, NextPiece nextPiece,
                                            PipelineTuning tuning, std::vector<std::int64_t>* counts)
{
    for (;;) {
        ReplacePipeline<Unit> pipeline(pairs, tuning);
        std::basic_string<Unit> out;
        auto sink = [&out](std::basic_string_view<Unit> v) { out.append(v); };
        std::basic_string_view<Unit> rest(text);
        while (!rest.empty() && !pipeline.restartNeeded()) {
            const std::size_t take = std::min(nextPiece(rest.size()), rest.size());
            pipeline.feed(rest.substr(0, take), sink);
            rest.remove_prefix(take);
        }
        pipeline.finish(sink);
        if (pipeline.restartNeeded()) {
            tuning.onePass = false;
            continue;
        }
        if (counts) *counts = pipeline.counts();
        return out;
    }
}

// Feeds text in pieces of `piece` units (the last one shorter), then finishes.
template <typename Unit>
std::basic_string<Unit> RunPipeline(const std::basic_string<Unit>& text,
                                    const std::vector<UnitPair<Unit>>& pairs, std::size_t piece,
                                    const PipelineTuning& tuning = {},
                                    std::vector<std::int64_t>* counts = nullptr)
{
    return RunPipelineInPieces(text, pairs, [piece](std::size_t) { return piece; }, tuning, counts);
}

// Feeds text cut at random points (pieces of 1..maxPiece units), then finishes.
template <typename Unit>
std::basic_string<Unit> RunPipelineRandomCuts(const std::basic_string<Unit>& text,
                                              const std::vector<UnitPair<Unit>>& pairs,
                                              std::mt19937& rng, std::size_t maxPiece,
                                              const PipelineTuning& tuning,
                                              std::vector<std::int64_t>* counts)
{
    auto next = [&rng, maxPiece](std::size_t) { return std::uniform_int_distribution<std::size_t>(1, maxPiece)(rng); };
    return RunPipelineInPieces(text, pairs, next, tuning, counts);
}

// A random string of length n drawn from the given units.
template <typename Unit>
std::basic_string<Unit> RandomText(std::mt19937& rng, const std::basic_string<Unit>& alphabet, std::size_t n)
{
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::basic_string<Unit> s(n, Unit{});
    for (auto& u : s) u = alphabet[pick(rng)];
    return s;
}

} // namespace quorvane::test
