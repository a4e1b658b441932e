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
#include "engine/regex/RegexStream.h"
#include "engine/words/LiteralCellPlan.h"

#include <functional>
#include <memory>

namespace quorvane {

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
