#pragma once
// A find pattern with its replacement, compiled once per run and unit width
// (bytes, or UTF-16 units) and shared by the streams of every file.
//
// Patterns use PCRE2's syntax in UTF mode with Unicode properties (\w, \d and
// \b by Unicode). Text that is not valid UTF-8 or UTF-16 is still searched:
// its invalid units are never part of a match, so they are never changed.
//
// Replacements: `$1` or `${1}` a group by number (`$0` the whole match),
// `${name}` a group by name, `$$` a dollar, `\n` a line feed, `\t` a tab and
// `\\` a backslash; every other character stands for itself. A group that
// took no part in the match inserts nothing. Any other `$` or `\` refuses
// the replacement.
#include <QString>

#include <memory>

namespace quorvane {

// How a find text is taken. literal: as exact text (no pattern syntax), its
// replacement inserted as written. wholeWords: a match counts only where the
// characters just before and after it are not word characters (\w by
// Unicode; an invalid unit is not one). ignoreCase: by Unicode case folding.
struct RegexOptions {
    bool literal = false;
    bool wholeWords = false;
    bool ignoreCase = false;
};

// Why a pattern or its replacement was refused: the message, and the position
// in the refused text (in UTF-16 units, as QString counts).
struct RegexProblem {
    bool inReplacement = false;
    qsizetype offset = 0;
    QString message;
    bool failed() const { return !message.isEmpty(); }
};

template <typename Unit>
struct CompiledRegex;

// The pattern and replacement made ready for streams of Unit (char or
// char16_t); null, with problem filled in, when either is refused.
template <typename Unit>
std::shared_ptr<const CompiledRegex<Unit>> CompileRegex(const QString& find, const QString& replace,
                                                        RegexProblem& problem, RegexOptions options = {});

} // namespace quorvane
