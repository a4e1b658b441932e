#pragma once
// Whole-word replacement of exact finds, without one regular-expression pass
// per pair.
//
// A "stop" is an ASCII character that is not a word character and occurs in
// no find. No match of any pair can contain a stop, and a stop stays where it
// is whatever the pairs before replace, while the word test on either side of
// it sees a non-word character. So the text between two stops (a cell)
// changes as that cell alone would, as a whole text, under the same pairs in
// the same order. A cell that holds no find as a whole word is left as it
// is; the others go through the pairs' own compiled patterns, and their
// results are remembered, since words repeat.
#include "engine/RunPairs.h"
#include "engine/regex/RegexPattern.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quorvane {

template <typename Unit>
class CandidateFilter;

// What every file of a run shares: the finds' filter, the stops, and each
// pair's pattern, compiled when a cell first needs it (a run of 10,000 pairs
// of which 100 occur compiles 100).
template <typename Unit>
class WordCellPlan {
public:
    // pairs: the run's pairs with a find, in order.
    explicit WordCellPlan(std::vector<Pair> pairs);
    ~WordCellPlan();
    const CandidateFilter<Unit>& filter() const { return *m_filter; }
    // Length of each distinct find the filter tells, by its number.
    std::size_t length(std::size_t distinct) const { return m_lengths[distinct]; }
    bool stop(Unit u) const;
    // Pair k's whole-word pattern; safe from any thread.
    std::shared_ptr<const CompiledRegex<Unit>> regex(std::size_t k) const;
    // Every pair's pattern, for the regular-expression chain.
    const std::vector<std::shared_ptr<const CompiledRegex<Unit>>>& regexes() const;

private:
    std::vector<Pair> m_pairs;
    std::unique_ptr<const CandidateFilter<Unit>> m_filter;
    std::vector<std::size_t> m_lengths;
    std::array<bool, 128> m_stop{};
    mutable std::mutex m_lock;
    mutable std::vector<std::shared_ptr<const CompiledRegex<Unit>>> m_regexes;
};

// True when whole-word runs of these finds can go cell by cell: every find is
// non-empty and short enough that its pattern compiles for sure, and some
// ASCII non-word character occurs in none of them.
bool WordCellsApply(const std::vector<QString>& finds);

// A replacer for one file: cell by cell, or, past a stretch of
// kRegexReachBytes without a stop, the pairs' regular-expression chain from
// there on. kept (the pairs' places in the run) must outlive it.
template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> MakeWordCellReplacer(std::shared_ptr<const WordCellPlan<Unit>> plan,
                                                           const std::vector<size_t>& kept,
                                                           std::function<bool()> cancelled);

} // namespace quorvane
