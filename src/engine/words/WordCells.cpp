#include "engine/words/WordCells.h"

#include "engine/RegexReplacer.h"
#include "engine/regex/RegexStream.h"
#include "engine/search/CandidateFilter.h"

#include <algorithm>
#include <unordered_map>

namespace quorvane {

namespace {

// \w among ASCII characters, as PCRE2 takes it with Unicode properties.
constexpr bool AsciiWord(unsigned u) { return (u | 0x20) - 'a' < 26 || u - '0' < 10 || u == '_'; }

template <typename Unit>
unsigned Code(Unit u) { return static_cast<std::make_unsigned_t<Unit>>(u); }

// Output gathered before it goes on; a longer unchanged stretch goes on as it is.
constexpr std::size_t kOutPiece = 1 << 16;
// Cells remembered per file, and the longest one remembered.
constexpr std::size_t kMemoCells = 1 << 16;
constexpr std::size_t kMemoUnits = 256;
// Finds up to this long compile to patterns well inside PCRE2's size limit.
constexpr qsizetype kLongestFind = 1000;

template <typename Unit>
struct ViewHash {
    using is_transparent = void;
    std::size_t operator()(std::basic_string_view<Unit> v) const { return std::hash<std::basic_string_view<Unit>>{}(v); }
};

// What the pairs make of one cell: its text, and the replacements by stage.
template <typename Unit>
struct CellResult {
    std::basic_string<Unit> text;
    std::vector<std::pair<std::uint32_t, std::int64_t>> counts;   // empty: the cell stays as it is
};

template <typename Unit>
class WordCellReplacer final : public StreamReplacer<Unit> {
public:
    using typename StreamReplacer<Unit>::View;
    using typename StreamReplacer<Unit>::Sink;
    using String = std::basic_string<Unit>;

    WordCellReplacer(std::shared_ptr<const WordCellPlan<Unit>> plan, const std::vector<size_t>& kept,
                     std::function<bool()> cancelled)
        : m_plan(std::move(plan)), m_kept(kept), m_cancel(std::move(cancelled)), m_counts(kept.size(), 0)
    {
    }

    void feed(View chunk, const Sink& sink) override
    {
        if (m_fallback) {
            m_fallback->feed(chunk, sink);
            return;
        }
        if (stopped())
            return;
        std::size_t from = 0;
        if (!m_pending.empty()) {
            // The held cell ends at the chunk's first stop.
            const std::size_t first = firstStop(chunk);
            if (first == chunk.size()) {
                m_pending.append(chunk);
                holdOrFallBack(sink);
                return;
            }
            m_pending.append(chunk.substr(0, first + 1));
            segment(m_pending, sink);
            m_pending.clear();
            from = first + 1;
        }
        std::size_t end = chunk.size();
        while (end > from && !isStop(chunk[end - 1]))
            --end;
        if (end > from)
            segment(chunk.substr(from, end - from), sink);
        flush(sink);
        m_pending.assign(chunk.substr(std::max(end, from)));
        holdOrFallBack(sink);
    }
    void finish(const Sink& sink) override
    {
        if (m_fallback) {
            m_fallback->finish(sink);
            return;
        }
        if (stopped())
            return;
        segment(m_pending, sink);
        m_pending.clear();
        flush(sink);
    }
    bool cancelled() const override { return m_cancelled || (m_fallback && m_fallback->cancelled()); }
    bool restartNeeded() const override { return false; }
    void addCounts(std::vector<std::int64_t>& counts) const override
    {
        for (size_t k = 0; k < m_kept.size(); ++k)
            counts[m_kept[k]] += m_counts[k];
        if (m_fallback)
            m_fallback->addCounts(counts);
    }
    QString failure() const override
    {
        if (m_fallback)
            return m_fallback->failure();
        return m_failure;
    }

private:
    bool isStop(Unit u) const { return m_plan->stop(u); }
    std::size_t firstStop(View text) const
    {
        std::size_t i = 0;
        while (i < text.size() && !isStop(text[i]))
            ++i;
        return i;
    }
    bool stopped()
    {
        if (!m_cancelled && m_cancel && m_cancel())
            m_cancelled = true;
        return m_cancelled || !m_failure.isEmpty();
    }
    // A stretch without a stop as long as a regular expression may reach is
    // not held any longer: the rest of the file goes through the chain (the
    // held text follows a stop or starts the file, so it changes as a whole text would).
    void holdOrFallBack(const Sink& sink)
    {
        if (m_pending.size() * sizeof(Unit) <= kRegexReachBytes)
            return;
        flush(sink);
        m_fallback = MakeRegexReplacer<Unit>(m_plan->regexes(), m_kept, m_cancel);
        m_fallback->feed(m_pending, sink);
        m_pending.clear();
        m_pending.shrink_to_fit();
    }
    void flush(const Sink& sink)
    {
        if (!m_out.empty())
            sink(m_out);
        m_out.clear();
    }
    // Unchanged text on to the output: a long stretch straight to the sink.
    void keep(View text, const Sink& sink)
    {
        if (text.size() < kOutPiece) {
            m_out.append(text);
        } else {
            flush(sink);
            sink(text);
        }
        if (m_out.size() >= kOutPiece)
            flush(sink);
    }

