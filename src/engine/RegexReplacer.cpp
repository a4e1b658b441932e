#include "engine/RegexReplacer.h"

#include "engine/regex/RegexStream.h"

namespace quorvane {

namespace {

template <typename Unit>
class RegexReplacer final : public StreamReplacer<Unit> {
public:
    using typename StreamReplacer<Unit>::View;
    using typename StreamReplacer<Unit>::Sink;

    RegexReplacer(const std::vector<std::shared_ptr<const CompiledRegex<Unit>>>& regexes,
                  const std::vector<size_t>& kept, std::function<bool()> cancelled)
        : m_kept(kept), m_cancel(std::move(cancelled))
    {
        for (const auto& regex : regexes)
            m_stages.push_back(std::make_unique<RegexStream<Unit>>(regex));
    }
    void feed(View chunk, const Sink& sink) override { pass(0, chunk, sink); }
    void finish(const Sink& sink) override
    {
        // Each stage's last output goes through the stages after it before those finish.
        for (size_t k = 0; k < m_stages.size() && !stopped(); ++k)
            m_stages[k]->finish([&](View piece) { pass(k + 1, piece, sink); });
    }
    bool cancelled() const override { return m_cancelled; }
    bool restartNeeded() const override { return false; }
    void addCounts(std::vector<std::int64_t>& counts) const override
    {
        for (size_t k = 0; k < m_stages.size() && k < m_kept.size(); ++k)
            counts[m_kept[k]] += m_stages[k]->count();
    }
    QString failure() const override
    {
        for (size_t k = 0; k < m_stages.size(); ++k) {
            if (!m_stages[k]->failure().isEmpty())
                return QStringLiteral("Pattern %1: %2").arg(m_kept[k] + 1).arg(m_stages[k]->failure());
        }
        return {};
    }

private:
    // Hands piece to stage k, or to sink after the last stage.
    void pass(size_t k, View piece, const Sink& sink)
    {
        if (stopped())
            return;
        if (k == m_stages.size())
            sink(piece);
        else
            m_stages[k]->feed(piece, [&](View out) { pass(k + 1, out, sink); });
    }
    bool stopped()
    {
        if (!m_cancelled && m_cancel && m_cancel())
            m_cancelled = true;
        if (m_cancelled)
            return true;
        for (const auto& stage : m_stages) {
            if (!stage->failure().isEmpty())
                return true;
        }
        return false;
    }

    std::vector<std::unique_ptr<RegexStream<Unit>>> m_stages;
    const std::vector<size_t>& m_kept;
    std::function<bool()> m_cancel;
    bool m_cancelled = false;
};

} // namespace

template <typename Unit>
std::unique_ptr<StreamReplacer<Unit>> MakeRegexReplacer(
    const std::vector<std::shared_ptr<const CompiledRegex<Unit>>>& regexes, const std::vector<size_t>& kept,
    std::function<bool()> cancelled)
{
    return std::make_unique<RegexReplacer<Unit>>(regexes, kept, std::move(cancelled));
}

template std::unique_ptr<StreamReplacer<char>> MakeRegexReplacer(
    const std::vector<std::shared_ptr<const CompiledRegex<char>>>&, const std::vector<size_t>&, std::function<bool()>);
template std::unique_ptr<StreamReplacer<char16_t>> MakeRegexReplacer(
    const std::vector<std::shared_ptr<const CompiledRegex<char16_t>>>&, const std::vector<size_t>&,
    std::function<bool()>);

} // namespace quorvane
