#pragma once
// The window's choices of how finds match: whole words only, in any case,
// and as regular expressions. Each applies to every pair or set of a run.
namespace quorvane {

struct MatchChoices {
    bool wholeWords = false;
    bool ignoreCase = false;
    bool regex = false;
    bool operator==(const MatchChoices&) const = default;
};

// Stored under "Match Whole Words", "Ignore Case" and "Regular Expressions"
// ("True"/"False"); a value that cannot be read gives the default (false).
MatchChoices ReadMatchChoices();
// Throws Failure if the store refuses.
void WriteMatchChoices(const MatchChoices& choices);

} // namespace quorvane
