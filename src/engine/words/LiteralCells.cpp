#include "engine/words/LiteralCells.h"

#include "engine/RegexReplacer.h"
#include "engine/regex/RegexStream.h"
#include "engine/replace/SideBySide.h"
#include "engine/search/CandidateFilter.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace quorvane {

using cells::AsciiWord;
using cells::Code;

namespace {

// A stretch long enough that the filter's scan is worth splitting between two threads.
constexpr std::size_t kSplitScan = std::size_t(1) << 18;
// Output gathered before it goes on; a longer unchanged stretch goes on as it is.
constexpr std::size_t kOutPiece = 1 << 16;
// Cells remembered per file, and the longest one remembered.
constexpr std::size_t kMemoCells = 1 << 14;
constexpr std::size_t kMemoUnits = 256;

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
class LiteralCellReplacer final : public StreamReplacer<Unit> {
public:
    using typename StreamReplacer<Unit>::View;
    using typename StreamReplacer<Unit>::Sink;
    using String = std::basic_string<Unit>;

    LiteralCellReplacer(std::shared_ptr<const LiteralCellPlan<Unit>> plan, const std::vector<size_t>& kept,
                        std::function<bool()> cancelled, std::size_t stretch, std::size_t reach)
        : m_plan(std::move(plan)), m_kept(kept), m_cancel(std::move(cancelled)), m_counts(kept.size(), 0),
          m_stretch(stretch), m_reach(reach)
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
        // Stretches long enough to scan in two halves side by side.
        m_pending.append(chunk);
        if (m_pending.size() < m_stretch)
            return;
        std::size_t end = m_pending.size();
        while (end > 0 && !isStop(m_pending[end - 1]))
            --end;
        if (end == 0) {
            holdOrFallBack(sink);
            return;
        }
        segment(View(m_pending).substr(0, end), sink);
        flush(sink);
        m_pending.erase(0, end);
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
        if (m_pending.size() <= m_reach)
            return;
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
        const MatchOptions& options = m_plan->options();
        // For whole words, only an occurrence that could be one can make its
        // cell change: one beside an ASCII word character cannot.
        // Each class of the filter reports nearly in order: an insertion sort
        // within a class, then a merge with the classes before.
        struct Report {
            const LiteralCellPlan<Unit>& plan;
            View x;
            std::vector<Hit>& hits;
            std::size_t base;   // where the scanned text starts in x
            std::size_t classStart = 0;
            bool known(std::uint32_t) const { return false; }
            void missed(std::uint32_t) {}
            void found(std::uint32_t i, std::size_t from)
            {
                const std::size_t at = base + from;
                const std::size_t end = at + plan.length(i);
                if (plan.options().wholeWords && ((at > 0 && Code(x[at - 1]) < 128 && AsciiWord(Code(x[at - 1])))
                    || (end < x.size() && Code(x[end]) < 128 && AsciiWord(Code(x[end])))))
                    return;
                std::size_t j = hits.size();
                const Hit hit{at, i};
                hits.push_back(hit);
                for (; j > classStart && at < hits[j - 1].at; --j)
                    hits[j] = hits[j - 1];
                hits[j] = hit;
            }
            void nextClass()
            {
                std::inplace_merge(hits.begin(), hits.begin() + std::ptrdiff_t(classStart), hits.end(),
                                   [](const Hit& a, const Hit& b) { return a.at < b.at; });
                classStart = hits.size();
            }
        };
        const CandidateFilter<Unit>& filter = m_plan->filter();
        const Unit* const scanned = options.ignoreCase ? m_plan->folded(x, m_folded).data() : x.data();
        Report first{*m_plan, x, m_hits, 0};
        if (n < kSplitScan) {
            filter.scan(scanned, n, n, first);
            first.nextClass();
        } else {
            // Every occurrence starts in one half; the first half's scan reads on past its end.
            const std::size_t half = n / 2;
            m_secondHits.clear();
            Report second{*m_plan, x, m_secondHits, half};
            RunSideBySide([&] { filter.scan(scanned, n, half, first); first.nextClass(); },
                          [&] { filter.scan(scanned + half, n - half, n - half, second); second.nextClass(); });
            m_hits.insert(m_hits.end(), m_secondHits.begin(), m_secondHits.end());
        }
        if (m_plan->foldsUnseen(x)) {
            // Rare: the cells of characters the folding cannot see go through every pair.
            for (std::size_t at = 0; at < n; ++at) {
                if (m_plan->unseenAt(x, at))
                    m_hits.push_back({at, kNoFind});
            }
            std::sort(m_hits.begin(), m_hits.end(), [](const Hit& a, const Hit& b) { return a.at < b.at; });
        }
        std::size_t done = 0;   // x[0..done) is on its way out
        for (const Hit& hit : m_hits) {
            const std::size_t at = hit.at;
            if (at < done)
                continue;
            std::size_t left = at;
            while (left > done && !isStop(x[left - 1]))
                --left;
            const std::size_t length = hit.find == kNoFind ? 0 : m_plan->length(hit.find);
            std::size_t right = at + length;
            while (right < n && !isStop(x[right]))
                ++right;
            // Most cells that change are a find alone: remembered by its number
            // (ignoring case, when they are the find's own letters).
            const bool alone = hit.find != kNoFind && left == at && right == at + length
                               && (!options.ignoreCase || x.substr(left, right - left) == m_plan->text(hit.find));
            const CellResult<Unit>& cell = alone ? resultOf(hit.find, x.substr(left, right - left))
                                                 : result(x.substr(left, right - left));
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

    // result() of a cell that is distinct find i alone.
    const CellResult<Unit>& resultOf(std::uint32_t i, View cell)
    {
        if (m_byFind.empty())
            m_byFind.resize(m_plan->filter().size());
        if (!m_byFind[i])
            m_byFind[i] = std::make_unique<CellResult<Unit>>(compute(cell));
        return *m_byFind[i];
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
        if (!memo) {
            m_scratch = compute(cell);
            return m_scratch;
        }
        if (m_memo.size() >= kMemoCells)
            m_memo.clear();
        return m_memo.emplace(String(cell), compute(cell)).first->second;
    }

    CellResult<Unit> compute(View cell)
    {
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
        return made;
    }

    // The first stage from `from` on whose find occurs in text (may occur,
    // where the filter cannot tell), or SIZE_MAX.
    std::size_t firstStage(const String& text, std::size_t from) const
    {
        if (m_plan->foldsUnseen(text))
            return from < m_kept.size() ? from : SIZE_MAX;
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
        String folded;
        const String& scanned = m_plan->options().ignoreCase ? m_plan->folded(text, folded) : text;
        m_plan->filter().scan(scanned.data(), scanned.size(), scanned.size(), report);
        return report.first;
    }

    std::shared_ptr<const LiteralCellPlan<Unit>> m_plan;
    const std::vector<size_t>& m_kept;
    std::function<bool()> m_cancel;
    std::vector<std::int64_t> m_counts;   // by stage
    std::size_t m_stretch;                // input gathered before its cells are replaced
    std::size_t m_reach;                  // the longest stretch without a stop held
    String m_pending;                     // the cell not yet ended by a stop
    String m_out;
    struct Hit {
        std::size_t at;
        std::uint32_t find;   // the distinct find's number in the filter, or kNoFind
    };
    static constexpr std::uint32_t kNoFind = UINT32_MAX;
    std::vector<Hit> m_hits;
    std::vector<Hit> m_secondHits;
    String m_folded;
    std::vector<std::unique_ptr<CellResult<Unit>>> m_byFind;
    std::unordered_map<String, CellResult<Unit>, ViewHash<Unit>, std::equal_to<>> m_memo;
    CellResult<Unit> m_scratch;
    std::unique_ptr<StreamReplacer<Unit>> m_fallback;
    bool m_cancelled = false;
    QString m_failure;
};

} // namespace

template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> MakeLiteralCellReplacer(std::shared_ptr<const LiteralCellPlan<Unit>> plan,
                                                              const std::vector<size_t>& kept,
                                                              std::function<bool()> cancelled,
                                                              std::size_t stretchUnits, std::size_t reachUnits)
{
    return std::make_unique<LiteralCellReplacer<Unit>>(std::move(plan), kept, std::move(cancelled), stretchUnits,
                                                       reachUnits);
}

template std::unique_ptr<StreamReplacer<char>> MakeLiteralCellReplacer(std::shared_ptr<const LiteralCellPlan<char>>,
                                                                       const std::vector<size_t>&,
                                                                       std::function<bool()>, std::size_t,
                                                                       std::size_t);
template std::unique_ptr<StreamReplacer<char16_t>> MakeLiteralCellReplacer(
    std::shared_ptr<const LiteralCellPlan<char16_t>>, const std::vector<size_t>&, std::function<bool()>, std::size_t,
    std::size_t);

} // namespace quorvane
