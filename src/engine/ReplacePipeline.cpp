#include "ReplacePipeline.h"

#include "RoomBuffer.h"
#include "Search.h"

#include <algorithm>
#include <utility>

// Input is gathered into stretches; each stretch runs through every stage
// before the next one is gathered, so the text stays in cache while the pairs
// work on it. A stage holds back the last (find length - 1) units it saw after
// its last match: they may begin a match that the next stretch completes.
// Stages without a match in their stretch only move their tail; the text
// itself is copied only by stages that change it.

namespace quorvane {

template <typename Unit>
struct ReplacePipeline<Unit>::Impl {
    struct Stage {
        LiteralFinder<Unit> finder;
        String replace;
        String tail;  // input not yet settled: it may begin a match
    };

    std::vector<Stage> stages;
    std::vector<std::int64_t> counts;
    std::size_t stretch = 0;
    std::size_t room = 0;  // room for every stage's tail in front of the text
    RoomBuffer<Unit> cur, spare;

    Impl(std::vector<UnitPair<Unit>>& pairs, const PipelineTuning& tuning);
    void run(bool final, const Sink& sink);
    void runStage(Stage& s, std::int64_t& count, bool final);
};

template <typename Unit>
ReplacePipeline<Unit>::Impl::Impl(std::vector<UnitPair<Unit>>& pairs, const PipelineTuning& tuning)
    : counts(pairs.size(), 0)
{
    stages.reserve(pairs.size());
    for (auto& p : pairs) {
        if (!p.find.empty()) room += p.find.size() - 1;
        stages.push_back(Stage{LiteralFinder<Unit>(std::move(p.find)), std::move(p.replace), {}});
    }
    stretch = tuning.stretchUnits ? tuning.stretchUnits : std::size_t(1) << 16;
    cur.reset(room);
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::run(bool final, const Sink& sink)
{
    for (std::size_t k = 0; k < stages.size(); ++k) runStage(stages[k], counts[k], final);
    if (cur.size()) sink(View(cur.data(), cur.size()));
    cur.reset(room);
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::runStage(Stage& s, std::int64_t& count, bool final)
{
    const std::size_t m = s.finder.needle().size();
    if (m == 0) return;  // an empty find changes nothing
    cur.prepend(s.tail.data(), s.tail.size());
    const Unit* text = cur.data();
    const std::size_t n = cur.size();
    // Everything before `settled` is final: a match starting there would have
    // to end inside the text, and all such matches are found below.
    std::size_t settled = final ? n : n - std::min(n, m - 1);
    std::size_t p = s.finder.find(text, n);
    if (p == n) {
        s.tail.assign(text + settled, n - settled);
        cur.truncate(settled);
        return;
    }
    spare.reset(room);
    std::size_t pos = 0;
    do {
        spare.append(text + pos, p - pos);
        spare.append(s.replace.data(), s.replace.size());
        pos = p + m;
        ++count;
        p = pos + s.finder.find(text + pos, n - pos);
    } while (p < n);
    settled = std::max(settled, pos);
    spare.append(text + pos, settled - pos);
    s.tail.assign(text + settled, n - settled);
    std::swap(cur, spare);
}

template <typename Unit>
ReplacePipeline<Unit>::ReplacePipeline(std::vector<UnitPair<Unit>> pairs)
    : ReplacePipeline(std::move(pairs), PipelineTuning{})
{
}

template <typename Unit>
ReplacePipeline<Unit>::ReplacePipeline(std::vector<UnitPair<Unit>> pairs, const PipelineTuning& tuning)
    : d(new Impl(pairs, tuning))
{
}

template <typename Unit>
ReplacePipeline<Unit>::~ReplacePipeline()
{
    delete d;
}

template <typename Unit>
void ReplacePipeline<Unit>::feed(View chunk, const Sink& sink)
{
    while (!chunk.empty()) {
        const std::size_t take = std::min(chunk.size(), d->stretch - std::min(d->stretch, d->cur.size()));
        d->cur.append(chunk.data(), take);
        chunk.remove_prefix(take);
        if (d->cur.size() >= d->stretch) d->run(false, sink);
    }
}

template <typename Unit>
void ReplacePipeline<Unit>::finish(const Sink& sink)
{
    d->run(true, sink);
}

template <typename Unit>
const std::vector<std::int64_t>& ReplacePipeline<Unit>::counts() const
{
    return d->counts;
}

template <typename Unit>
std::basic_string<Unit> ReplaceAllReference(std::basic_string<Unit> text,
                                            const std::vector<UnitPair<Unit>>& pairs,
                                            std::vector<std::int64_t>* counts)
{
    if (counts) counts->assign(pairs.size(), 0);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const auto& [find, replace] = pairs[k];
        if (find.empty()) continue;
        std::basic_string<Unit> out;
        std::size_t pos = 0;
        for (std::size_t p; (p = text.find(find, pos)) != text.npos; pos = p + find.size()) {
            out.append(text, pos, p - pos);
            out += replace;
            if (counts) ++(*counts)[k];
        }
        out.append(text, pos);
        text.swap(out);
    }
    return text;
}

template class ReplacePipeline<char>;
template class ReplacePipeline<char16_t>;
template std::string ReplaceAllReference(std::string, const std::vector<UnitPair<char>>&,
                                         std::vector<std::int64_t>*);
template std::u16string ReplaceAllReference(std::u16string, const std::vector<UnitPair<char16_t>>&,
                                            std::vector<std::int64_t>*);

} // namespace quorvane
