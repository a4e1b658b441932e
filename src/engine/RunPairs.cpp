#include "engine/RunPairs.h"

#include "engine/RegexReplacer.h"
#include "engine/text/UnitText.h"
#include "engine/replace/ReplacePipeline.h"
#include "engine/words/LiteralCells.h"

namespace quorvane {

namespace {

// The slot of Unit's width: forBytes for char, forUnits for char16_t.
template <typename Unit, typename Bytes, typename Units>
auto& Width(Bytes& forBytes, Units& forUnits)
{
    if constexpr (sizeof(Unit) == 1)
        return forBytes;
    else
        return forUnits;
}

// What slot holds, made by make on its first use; lock guards the slot, so
// every file of the run, on any thread, shares the one made.
template <typename T, typename Make>
std::shared_ptr<const T> MadeOnce(std::mutex& lock, std::shared_ptr<const T>& slot, const Make& make)
{
    std::lock_guard<std::mutex> hold(lock);
    if (!slot)
        slot = make();
    return slot;
}

// Exact, case-sensitive replace-all of every pair in turn: the streaming pipeline.
template <typename Unit>
class ExactReplacer final : public StreamReplacer<Unit> {
public:
    using typename StreamReplacer<Unit>::View;
    using typename StreamReplacer<Unit>::Sink;

    ExactReplacer(std::shared_ptr<const PreparedPairs<Unit>> prepared, bool onePass,
                  std::function<bool()> cancelled, const std::vector<size_t>& kept)
        : m_pipeline(std::move(prepared), onePass), m_kept(kept)
    {
        if (cancelled)
            m_pipeline.setCancel(std::move(cancelled));
    }
    void feed(View chunk, const Sink& sink) override { m_pipeline.feed(chunk, sink); }
    void finish(const Sink& sink) override { m_pipeline.finish(sink); }
    bool cancelled() const override { return m_pipeline.cancelled(); }
    bool restartNeeded() const override { return m_pipeline.restartNeeded(); }
    QString failure() const override { return {}; }
    bool leavesUnchanged(View whole) const override { return m_pipeline.holdsNoFind(whole); }
    void addCounts(std::vector<std::int64_t>& counts) const override
    {
        const std::vector<std::int64_t>& made = m_pipeline.counts();
        for (const std::uint32_t k : m_pipeline.countedPairs())
            counts[m_kept[k]] += made[k];
    }
    bool countedPairs(std::vector<size_t>& pairs) const override
    {
        for (const std::uint32_t k : m_pipeline.countedPairs())
            pairs.push_back(m_kept[k]);
        return true;
    }

private:
    ReplacePipeline<Unit> m_pipeline;
    const std::vector<size_t>& m_kept;
};

} // namespace

RunPairs::RunPairs(std::vector<Pair> pairs, MatcherKind matcher, MatchOptions options)
    : m_pairs(std::move(pairs)), m_matcher(matcher), m_options(options),
      m_exactPipeline(matcher == MatcherKind::Exact && options == MatchOptions{})
{
    // An empty find changes nothing, so it never reaches a pipeline.
    for (size_t i = 0; i < m_pairs.size(); ++i) {
        if (!m_pairs[i].find.isEmpty())
            m_kept.push_back(i);
    }
    if (!m_exactPipeline) {
        std::vector<QString> finds;
        for (size_t i : m_kept)
            finds.push_back(m_pairs[i].find);
        // Cell by cell, each pattern is compiled when first needed.
        m_literalCells = m_matcher == MatcherKind::Exact && LiteralCellsApply(finds, options);
    }
    if (!m_exactPipeline && !m_literalCells) {
        const RegexOptions regex{m_matcher == MatcherKind::Exact, options.wholeWords, options.ignoreCase};
        for (size_t i : m_kept) {
            RegexProblem problem;
            auto units = CompileRegex<char16_t>(m_pairs[i].find, m_pairs[i].replace, problem, regex);
            auto bytes = units ? CompileRegex<char>(m_pairs[i].find, m_pairs[i].replace, problem, regex) : nullptr;
            if (!bytes) {
                m_problem = {i, problem};
                m_byteRegexes.clear();
                m_unitRegexes.clear();
                break;
            }
            m_unitRegexes.push_back(std::move(units));
            m_byteRegexes.push_back(std::move(bytes));
        }
    }
}

RunPairs::~RunPairs() = default;

QString RunPairs::problemText() const
{
    if (!m_problem.failed())
        return {};
    const RegexProblem& p = m_problem.problem;
    const Pair& pair = m_pairs[m_problem.pair];
    const QString& text = p.inReplacement ? pair.replace : pair.find;
    const QString where = p.offset >= text.size() ? QStringLiteral("at the end")
                                                  : QStringLiteral("at character %1").arg(p.offset + 1);
    return QStringLiteral("%1 %2 \"%3\": %4 (%5)")
        .arg(p.inReplacement ? QStringLiteral("Replacement") : QStringLiteral("Pattern"))
        .arg(m_problem.pair + 1)
        .arg(text, p.message, where);
}

template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> RunPairs::makeRegex(std::function<bool()> cancelled) const
{
    return MakeRegexReplacer<Unit>(Width<Unit>(m_byteRegexes, m_unitRegexes), m_kept, std::move(cancelled));
}

template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> RunPairs::makeLiteralCells(std::function<bool()> cancelled) const
{
    auto plan = MadeOnce(m_lock, Width<Unit>(m_cellBytes, m_cellUnits), [this] {
        std::vector<Pair> kept;
        for (size_t i : m_kept)
            kept.push_back(m_pairs[i]);
        return std::make_shared<const LiteralCellPlan<Unit>>(std::move(kept), m_options);
    });
    return MakeLiteralCellReplacer<Unit>(std::move(plan), m_kept, std::move(cancelled));
}

template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> RunPairs::make(bool onePass, std::function<bool()> cancelled) const
{
    // A run with a refused pair never starts; were it asked anyway, its
    // replacer would change nothing.
    if (m_literalCells)
        return makeLiteralCells<Unit>(std::move(cancelled));
    if (!m_exactPipeline)
        return makeRegex<Unit>(std::move(cancelled));
    auto prepared = MadeOnce(m_lock, Width<Unit>(m_bytes, m_units), [this] {
        std::vector<UnitPair<Unit>> units;
        units.reserve(m_kept.size());
        for (size_t i : m_kept)
            units.push_back({UnitsOf<Unit>(m_pairs[i].find), UnitsOf<Unit>(m_pairs[i].replace)});
        return PreparePairs(std::move(units));
    });
    return std::make_unique<ExactReplacer<Unit>>(std::move(prepared), onePass, std::move(cancelled), m_kept);
}

std::unique_ptr<StreamReplacer<char>> RunPairs::bytes(bool onePass, std::function<bool()> cancelled) const
{
    return make<char>(onePass, std::move(cancelled));
}

std::unique_ptr<StreamReplacer<char16_t>> RunPairs::units(bool onePass, std::function<bool()> cancelled) const
{
    return make<char16_t>(onePass, std::move(cancelled));
}

} // namespace quorvane
