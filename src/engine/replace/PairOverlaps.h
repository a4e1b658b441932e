#pragma once
// What the replacements of a pair list can do to the find texts of later
// pairs, decided from the list alone before any text is read.
//
// Applied in turn, pair j sees the text as the earlier pairs left it. An
// occurrence of j's find text F there that was not in the original text
// touches something an earlier pair k put in: its replacement R, or for an
// empty R the joint where its find was cut out. Touching R means F lies
// inside R, R lies inside F, a proper prefix of R is a suffix of F, or a
// proper suffix of R is a prefix of F. When none of that holds for any later
// F, k's replacements cannot change what later pairs find, whatever the text.
#include "engine/replace/ReplacePipeline.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace quorvane {

// Whether inserting `replace` into some text can form an occurrence of `find`
// that touches the inserted units (for an empty replace: that spans the
// joint, which any find of two or more units can).
template <typename Unit>
bool CanForm(std::basic_string_view<Unit> replace, std::basic_string_view<Unit> find);

// Per pair k: whether CanForm(k's replace, j's find) holds for a later pair j
// with a non-empty find. Takes a few milliseconds for ten thousand pairs.
template <typename Unit>
std::vector<char> FindCreators(const std::vector<UnitPair<Unit>>& pairs);

// Cuts the list into runs of consecutive pairs such that no pair of a run can
// form the find of a later pair of the same run; returns where each run
// starts (0 first). Empty when that takes more than maxRuns runs. mayCreate
// is FindCreators(pairs).
template <typename Unit>
std::vector<std::size_t> SplitIntoRuns(const std::vector<UnitPair<Unit>>& pairs, const std::vector<char>& mayCreate,
                                       std::size_t maxRuns);

} // namespace quorvane
