#pragma once
// The regex streams' reference: PCRE2's own global substitution over the
// whole text, with the same compile options, and a helper that runs a stream
// over a text cut into pieces.
#include "engine/regex/RegexStream.h"
#include "engine/text/UnitText.h"

#define PCRE2_CODE_UNIT_WIDTH 0
#include <pcre2.h>

#include <QString>
#include <functional>
#include <string>

namespace quorvane::test {

using quorvane::UnitsOf;

// Whole-text substitution by PCRE2 (replacement in its extended syntax, which
// agrees with ours on $n, ${name}, $$, \n, \t and \\); count receives the matches.
template <typename Unit>
std::basic_string<Unit> SubstituteWhole(const QString& find, const QString& replace,
                                        const std::basic_string<Unit>& text, int* count = nullptr)
{
    const auto pattern = UnitsOf<Unit>(find);
    const auto with = UnitsOf<Unit>(replace);
    const std::uint32_t compileOptions = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF;
    const std::uint32_t options = PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_EXTENDED | PCRE2_SUBSTITUTE_UNSET_EMPTY
                                  | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    int error = 0;
    PCRE2_SIZE at = 0;
    std::basic_string<Unit> out(text.size() * 4 + 64, Unit{});
    PCRE2_SIZE length = out.size();
    int rc = 0;
    if constexpr (sizeof(Unit) == 1) {
        auto* code = pcre2_compile_8(reinterpret_cast<PCRE2_SPTR8>(pattern.data()), pattern.size(), compileOptions,
                                     &error, &at, nullptr);
        for (int go = 0; go < 2; ++go) {
            rc = pcre2_substitute_8(code, reinterpret_cast<PCRE2_SPTR8>(text.data()), text.size(), 0, options,
                                    nullptr, nullptr, reinterpret_cast<PCRE2_SPTR8>(with.data()), with.size(),
                                    reinterpret_cast<PCRE2_UCHAR8*>(out.data()), &length);
            if (rc != PCRE2_ERROR_NOMEMORY)
                break;
            out.resize(length);
        }
        pcre2_code_free_8(code);
    } else {
        auto* code = pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(pattern.data()), pattern.size(), compileOptions,
                                      &error, &at, nullptr);
        for (int go = 0; go < 2; ++go) {
            rc = pcre2_substitute_16(code, reinterpret_cast<PCRE2_SPTR16>(text.data()), text.size(), 0, options,
                                     nullptr, nullptr, reinterpret_cast<PCRE2_SPTR16>(with.data()), with.size(),
                                     reinterpret_cast<PCRE2_UCHAR16*>(out.data()), &length);
            if (rc != PCRE2_ERROR_NOMEMORY)
                break;
            out.resize(length);
        }
        pcre2_code_free_16(code);
    }
    if (count)
        *count = rc;
    out.resize(rc >= 0 ? length : 0);
    return out;
}

// Runs a fresh stream over text in pieces of nextPiece() units; failure
// receives the stream's failure, count its matches.
template <typename Unit>
std::basic_string<Unit> StreamInPieces(const QString& find, const QString& replace,
                                       const std::basic_string<Unit>& text, const std::function<std::size_t()>& nextPiece,
                                       int* count = nullptr, QString* failure = nullptr,
                                       std::size_t reach = kRegexReachBytes / sizeof(Unit),
                                       RegexOptions options = {})
{
    RegexProblem problem;
    auto regex = CompileRegex<Unit>(find, replace, problem, options);
    if (!regex) {
        if (failure)
            *failure = problem.message;
        return {};
    }
    RegexStream<Unit> stream(std::move(regex), reach);
    std::basic_string<Unit> out;
    const auto sink = [&out](std::basic_string_view<Unit> v) { out.append(v); };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t take = std::min(nextPiece(), text.size() - at);
        stream.feed(std::basic_string_view<Unit>(text).substr(at, take), sink);
        at += take;
    }
    stream.finish(sink);
    if (count)
        *count = int(stream.count());
    if (failure)
        *failure = stream.failure();
    return out;
}

} // namespace quorvane::test
