#pragma once
// What a compiled pattern holds; private to the regex library.
#include "engine/regex/Pcre2Units.h"
#include "engine/regex/RegexPattern.h"
#include "engine/search/Search.h"

#include <string>
#include <vector>

namespace quorvane {

template <typename Unit>
struct CompiledRegex {
    // One piece of a replacement: literal text, then (when group >= 0) the
    // text of that group.
    struct Piece {
        std::basic_string<Unit> text;
        int group = -1;
    };

    CompiledRegex() = default;
    CompiledRegex(const CompiledRegex&) = delete;
    CompiledRegex& operator=(const CompiledRegex&) = delete;
    ~CompiledRegex()
    {
        if (code)
            pcre::Api<Unit>::free(code);
    }

    typename pcre::Api<Unit>::Code* code = nullptr;
    std::vector<Piece> pieces;
    // Units of text before a match's start that matching may look at
    // (lookbehind, \b, ^ in multiline mode), with room for whole characters.
    std::size_t lookbehindUnits = 0;
    // Text every match starts with (empty when the pattern does not say):
    // streams search for it before asking PCRE2, and pass on stretches
    // without it untouched.
    LiteralFinder<Unit> prefix;
};

} // namespace quorvane
