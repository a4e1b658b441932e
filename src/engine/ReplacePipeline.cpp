#include "ReplacePipeline.h"

#include "CandidateFilter.h"
#include "HitLog.h"
#include "RoomBuffer.h"
#include "Search.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

// Input is gathered into stretches; each stretch runs through every stage
// before the next one is gathered, so the text stays in cache while the pairs
// work on it. A stage holds back the last (find length - 1) units it saw after
// its last match: they may begin a match that the next stretch completes.
// Stages without a match in their stretch only move their tail; the text
// itself is copied only by stages that change it.
//
// With many pairs a candidate filter decides which stages need to search at
// all. Pair k must search whenever its find text occurs in its input. Such an
// occurrence either is untouched original text, which the filter saw when its
// last unit arrived, or overlaps text inserted (or a join left) by an earlier
// pair, in which case it lies within (longest find - 1) units of that
// insertion in the earlier pair's output, and that window is scanned too. Each
// stretch gets a stamp; units carry (a lower bound of) the stamp of the stretch
// that brought or inserted them, tails included. Pair k searches only where it
// was reported in this stretch, and in the part put in front from the tails
// when it was reported earlier at a stamp no older than the oldest unit in its
// input (HitLog keeps those ranges).

namespace quorvane {

template <typename Unit>
struct ReplacePipeline<Unit>::Impl {
    // What every stretch touches for every pair, kept small: with thousands of
    // pairs most stages only move their tail and history.
    struct Stage {
        std::size_t find = 0;       // find length; 0 passes everything through
        std::size_t tailLen = 0;    // input not yet settled: it may begin a match
        std::size_t historyLen = 0; // filter only: the last emitted units
        std::size_t pending = 0;    // filter only: window units still to come
        std::int64_t tailStamp = 0;
        Unit* tail = nullptr;       // find - 1 units of `store`, then the history
    };
    struct Work {
        LiteralFinder<Unit> finder;
        String replace;
    };
    using Span = std::pair<std::size_t, std::size_t>;

    std::vector<Stage> stages;
    std::vector<Work> work;
    std::unique_ptr<Unit[]> store;
    std::vector<std::int64_t> counts;
    std::size_t stretch = 0;
    std::size_t room = 0;         // room for every stage's tail in front of the text
    std::size_t front = 0;        // room kept in front: the tails, plus slack for growth
    std::vector<std::size_t> laterRoom;  // room the stages after k may still take
    RoomBuffer<Unit> cur, spare;
    std::vector<std::size_t> matches;
    String middle;

    std::unique_ptr<CandidateFilter<Unit>> filter;
    std::size_t reach = 0;  // longest find length - 1
    HitLog hits;
    String inputHistory;    // the last original units before this stretch
    std::vector<Span> inserts;
    std::vector<Span> ranges;  // where the current stage searches
    String scratch;

