#include "engine/words/LiteralCellPlan.h"

#include "engine/regex/RegexStream.h"
#include "engine/search/CandidateFilter.h"
#include "engine/text/UnitText.h"

#include <algorithm>
#include <cstring>

namespace quorvane {

using cells::AsciiWord;
using cells::Code;
using cells::Lower;

namespace {

// UTF-8 of the characters outside ASCII that match k and s ignoring case.
constexpr std::string_view kKelvin = "\xE2\x84\xAA";
constexpr std::string_view kLongS = "\xC5\xBF";

// Finds up to this long compile to patterns well inside PCRE2's size limit.
constexpr qsizetype kLongestFind = 1000;

} // namespace

template <typename Unit>
LiteralCellPlan<Unit>::LiteralCellPlan(std::vector<Pair> pairs, MatchOptions options)
    : m_pairs(std::move(pairs)), m_options(options), m_regexes(m_pairs.size())
{
    std::vector<std::basic_string<Unit>> finds;
    for (const Pair& pair : m_pairs) {
        finds.push_back(UnitsOf<Unit>(pair.find));
        if (m_options.ignoreCase) {
            for (Unit& u : finds.back()) {
                u = Lower(u);
                m_kOrS = m_kOrS || u == Unit('k') || u == Unit('s');
            }
        }
    }
    std::vector<const std::basic_string<Unit>*> texts;
    for (const auto& find : finds)
        texts.push_back(&find);
    m_filter = std::make_unique<const CandidateFilter<Unit>>(texts);
    for (std::size_t i = 0; i < m_filter->size(); ++i)
        m_texts.push_back(finds[m_filter->pairsOf(i).front()]);
    for (unsigned u = 0; u < 128; ++u)
        m_stop[u] = !AsciiWord(u);
    for (const auto& find : finds) {
        for (const Unit u : find) {
            if (Code(u) < 128)
                m_stop[Code(u)] = false;
        }
    }
}

template <typename Unit>
LiteralCellPlan<Unit>::~LiteralCellPlan() = default;

template <typename Unit>
bool LiteralCellPlan<Unit>::stop(Unit u) const
{
    return Code(u) < 128 && m_stop[Code(u)];
}

template <typename Unit>
const std::basic_string<Unit>& LiteralCellPlan<Unit>::folded(std::basic_string_view<Unit> text,
                                                             std::basic_string<Unit>& out) const
{
    out.resize(text.size());
    // Sixteen bytes at a time (any target has vectors that wide); the rest one by one.
    using Code = std::make_unsigned_t<Unit>;
    using Vector [[gnu::vector_size(16)]] = Code;
    constexpr std::size_t lanes = 16 / sizeof(Unit);
    std::size_t i = 0;
    for (; i + lanes <= text.size(); i += lanes) {
        Vector v;
        std::memcpy(&v, text.data() + i, 16);
        const Vector upper = reinterpret_cast<Vector>(v - Code('A') < Code(26));
        v |= upper & Code(0x20);
        std::memcpy(out.data() + i, &v, 16);
    }
    for (; i < text.size(); ++i)
        out[i] = Lower(text[i]);
    return out;
}

template <typename Unit>
bool LiteralCellPlan<Unit>::foldsUnseen(std::basic_string_view<Unit> text) const
{
    if (!m_options.ignoreCase || !m_kOrS)
        return false;
    // U+212A KELVIN SIGN and U+017F LATIN SMALL LETTER LONG S.
    if constexpr (sizeof(Unit) == 1)
        return text.find(kKelvin) != text.npos || text.find(kLongS) != text.npos;
    else
        return text.find(char16_t(0x212A)) != text.npos || text.find(char16_t(0x017F)) != text.npos;
}

template <typename Unit>
bool LiteralCellPlan<Unit>::unseenAt(std::basic_string_view<Unit> text, std::size_t at) const
{
    if constexpr (sizeof(Unit) == 1)
        return text.substr(at).starts_with(kKelvin) || text.substr(at).starts_with(kLongS);
    else
        return text[at] == 0x212A || text[at] == 0x017F;
}

template <typename Unit>
std::shared_ptr<const CompiledRegex<Unit>> LiteralCellPlan<Unit>::regex(std::size_t k) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_regexes[k]) {
        // LiteralCellsApply keeps out finds whose patterns could be refused.
        RegexProblem problem;
        m_regexes[k] = CompileRegex<Unit>(m_pairs[k].find, m_pairs[k].replace, problem,
                                          {true, m_options.wholeWords, m_options.ignoreCase});
    }
    return m_regexes[k];
}

template <typename Unit>
const std::vector<std::shared_ptr<const CompiledRegex<Unit>>>& LiteralCellPlan<Unit>::regexes() const
{
    for (std::size_t k = 0; k < m_pairs.size(); ++k)
        regex(k);
    std::lock_guard<std::mutex> hold(m_lock);
    return m_regexes;
}

bool LiteralCellsApply(const std::vector<QString>& finds, const MatchOptions& options)
{
    std::array<bool, 128> stop{};
    for (unsigned u = 0; u < 128; ++u)
        stop[u] = !AsciiWord(u);
    for (const QString& find : finds) {
        if (find.isEmpty() || find.size() > kLongestFind)
            return false;
        for (const QChar c : find) {
            if (c.unicode() < 128)
                stop[c.unicode()] = false;
            else if (options.ignoreCase)
                return false;
        }
    }
    return std::find(stop.begin(), stop.end(), true) != stop.end();
}

template class LiteralCellPlan<char>;
template class LiteralCellPlan<char16_t>;

} // namespace quorvane
