#pragma once
// Helpers shared by the streaming tests: run a pipeline over a text cut into
// given pieces, and build random texts over tiny alphabets.
#include "ReplacePipeline.h"

#include <random>
#include <string>
#include <vector>

namespace quorvane::test {


// Feeds text in pieces of `piece` units (the last one shorter), then finishes.
template <typename Unit>
std::basic_string<Unit> RunPipeline(const std::basic_string<Unit>& text,
                                    const std::vector<UnitPair<Unit>>& pairs, std::size_t piece,
                                    const PipelineTuning& tuning = {},
                                    std::vector<std::int64_t>* counts = nullptr)
{
    ReplacePipeline<Unit> pipeline(pairs, tuning);
    std::basic_string<Unit> out;
    auto sink = [&out](std::basic_string_view<Unit> v) { out.append(v); };
    for (std::size_t i = 0; i < text.size(); i += piece)
        pipeline.feed(std::basic_string_view<Unit>(text).substr(i, piece), sink);
    pipeline.finish(sink);
    if (counts) *counts = pipeline.counts();
    return out;
}

// Feeds text cut at random points (pieces of 1..maxPiece units), then finishes.
template <typename Unit>
std::basic_string<Unit> RunPipelineRandomCuts(const std::basic_string<Unit>& text,
                                              const std::vector<UnitPair<Unit>>& pairs,
                                              std::mt19937& rng, std::size_t maxPiece,
                                              const PipelineTuning& tuning,
                                              std::vector<std::int64_t>* counts)
{
    ReplacePipeline<Unit> pipeline(pairs, tuning);
    std::basic_string<Unit> out;
    auto sink = [&out](std::basic_string_view<Unit> v) { out.append(v); };
    std::basic_string_view<Unit> rest(text);
    while (!rest.empty()) {
        const std::size_t take = std::uniform_int_distribution<std::size_t>(1, maxPiece)(rng);
        pipeline.feed(rest.substr(0, take), sink);
        rest.remove_prefix(std::min(take, rest.size()));
    }
    pipeline.finish(sink);
    if (counts) *counts = pipeline.counts();
    return out;
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