    // Replaces the cells of x, a stretch that starts the file or follows a
    // stop and ends with a stop or the file.
    void segment(View x, const Sink& sink)
    {
        const std::size_t n = x.size();
        m_hits.clear();
        // Only an occurrence that could be a whole word can make its cell change:
        // one beside an ASCII word character cannot.
        struct Report {
            WordCellReplacer& self;
            View x;
            bool known(std::uint32_t) const { return false; }
            void missed(std::uint32_t) {}
            void found(std::uint32_t i, std::size_t at)
            {
                const std::size_t end = at + self.m_plan->length(i);
                if ((at > 0 && Code(x[at - 1]) < 128 && AsciiWord(Code(x[at - 1])))
                    || (end < x.size() && Code(x[end]) < 128 && AsciiWord(Code(x[end]))))
                    return;
                self.m_hits.push_back(at);
            }
        } report{*this, x};
        m_plan->filter().scan(x.data(), n, n, report);
        std::sort(m_hits.begin(), m_hits.end());
        std::size_t done = 0;   // x[0..done) is on its way out
        for (const std::size_t at : m_hits) {
            if (at < done)
                continue;
            std::size_t left = at;
            while (left > done && !isStop(x[left - 1]))
                --left;
            std::size_t right = at;
            while (right < n && !isStop(x[right]))
                ++right;
            const CellResult<Unit>& cell = result(x.substr(left, right - left));
            if (!m_failure.isEmpty())
                return;
            if (!cell.counts.empty()) {
                keep(x.substr(done, left - done), sink);
                m_out.append(cell.text);
                for (const auto& [stage, count] : cell.counts)
                    m_counts[stage] += count;
            } else {
                keep(x.substr(done, right - done), sink);
            }
            done = right;
        }
        keep(x.substr(done), sink);
    }

    // The cell after every stage in turn, each over the whole cell.
    const CellResult<Unit>& result(View cell)
    {
        const bool memo = cell.size() <= kMemoUnits;
        if (memo) {
            const auto it = m_memo.find(cell);
            if (it != m_memo.end())
                return it->second;
        }
        CellResult<Unit> made;
        made.text.assign(cell);
        for (std::size_t from = 0;;) {
            const std::size_t stage = firstStage(made.text, from);
            if (stage == SIZE_MAX)
                break;
            RegexStream<Unit> stream(m_plan->regex(stage));
            String out;
            const Sink append = [&out](View piece) { out.append(piece); };
            stream.feed(made.text, append);
            stream.finish(append);
            if (!stream.failure().isEmpty()) {
                m_failure = QStringLiteral("Pattern %1: %2").arg(m_kept[stage] + 1).arg(stream.failure());
                break;
            }
            if (stream.count() > 0) {
                made.counts.push_back({std::uint32_t(stage), stream.count()});
                made.text = std::move(out);
            }
            from = stage + 1;
        }
        if (!memo) {
            m_scratch = std::move(made);
            return m_scratch;
        }
        if (m_memo.size() >= kMemoCells)
            m_memo.clear();
        return m_memo.emplace(String(cell), std::move(made)).first->second;
    }

