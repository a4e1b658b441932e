#pragma once
// Streaming replace-all of an ordered list of pairs. The result always equals
// applying each pair in turn to the whole text (leftmost, non-overlapping,
// inserted text not rescanned), whatever the chunking of the input; memory is
// bounded by the chunk size and the pattern lengths, however much the
// replacements grow the text (grown output is handed on in pieces).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

template <typename Unit>
struct UnitPair {
    std::basic_string<Unit> find;
    std::basic_string<Unit> replace;
};

// Knobs for tests and measurements; the defaults suit real files.
struct PipelineTuning {
    // Input gathered before the pairs run; 0 picks a size. A stage's output
    // past four stretches goes on in pieces of about one stretch.
    std::size_t stretchUnits = 0;
    std::size_t filterFromFindTexts = 32; // candidate filter in use from this many distinct finds
    bool dropCostlyFilter = true;         // stop filtering when it costs more than it saves
    bool onePass = true;                  // with the filter, try all pairs in one pass first
    // One-pass stretches of this many units or more are scanned in two halves
    // at once, the second on a helper thread (handing work over costs some
    // microseconds, which shorter stretches do not repay).
    std::size_t splitScanFrom = std::size_t(1) << 18;
};

// A list of pairs made ready for pipelines: search tables, the candidate
// filter and what the pairs can do to one another. Build it once and share it
// among the pipelines of many files.
template <typename Unit>
struct PreparedPairs;
template <typename Unit>
std::shared_ptr<const PreparedPairs<Unit>> PreparePairs(std::vector<UnitPair<Unit>> pairs,
                                                        const PipelineTuning& tuning = {});

template <typename Unit>
class ReplacePipeline {
public:
    using String = std::basic_string<Unit>;
    using View = std::basic_string_view<Unit>;
    using Sink = std::function<void(View)>;

    explicit ReplacePipeline(std::vector<UnitPair<Unit>> pairs);
    ReplacePipeline(std::vector<UnitPair<Unit>> pairs, const PipelineTuning& tuning);
    // Runs prepared pairs; onePass false keeps the one-pass mode off (for the
    // run again after restartNeeded).
    explicit ReplacePipeline(std::shared_ptr<const PreparedPairs<Unit>> prepared, bool onePass = true);
    ~ReplacePipeline();
    ReplacePipeline(const ReplacePipeline&) = delete;
    ReplacePipeline& operator=(const ReplacePipeline&) = delete;

    // Passes the next stretch of input; finished output goes to sink (possibly
    // in several calls, possibly none).
    void feed(View chunk, const Sink& sink);
    // Ends the input and flushes everything held back.
    void finish(const Sink& sink);
    // Replacements made so far by each pair, in pair order.
    const std::vector<std::int64_t>& counts() const;
    // The pairs with replacements so far, each once, in no set order: what
    // a caller reads of counts() when most pairs of a long list make none.
    const std::vector<std::uint32_t>& countedPairs() const;
    // True when the one-pass mode had to end after output was handed on: the
    // output so far must be dropped and the whole input run again through a
    // pipeline with PipelineTuning::onePass off. Further input is ignored.
    bool restartNeeded() const;
    // True while all pairs are applied in one pass per stretch.
    bool onePass() const;
    // Asked before each stage runs over a stretch or over a piece of grown
    // output (and between the pieces of one pass); once it answers true the
    // pipeline stops where it is: its output so far is incomplete, nothing more
    // is handed on and further input is ignored.
    void setCancel(std::function<bool()> cancelled);
    bool cancelled() const;
    // True when no find of the pairs occurs anywhere in whole, so that, fed
    // as the entire input, it would come out as it went in with no
    // replacement made. False when one does, or when a list too long to
    // search without its filter makes asking cost as much as running it.
    bool holdsNoFind(View whole) const;

private:
    struct Impl;
    Impl* d;
};

// Whole-text reference: each pair in order with replace-all. counts (optional)
// receives the replacements per pair.
template <typename Unit>
std::basic_string<Unit> ReplaceAllReference(std::basic_string<Unit> text,
                                            const std::vector<UnitPair<Unit>>& pairs,
                                            std::vector<std::int64_t>* counts = nullptr);

extern template class ReplacePipeline<char>;
extern template class ReplacePipeline<char16_t>;
extern template std::shared_ptr<const PreparedPairs<char>> PreparePairs(std::vector<UnitPair<char>>,
                                                                        const PipelineTuning&);
extern template std::shared_ptr<const PreparedPairs<char16_t>> PreparePairs(std::vector<UnitPair<char16_t>>,
                                                                            const PipelineTuning&);

} // namespace quorvane
