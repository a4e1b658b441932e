#pragma once
// What a run's exact finds need to be matched cell by cell (LiteralCells.h):
// the candidate filter over them, the stops, and their patterns.
#include "engine/RunPairs.h"
#include "engine/regex/RegexPattern.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
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
    // Pair k's pattern (its find as exact text, with the run's options); safe from any thread.
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

namespace cells {

// \w among ASCII characters, as PCRE2 takes it with Unicode properties.
inline constexpr bool AsciiWord(unsigned u) { return (u | 0x20) - 'a' < 26 || u - '0' < 10 || u == '_'; }

template <typename Unit>
inline unsigned Code(Unit u) { return static_cast<std::make_unsigned_t<Unit>>(u); }

// ASCII letters in lower case, every other unit as it is.
template <typename Unit>
inline Unit Lower(Unit u) { return Unit(Code(u) | (unsigned(Code(u) - 'A' < 26) << 5)); }

} // namespace cells

} // namespace quorvane