    // The first stage from `from` on whose find occurs in text, or SIZE_MAX.
    std::size_t firstStage(const String& text, std::size_t from) const
    {
        struct Report {
            const CandidateFilter<Unit>& filter;
            std::size_t from;
            std::size_t first = SIZE_MAX;
            bool known(std::uint32_t) const { return false; }
            void missed(std::uint32_t) {}
            void found(std::uint32_t i, std::size_t)
            {
                const auto& pairs = filter.pairsOf(i);
                const auto it = std::lower_bound(pairs.begin(), pairs.end(), std::uint32_t(from));
                if (it != pairs.end())
                    first = std::min<std::size_t>(first, *it);
            }
        } report{m_plan->filter(), from};
        m_plan->filter().scan(text.data(), text.size(), text.size(), report);
        return report.first;
    }

    std::shared_ptr<const WordCellPlan<Unit>> m_plan;
    const std::vector<size_t>& m_kept;
    std::function<bool()> m_cancel;
    std::vector<std::int64_t> m_counts;   // by stage
    String m_pending;                     // the cell not yet ended by a stop
    String m_out;
    std::vector<std::size_t> m_hits;
    std::unordered_map<String, CellResult<Unit>, ViewHash<Unit>, std::equal_to<>> m_memo;
    CellResult<Unit> m_scratch;
    std::unique_ptr<StreamReplacer<Unit>> m_fallback;
    bool m_cancelled = false;
    QString m_failure;
};

} // namespace

template <typename Unit>
WordCellPlan<Unit>::WordCellPlan(std::vector<Pair> pairs) : m_pairs(std::move(pairs)), m_regexes(m_pairs.size())
{
    std::vector<std::basic_string<Unit>> finds;
    for (const Pair& pair : m_pairs) {
        if constexpr (sizeof(Unit) == 1) {
            const QByteArray bytes = pair.find.toUtf8();
            finds.emplace_back(bytes.constData(), std::size_t(bytes.size()));
        } else {
            finds.emplace_back(reinterpret_cast<const char16_t*>(pair.find.utf16()), std::size_t(pair.find.size()));
        }
    }
    std::vector<const std::basic_string<Unit>*> texts;
    for (const auto& find : finds)
        texts.push_back(&find);
    m_filter = std::make_unique<const CandidateFilter<Unit>>(texts);
    for (std::size_t i = 0; i < m_filter->size(); ++i)
        m_lengths.push_back(finds[m_filter->pairsOf(i).front()].size());
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
WordCellPlan<Unit>::~WordCellPlan() = default;

template <typename Unit>
bool WordCellPlan<Unit>::stop(Unit u) const
{
    return Code(u) < 128 && m_stop[Code(u)];
}

template <typename Unit>
std::shared_ptr<const CompiledRegex<Unit>> WordCellPlan<Unit>::regex(std::size_t k) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_regexes[k]) {
        // WordCellsApply keeps out finds whose patterns could be refused.
        RegexProblem problem;
        m_regexes[k] = CompileRegex<Unit>(m_pairs[k].find, m_pairs[k].replace, problem, {true, true, false});
    }
    return m_regexes[k];
}

template <typename Unit>
const std::vector<std::shared_ptr<const CompiledRegex<Unit>>>& WordCellPlan<Unit>::regexes() const
{
    for (std::size_t k = 0; k < m_pairs.size(); ++k)
        regex(k);
    std::lock_guard<std::mutex> hold(m_lock);
    return m_regexes;
}

bool WordCellsApply(const std::vector<QString>& finds)
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
        }
    }
    return std::find(stop.begin(), stop.end(), true) != stop.end();
}

template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> MakeWordCellReplacer(std::shared_ptr<const WordCellPlan<Unit>> plan,
                                                           const std::vector<size_t>& kept,
                                                           std::function<bool()> cancelled)
{
    return std::make_unique<WordCellReplacer<Unit>>(std::move(plan), kept, std::move(cancelled));
}

template class WordCellPlan<char>;
template class WordCellPlan<char16_t>;
template std::unique_ptr<StreamReplacer<char>> MakeWordCellReplacer(std::shared_ptr<const WordCellPlan<char>>,
                                                                    const std::vector<size_t>&, std::function<bool()>);
template std::unique_ptr<StreamReplacer<char16_t>> MakeWordCellReplacer(
    std::shared_ptr<const WordCellPlan<char16_t>>, const std::vector<size_t>&, std::function<bool()>);

} // namespace quorvane
