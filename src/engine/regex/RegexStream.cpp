#include "engine/regex/RegexStream.h"

#include "engine/regex/CompiledRegex.h"

namespace quorvane {

namespace {

// Output gathered before it goes on to the sink: large enough that sinks are
// called rarely, small enough that growing replacements stay in bounded memory.
constexpr std::size_t kOutPiece = 1 << 16;
// Input held back that a chunk without the prefix may still pass on at once.
constexpr std::size_t kPassOnPending = 256;

bool Continues(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool Continues(char16_t c) { return (c & 0xFC00) == 0xDC00; }

// Units at the end of text (from `from` on) that may be the start of a
// character cut by the chunking: a search must not begin inside it.
std::size_t CutCharacter(std::string_view text, std::size_t from)
{
    for (std::size_t back = 1; back <= 3 && back <= text.size() - from; ++back) {
        const auto lead = static_cast<unsigned char>(text[text.size() - back]);
        if ((lead & 0xC0) == 0x80)
            continue;
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

std::size_t CutCharacter(std::u16string_view text, std::size_t from)
{
    return text.size() > from && (text.back() & 0xFC00) == 0xD800 ? 1 : 0;
}

// "1 MiB", "64 KiB" or "10 bytes".
QString Size(std::size_t bytes)
{
    if (bytes >= (1 << 20) && bytes % (1 << 20) == 0)
        return QStringLiteral("%1 MiB").arg(bytes >> 20);
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes >> 10);
    return QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

template <typename Unit>
struct RegexStream<Unit>::Matcher {
    using Api = pcre::Api<Unit>;
    explicit Matcher(const CompiledRegex<Unit>& regex) : data(Api::data(regex.code)) {}
    ~Matcher() { Api::free(data); }
    typename Api::MatchData* data;
};

template <typename Unit>
RegexStream<Unit>::RegexStream(std::shared_ptr<const CompiledRegex<Unit>> regex, std::size_t reachUnits)
    : m_regex(std::move(regex)), m_matcher(std::make_unique<Matcher>(*m_regex)), m_reach(reachUnits)
{
}

template <typename Unit>
RegexStream<Unit>::~RegexStream() = default;

template <typename Unit>
void RegexStream<Unit>::feed(View chunk, const Sink& sink)
{
    if (!m_failure.isEmpty() || chunk.empty())
        return;
    if (!passOn(chunk, sink)) {
        m_text.append(chunk);
        run(false, sink);
    }
}

template <typename Unit>
bool RegexStream<Unit>::passOn(View chunk, const Sink& sink)
{
    // A chunk in which no match can start goes on as it is, without a copy:
    // every match starts with the prefix, and it occurs neither in the chunk
    // nor across its start. Only its end is kept, from a character's start
    // and with what matching looks back at, as the prefix may begin there.
    const LiteralFinder<Unit>& prefix = m_regex->prefix;
    const std::size_t m = prefix.needle().size();
    const std::size_t behind = m_regex->lookbehindUnits;
    const std::size_t pending = m_text.size() - m_at;
    if (m == 0 || m_afterEmpty || pending > kPassOnPending || chunk.size() < behind + 2 * m + 8)
        return false;
    if (prefix.find(chunk.data(), chunk.size()) != chunk.size())
        return false;
    if (pending > 0) {
        String seam = m_text.substr(m_at);
        seam.append(chunk.substr(0, m - 1));
        if (prefix.find(seam.data(), seam.size()) != seam.size())
            return false;
    }
    std::size_t held = chunk.size() - (m - 1);
    while (held > behind && Continues(chunk[held]))
        --held;
    flush(sink);
    if (pending > 0)
        sink(View(m_text).substr(m_at));
    sink(chunk.substr(0, held));
    m_text.assign(chunk.substr(held - behind));
    m_at = behind;
    m_atStart = false;
    return true;
}

template <typename Unit>
void RegexStream<Unit>::finish(const Sink& sink)
{
    if (m_failure.isEmpty())
        run(true, sink);
}

template <typename Unit>
void RegexStream<Unit>::flush(const Sink& sink)
{
    if (!m_out.empty())
        sink(m_out);
    m_out.clear();
}

template <typename Unit>
void RegexStream<Unit>::run(bool final, const Sink& sink)
{
    using Api = pcre::Api<Unit>;
    const CompiledRegex<Unit>& regex = *m_regex;
    PCRE2_SIZE* at = Api::ovector(m_matcher->data);
    // Short of the end, a character cut by the chunking is left out until
    // its other units come: PCRE2 would take it for invalid text.
    const View text = View(m_text).substr(0, final ? m_text.size() : m_text.size() - CutCharacter(m_text, m_at));
    // Short of the end, a search that reaches the end of the text held waits
    // for more (PCRE2's hard partial match), so what is handed on is final.
    const std::uint32_t base = (final ? 0 : PCRE2_PARTIAL_HARD) | (m_atStart ? 0 : PCRE2_NOTBOL);
    const LiteralFinder<Unit>& prefix = regex.prefix;
    const std::size_t m = prefix.needle().size();
    for (;;) {
        if (m > 0 && !m_afterEmpty) {
            // Straight to the prefix's next occurrence: no match starts before it.
            const std::size_t next = m_at + prefix.find(text.data() + m_at, text.size() - m_at);
            if (next == text.size()) {
                const std::size_t keep = final ? text.size() : std::max(m_at, text.size() - std::min(text.size(), m - 1));
                m_out.append(text.substr(m_at, keep - m_at));
                m_at = keep;
                break;
            }
            m_out.append(text.substr(m_at, next - m_at));
            m_at = next;
        }
        // After an empty match, a match may start at the same place only if
        // it is not empty. That retry is not anchored, which would leave the
        // JIT for PCRE2's interpreter (and its check of the text on every
        // call); whatever it finds further on counts as a failed retry.
        const std::uint32_t options = base | (m_afterEmpty ? PCRE2_NOTEMPTY_ATSTART : 0);
        const int rc = Api::match(regex.code, text.data(), text.size(), m_at, options, m_matcher->data);
        const bool found = rc >= 0 || rc == PCRE2_ERROR_PARTIAL;
        if (m_afterEmpty && (rc == PCRE2_ERROR_NOMATCH || (found && at[0] != m_at))) {
            // No non-empty match where the empty one was: copy one character on.
            std::size_t next = m_at + 1;
            while (next < text.size() && Continues(text[next]))
                ++next;
            if (m_at >= text.size() || (next == text.size() && !final))
                break;   // the character is not all here yet
            m_out.append(text.substr(m_at, next - m_at));
            m_at = next;
            m_afterEmpty = false;
            continue;
        }
        if (rc == PCRE2_ERROR_PARTIAL) {
            m_out.append(text.substr(m_at, at[0] - m_at));
            m_at = at[0];
            if (text.size() - m_at > m_reach) {
                m_failure = QStringLiteral("A match would span more than %1").arg(Size(m_reach * sizeof(Unit)));
                return;
            }
            break;
        }
        if (rc == PCRE2_ERROR_NOMATCH) {
            m_out.append(text.substr(m_at));
            m_at = text.size();
            break;
        }
        if (rc < 0) {
            Unit words[256];
            const int n = Api::message(rc, words, 256);
            m_failure = sizeof(Unit) == 1 ? QString::fromUtf8(reinterpret_cast<const char*>(words), std::max(n, 0))
                                          : QString::fromUtf16(reinterpret_cast<const char16_t*>(words), std::max(n, 0));
            return;
        }
        // \K can put a match's start before where the search began; such a
        // match has no one place to be replaced.
        if (at[0] < m_at || at[1] < at[0]) {
            m_failure = QStringLiteral("A match ends before it starts (\\K)");
            return;
        }
        m_out.append(text.substr(m_at, at[0] - m_at));
        for (const auto& piece : regex.pieces) {
            m_out.append(piece.text);
            const std::size_t g = std::size_t(piece.group);
            if (piece.group >= 0 && g < std::size_t(rc) && at[2 * g] != PCRE2_UNSET)
                m_out.append(text.substr(at[2 * g], at[2 * g + 1] - at[2 * g]));
        }
        ++m_count;
        m_afterEmpty = at[0] == at[1];
        m_at = at[1];
        if (m_out.size() >= kOutPiece)
            flush(sink);
    }
    flush(sink);
    if (final)
        return;
    // Keep what matching may look back at before where the search goes on.
    const std::size_t keep = std::min(m_at, regex.lookbehindUnits);
    if (m_at - keep > 0) {
        m_text.erase(0, m_at - keep);
        m_at = keep;
        m_atStart = false;
    }
}

template class RegexStream<char>;
template class RegexStream<char16_t>;

} // namespace quorvane
