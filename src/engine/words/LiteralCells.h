#pragma once
// Exact finds matched as whole words, or ignoring case, without one
// regular-expression pass per pair.
//
// A "stop" is an ASCII character that is not a word character and occurs in
// no find (nor, ignoring case, matches a character of one: ASCII punctuation
// has no other case). No match of any pair can contain a stop, and a stop
// stays where it is whatever the pairs before replace, while the word test on
// either side of it sees a non-word character. So the text between two stops
// (a cell) changes as that cell alone would, as a whole text, under the same
// pairs in the same order. A cell where no find occurs (ignoring ASCII case
// when the run does; as a whole word when it asks for whole words) is left as
// it is; the others go through the pairs' own compiled patterns, and their
// results are remembered, since words repeat.
#include "engine/RunPairs.h"
#include "engine/regex/RegexPattern.h"
#include "engine/regex/RegexStream.h"

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
class LiteralCellPlan {
public:
    // pairs: the run's pairs with a find, in order (LiteralCellsApply to them).
    LiteralCellPlan(std::vector<Pair> pairs, MatchOptions options);
    ~LiteralCellPlan();
    const CandidateFilter<Unit>& filter() const { return *m_filter; }
    // Each distinct find the filter tells, by its number, in the filter's form.
    std::basic_string_view<Unit> text(std::size_t distinct) const { return m_texts[distinct]; }
    std::size_t length(std::size_t distinct) const { return m_texts[distinct].size(); }
    bool stop(Unit u) const;
    const MatchOptions& options() const { return m_options; }
    // The filter's form of text: itself, or ignoring case its ASCII letters
    // in lower case (into out, which is returned).
    const std::basic_string<Unit>& folded(std::basic_string_view<Unit> text, std::basic_string<Unit>& out) const;
    // True when, ignoring case, text holds a character that matches an ASCII
    // letter of a find without being ASCII (the Kelvin sign, the long s): the
    // filter's folding cannot see those.
    bool foldsUnseen(std::basic_string_view<Unit> text) const;
    // True when such a character starts at text[at].
    bool unseenAt(std::basic_string_view<Unit> text, std::size_t at) const;
    // Pair k's whole-word pattern; safe from any thread.
    std::shared_ptr<const CompiledRegex<Unit>> regex(std::size_t k) const;
    // Every pair's pattern, for the regular-expression chain.
    const std::vector<std::shared_ptr<const CompiledRegex<Unit>>>& regexes() const;

private:
    std::vector<Pair> m_pairs;
    MatchOptions m_options;
    bool m_kOrS = false;   // a find holds k or s, in either case
    std::unique_ptr<const CandidateFilter<Unit>> m_filter;
    std::vector<std::basic_string<Unit>> m_texts;
    std::array<bool, 128> m_stop{};
    mutable std::mutex m_lock;
    mutable std::vector<std::shared_ptr<const CompiledRegex<Unit>>> m_regexes;
};

// True when a run of these exact finds with these options (whole words,
// ignore case, or both) can go cell by cell: every find is non-empty and
// short enough that its pattern compiles for sure, ASCII alone when case is
// ignored, and some ASCII non-word character occurs in none of them.
bool LiteralCellsApply(const std::vector<QString>& finds, const MatchOptions& options);

// A replacer for one file: cell by cell, in stretches of about stretchUnits,
// or, past reachUnits without a stop, through the pairs' regular-expression
// chain from there on. kept (the pairs' places in the run) must outlive it.
template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> MakeLiteralCellReplacer(std::shared_ptr<const LiteralCellPlan<Unit>> plan,
                                                              const std::vector<size_t>& kept,
                                                              std::function<bool()> cancelled,
                                                              std::size_t stretchUnits = std::size_t(1) << 18,
                                                              std::size_t reachUnits = kRegexReachBytes / sizeof(Unit));

} // namespace quorvane
