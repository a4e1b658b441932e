#pragma once
// Streaming replace-all of one compiled pattern. The result equals PCRE2's
// global substitution over the whole text, whatever the chunking of the
// input, as long as no match (with what matching looks at ahead of it) spans
// more than the stream's reach; a match that would, fails the stream rather
// than give another answer or hold unbounded text.
//
// Empty matches follow PCRE2's substitution: after an empty match, the next
// match may start at the same place only if it is not empty, otherwise one
// character is copied and the search goes on (so `x*` with `-` turns `axb`
// into `-a--b-`: an empty match right after a non-empty one counts).
#include "engine/regex/RegexPattern.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quorvane {

// The documented longest match: 1 MiB of the text as read.
inline constexpr std::size_t kRegexReachBytes = std::size_t(1) << 20;

template <typename Unit>
class RegexStream {
public:
    using String = std::basic_string<Unit>;
    using View = std::basic_string_view<Unit>;
    using Sink = std::function<void(View)>;

    explicit RegexStream(std::shared_ptr<const CompiledRegex<Unit>> regex,
                         std::size_t reachUnits = kRegexReachBytes / sizeof(Unit));
    ~RegexStream();
    RegexStream(const RegexStream&) = delete;
    RegexStream& operator=(const RegexStream&) = delete;

    // The next stretch of input; finished output goes to sink (in any number of calls).
    void feed(View chunk, const Sink& sink);
    // Ends the input and hands on everything held back.
    void finish(const Sink& sink);
    std::int64_t count() const { return m_count; }
    // Why the stream stopped (a match longer than the reach, or PCRE2's own
    // limits); empty while it works. Once set, nothing more is handed on.
    const QString& failure() const { return m_failure; }

private:
    void run(bool final, const Sink& sink);
    void flush(const Sink& sink);
    // Hands on a chunk where no match can start, keeping its end; false
    // (nothing done) where one might.
    bool passOn(View chunk, const Sink& sink);

    struct Matcher;
    std::shared_ptr<const CompiledRegex<Unit>> m_regex;
    std::unique_ptr<Matcher> m_matcher;
    std::size_t m_reach;
    String m_text;              // the kept context, then input not yet handed on
    std::size_t m_at = 0;       // where the search goes on in m_text
    bool m_atStart = true;      // m_text begins where the input began
    bool m_afterEmpty = false;  // the last match was empty and ended at m_at
    String m_out;
    std::int64_t m_count = 0;
    QString m_failure;
};

extern template class RegexStream<char>;
extern template class RegexStream<char16_t>;

} // namespace quorvane
