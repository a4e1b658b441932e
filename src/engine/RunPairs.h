#pragma once
// The pairs of a run, made ready once for every file the run reads, and the
// one interface through which a file's stream is replaced. The matcher is
// chosen per run: exact, case-sensitive text (the default), or regular
// expressions (engine/regex/RegexPattern.h tells their syntax).
#include "engine/regex/RegexPattern.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace quorvane {

struct Pair {
    QString find;
    QString replace;
    bool operator==(const Pair&) const = default;
};

enum class MatcherKind { Exact, Regex };

// Options of a run's matcher. With either one, exact finds go cell by cell
// between characters no find holds (engine/words/LiteralCells.h), at about
// the cost of the exact pipeline for any number of pairs; where they cannot
// (LiteralCellsApply), they are matched as literal text by the
// regular-expression streams, one per pair.
struct MatchOptions {
    bool wholeWords = false;
    bool ignoreCase = false;
    bool operator==(const MatchOptions&) const = default;
};

// A pair whose find or replacement was refused: the pair (by position in the
// run) and why. A run with one refuses to start.
struct PairsProblem {
    std::size_t pair = 0;
    RegexProblem problem;
    bool failed() const { return problem.failed(); }
};

// Replaces one file's stream of units (bytes, or UTF-16 units) with a run's pairs.
template <typename Unit>
class StreamReplacer {
public:
    using View = std::basic_string_view<Unit>;
    using Sink = std::function<void(View)>;
    virtual ~StreamReplacer() = default;
    // The next stretch of input; finished output goes to sink.
    virtual void feed(View chunk, const Sink& sink) = 0;
    // Ends the input and hands on everything held back.
    virtual void finish(const Sink& sink) = 0;
    // True once the cancel query answered true: the output is incomplete.
    virtual bool cancelled() const = 0;
    // True when the output so far is void and the file must be run again
    // through a replacer made with onePass false.
    virtual bool restartNeeded() const = 0;
    // Replacements so far, added into counts (one slot per pair of the run).
    virtual void addCounts(std::vector<std::int64_t>& counts) const = 0;
    // Appends the pairs (by position in the run) with replacements so far,
    // each once, to pairs; false, with pairs left alone, when the replacer
    // keeps no such list. Lets a long list's files skip the pairs that made none.
    virtual bool countedPairs(std::vector<std::size_t>& pairs) const
    {
        (void)pairs;
        return false;
    }
    // True when whole, the entire input, is sure to come out as it went in
    // with no replacement made, so that it need not be fed at all. False
    // when it may not be, or when the replacer cannot tell cheaply.
    virtual bool leavesUnchanged(View whole) const
    {
        (void)whole;
        return false;
    }
    // Why the file cannot be replaced (a match longer than a regular
    // expression may span); empty while it can. Once set, no more output comes.
    virtual QString failure() const = 0;
};

template <typename Unit>
struct PreparedPairs;
template <typename Unit>
class LiteralCellPlan;

class RunPairs {
public:
    explicit RunPairs(std::vector<Pair> pairs = {}, MatcherKind matcher = MatcherKind::Exact,
                      MatchOptions options = {});
    ~RunPairs();
    RunPairs(const RunPairs&) = delete;
    RunPairs& operator=(const RunPairs&) = delete;

    const std::vector<Pair>& pairs() const { return m_pairs; }
    MatcherKind matcher() const { return m_matcher; }
    const MatchOptions& options() const { return m_options; }
    // The first refused pair, if any: ask before the run's first file.
    const PairsProblem& problem() const { return m_problem; }
    // problem() in words, naming the pair, its text and the place refused:
    // `Pattern 2 "a(b": missing closing parenthesis (at the end)`; empty
    // when nothing was refused.
    QString problemText() const;

    // A replacer for one file. The pairs are made ready for each unit width
    // on first use and shared by every later file, on any thread.
    // cancelled (may be empty) is asked between the replacer's steps.
    std::unique_ptr<StreamReplacer<char>> bytes(bool onePass, std::function<bool()> cancelled) const;
    std::unique_ptr<StreamReplacer<char16_t>> units(bool onePass, std::function<bool()> cancelled) const;

private:
    template <typename Unit>
    std::unique_ptr<StreamReplacer<Unit>> make(bool onePass, std::function<bool()> cancelled) const;
    template <typename Unit>
    std::unique_ptr<StreamReplacer<Unit>> makeRegex(std::function<bool()> cancelled) const;
    template <typename Unit>
    std::unique_ptr<StreamReplacer<Unit>> makeLiteralCells(std::function<bool()> cancelled) const;

    std::vector<Pair> m_pairs;
    MatcherKind m_matcher;
    MatchOptions m_options;
    bool m_exactPipeline;   // the exact pipeline runs the pairs (else the regex streams)
    bool m_literalCells = false;   // whole words of exact finds go cell by cell
    std::vector<size_t> m_kept;   // pairs with a find, by position
    mutable std::mutex m_lock;
    mutable std::shared_ptr<const PreparedPairs<char>> m_bytes;
    mutable std::shared_ptr<const PreparedPairs<char16_t>> m_units;
    mutable std::shared_ptr<const LiteralCellPlan<char>> m_cellBytes;
    mutable std::shared_ptr<const LiteralCellPlan<char16_t>> m_cellUnits;
    // Patterns, compiled for both widths as the run starts.
    PairsProblem m_problem;
    std::vector<std::shared_ptr<const CompiledRegex<char>>> m_byteRegexes;
    std::vector<std::shared_ptr<const CompiledRegex<char16_t>>> m_unitRegexes;
};

} // namespace quorvane