    Impl(std::vector<UnitPair<Unit>>& pairs, const PipelineTuning& tuning);
    void run(bool final, const Sink& sink);
    void scanInput();
    void runStage(std::size_t k, bool final, std::int64_t& minStamp);
    void applyMatches(std::size_t k, std::size_t settled);
    template <typename Out>
    void rebuild(std::size_t k, Out& out, std::size_t base, std::size_t from, std::size_t to);
    void keepHistory(Stage& s);
    void scanWindows(const Stage& s, std::size_t k);
    void scanWindow(const Stage& s, std::ptrdiff_t from, std::ptrdiff_t to, std::size_t k);
    Unit* history(const Stage& s) const { return s.tail + (s.find - 1); }
};

// memcpy for units; empty copies may come with null pointers.
template <typename Unit>
void CopyUnits(Unit* to, const Unit* from, std::size_t n)
{
    if (n) std::memcpy(to, from, n * sizeof(Unit));
}

// Keeps the last `keep` units of history + added in history.
template <typename String, typename Unit>
void KeepLast(String& history, const Unit* added, std::size_t n, std::size_t keep)
{
    if (n >= keep) {
        history.assign(added + n - keep, keep);
    } else {
        history.append(added, n);
        if (history.size() > keep) history.erase(0, history.size() - keep);
    }
}

template <typename Unit>
ReplacePipeline<Unit>::Impl::Impl(std::vector<UnitPair<Unit>>& pairs, const PipelineTuning& tuning)
    : counts(pairs.size(), 0)
{
    std::vector<const String*> finds;
    for (auto& p : pairs) finds.push_back(&p.find);
    auto candidates = std::make_unique<CandidateFilter<Unit>>(finds);
    if (candidates->size() >= std::max<std::size_t>(1, tuning.filterFromFindTexts)) {
        reach = candidates->longest() - 1;
        filter = std::move(candidates);
        std::vector<std::vector<std::uint32_t>> textPairs;
        std::vector<std::size_t> lengths;
        for (std::size_t i = 0; i < filter->size(); ++i) {
            textPairs.push_back(filter->pairsOf(i));
            lengths.push_back(finds[textPairs.back().front()]->size());
        }
        hits.init(pairs.size(), std::move(textPairs), std::move(lengths));
    }
    std::size_t stored = 0;
    for (const auto& p : pairs)
        if (!p.find.empty()) stored += p.find.size() - 1 + (filter ? reach : 0);
    store.reset(new Unit[stored + 1]);
    stages.resize(pairs.size());
    work.reserve(pairs.size());
    for (std::size_t k = 0, at = 0; k < pairs.size(); ++k) {
        if (const std::size_t m = pairs[k].find.size()) {
            stages[k].find = m;
            stages[k].tail = store.get() + at;
            at += m - 1 + (filter ? reach : 0);
            room += m - 1;
        }
        work.push_back(Work{LiteralFinder<Unit>(std::move(pairs[k].find)), std::move(pairs[k].replace)});
    }
    // Stages that skip a stretch still move their tail and history, so with
    // many pairs the stretch grows to keep that work small beside the text;
    // a stage that replaces copies its whole stretch, which caps the growth.
    const std::size_t perStretch = filter ? stored : 0;
    stretch = tuning.stretchUnits ? tuning.stretchUnits
                                  : std::clamp<std::size_t>(2 * perStretch, std::size_t(1) << 16, std::size_t(1) << 20);
    laterRoom.assign(stages.size(), 0);
    for (std::size_t k = stages.size(); k-- > 1;)
        laterRoom[k - 1] = laterRoom[k] + (stages[k].find ? stages[k].find - 1 : 0);
    front = room + stretch / 8 + 64;
    cur.reset(front);
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::run(bool final, const Sink& sink)
{
    hits.next();
    if (filter) scanInput();
    std::int64_t minStamp = hits.stamp;
    for (std::size_t k = 0; k < stages.size(); ++k) runStage(k, final, minStamp);
    if (cur.size()) sink(View(cur.data(), cur.size()));
    cur.reset(front);
}

// Reports every find text that ends in the new stretch, including those that
// begin in the previous one.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::scanInput()
{
    const std::size_t n = cur.size();
    if (!inputHistory.empty()) {
        scratch.assign(inputHistory);
        scratch.append(cur.data(), std::min(n, reach));
        HitLog::InputReport overlap{hits, -std::int64_t(inputHistory.size())};
        filter->scan(scratch.data(), scratch.size(), inputHistory.size(), overlap);
    }
    HitLog::InputReport report{hits, 0};
    filter->scan(cur.data(), n, n, report);
    KeepLast(inputHistory, cur.data(), n, reach);
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::runStage(std::size_t k, bool final, std::int64_t& minStamp)
{
    Stage& s = stages[k];
    const std::size_t m = s.find;
    if (m == 0) return;  // an empty find changes nothing
    const std::size_t oldTail = s.tailLen;
    const std::int64_t incoming = minStamp;
    if (oldTail) {
        cur.prepend(s.tail, oldTail);
        hits.prepended += std::int64_t(oldTail);
        minStamp = std::min(minStamp, s.tailStamp);
    }
    const Unit* text = cur.data();
    const std::size_t n = cur.size();
    // Everything before `settled` is final: a match starting there would have
    // to end inside the text, and all such matches are found below.
    std::size_t settled = final ? n : n - std::min(n, m - 1);
    if (filter) hits.ranges(k, minStamp, n, ranges);
    else ranges.assign(1, Span(0, n));
    // Next match at or after pos within the ranges, or n. Every occurrence
    // lies inside one range, so taking them in order keeps leftmost-first.
    const LiteralFinder<Unit>& finder = work[k].finder;
    std::size_t range = 0;
    auto next = [&](std::size_t pos) {
        for (; range < ranges.size(); ++range) {
            const auto [a, b] = ranges[range];
            const std::size_t from = std::max(a, pos);
            if (from + m > b) continue;
            const std::size_t q = finder.find(text + from, b - from);
            if (q < b - from) return from + q;
        }
        return n;
    };
    inserts.clear();
    matches.clear();
    for (std::size_t p = next(0); p < n; p = next(p + m)) matches.push_back(p);
    if (!matches.empty()) settled = std::max(settled, matches.back() + m);
    s.tailLen = n - settled;
    CopyUnits(s.tail, text + settled, s.tailLen);
    if (matches.empty()) cur.truncate(settled);
    else applyMatches(k, settled);
    s.tailStamp = settled >= oldTail ? incoming : minStamp;
    if (filter) {
        if (s.pending || !inserts.empty()) scanWindows(s, k);
        keepHistory(s);
    }
}

// Writes text [from, to) of the stage's input with its matches replaced to
// out, whose first unit is output position base; records the insertions.
template <typename Unit>
template <typename Out>
void ReplacePipeline<Unit>::Impl::rebuild(std::size_t k, Out& out, std::size_t base, std::size_t from, std::size_t to)
{
    const Unit* text = cur.data();
    const String& replace = work[k].replace;
    std::size_t pos = from;
    for (std::size_t p : matches) {
        out.append(text + pos, p - pos);
        if (filter) inserts.emplace_back(base + out.size(), base + out.size() + replace.size());
        out.append(replace.data(), replace.size());
        pos = p + stages[k].find;
    }
    out.append(text + pos, to - pos);
}

// Replaces the matches in cur, leaving the stage's output up to `settled`.
// Matches spread over the stretch rebuild it whole into the spare buffer;
// otherwise only the part from the first to the last match is rebuilt and the
// shorter of the text before and after it is moved to make the room.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::applyMatches(std::size_t k, std::size_t settled)
{
    const std::size_t m = stages[k].find, r = work[k].replace.size(), n = cur.size();
    const std::size_t first = matches.front(), lastEnd = matches.back() + m;
    const auto delta = std::ptrdiff_t(matches.size()) * (std::ptrdiff_t(r) - std::ptrdiff_t(m));
    counts[k] += std::int64_t(matches.size());
    if (delta > 0) hits.grown += delta;
    else hits.shrunk -= delta;
    if (2 * (lastEnd - first) > n) {
        spare.reset(front);
        rebuild(k, spare, 0, 0, settled);
        std::swap(cur, spare);
        return;
    }
    middle.clear();
    rebuild(k, middle, first, first, lastEnd);
    const std::size_t after = settled - lastEnd;
    const auto newLength = std::size_t(std::ptrdiff_t(settled) + delta);
    if (first <= after && (delta <= 0 || cur.frontSpace() >= laterRoom[k] + std::size_t(delta))) {
        cur.slideFront(first, delta);
    } else {
        if (newLength > n) cur.resize(newLength);
        Unit* text = cur.data();
        if (after) std::memmove(text + std::ptrdiff_t(lastEnd) + delta, text + lastEnd, after * sizeof(Unit));
    }
    CopyUnits(cur.data() + first, middle.data(), middle.size());
    cur.truncate(newLength);
}

// Keeps the last `reach` units this stage has emitted.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::keepHistory(Stage& s)
{
    Unit* h = history(s);
    const std::size_t n = cur.size();
    if (n >= reach) {
        CopyUnits(h, cur.data() + n - reach, reach);
        s.historyLen = reach;
        return;
    }
    const std::size_t keep = std::min(s.historyLen, reach - n);
    std::memmove(h, h + s.historyLen - keep, keep * sizeof(Unit));
    CopyUnits(h + keep, cur.data(), n);
    s.historyLen = keep + n;
}

// Scans the windows around this stage's insertions in what it emitted, plus
// the part of an earlier window that runs into it, for later pairs' finds.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::scanWindows(const Stage& s, std::size_t k)
{
    const auto emitted = std::ptrdiff_t(cur.size());
    const auto before = std::ptrdiff_t(s.historyLen);
    const auto r = std::ptrdiff_t(reach);
    bool open = s.pending > 0;
    std::ptrdiff_t from = -before, to = std::ptrdiff_t(s.pending);
    for (const auto& [a, b] : inserts) {
        const std::ptrdiff_t f = std::max(std::ptrdiff_t(a) - r, -before), t = std::ptrdiff_t(b) + r;
        if (open && f <= to) {
            to = std::max(to, t);
            continue;
        }
        if (open) scanWindow(s, from, to, k);
        from = f;
        to = t;
        open = true;
    }
    auto& pending = stages[k].pending;
    pending = 0;
    if (open) {
        if (to > emitted) pending = std::size_t(to - emitted);
        scanWindow(s, from, std::min(to, emitted), k);
    }
}

// Scans output units [from, to) of stage k; negative positions are history.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::scanWindow(const Stage& s, std::ptrdiff_t from, std::ptrdiff_t to, std::size_t k)
{
    if (from >= to) return;
    const Unit* text = cur.data();
    HitLog::WindowReport report{hits, k + 1, from >= 0 ? from : HitLog::kFromStart, to};
    if (from >= 0) {
        filter->scan(text + from, std::size_t(to - from), std::size_t(to - from), report);
        return;
    }
    scratch.assign(history(s) + s.historyLen - std::size_t(-from), std::size_t(-from));
    scratch.append(text, std::size_t(std::max<std::ptrdiff_t>(to, 0)));
    filter->scan(scratch.data(), scratch.size(), scratch.size(), report);
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

template class ReplacePipeline<char>;
template class ReplacePipeline<char16_t>;

} // namespace quorvane
