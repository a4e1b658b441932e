#include "engine/replace/PipelineImpl.h"
#include "engine/replace/PairOverlaps.h"
#include "engine/replace/SideBySide.h"

#include <algorithm>

// The stages themselves: gathering stretches, holding back tails, finding
// and replacing matches.

namespace quorvane {

// Each run costs a pass over the text; past this many, one pass with checks.
constexpr std::size_t kMostRuns = 4;
// Lists from this long get ready on two threads.
constexpr std::size_t kSideBySidePairs = 1000;
// Without a filter, asking whether a text holds any find searches it once per
// pair: worth it for the few pairs that go without one.
constexpr std::size_t kMostFindersToAsk = 64;

namespace {

// Hears whether a scanned text holds any find; once one is found, samples
// go unconfirmed, which is all the answer needs.
struct AnyFind {
    bool any = false;
    bool known(std::uint32_t) const { return any; }
    void missed(std::uint32_t) {}
    void found(std::uint32_t, std::size_t) { any = true; }
};

// Hears whether a scanned text holds a find of a pair after `pair`.
template <typename Unit>
struct LaterFind {
    const CandidateFilter<Unit>& filter;
    std::uint32_t pair;
    bool any = false;
    bool known(std::uint32_t) const { return false; }
    void missed(std::uint32_t) {}
    void found(std::uint32_t i, std::size_t) { any = any || filter.pairsOf(i).back() > pair; }
};

// Fills what the one-pass check reads before it scans around an insertion:
// the units that can stand at a find's edge with an insertion, and the
// replace texts that hold a later find whatever surrounds them.
template <typename Unit>
void NoteFormingUnits(PreparedPairs<Unit>& prep, const CandidateFilter<Unit>& filter,
                      const std::vector<const std::basic_string<Unit>*>& finds)
{
    for (const auto* f : finds) {
        for (std::size_t i = 0; i < f->size(); ++i) {
            if (i + 1 < f->size()) prep.leaders.add((*f)[i]);
            if (i > 0) prep.followers.add((*f)[i]);
        }
    }
    for (auto& t : prep.texts) {
        if (!t.creates || t.replaceLength == 0) continue;
        LaterFind<Unit> report{filter, t.pair};
        filter.scan(prep.replaceStore.data() + t.replaceAt, t.replaceLength, t.replaceLength, report);
        t.formsInside = report.any;
    }
}

} // namespace

template <typename Unit>
std::shared_ptr<const PreparedPairs<Unit>> PreparePairs(std::vector<UnitPair<Unit>> pairs, const PipelineTuning& tuning)
{
    auto prep = std::make_shared<PreparedPairs<Unit>>();
    prep->tuning = tuning;
    std::vector<const std::basic_string<Unit>*> finds;  // by pair index, empty ones included
    std::size_t nonEmpty = 0;
    for (auto& p : pairs) {
        finds.push_back(&p.find);
        nonEmpty += !p.find.empty();
    }
    const std::size_t filterFrom = std::max<std::size_t>(1, tuning.filterFromFindTexts);
    // Few pairs (the common case) need no filter at all. For thousands, the
    // filter and what the pairs can do to one another take some milliseconds
    // each: side by side.
    std::shared_ptr<CandidateFilter<Unit>> candidates;
    std::vector<char> mayCreate;
    if (nonEmpty >= filterFrom) {
        auto build = [&] { candidates = std::make_shared<CandidateFilter<Unit>>(finds); };
        auto creators = [&] { mayCreate = FindCreators(pairs); };
        if (pairs.size() >= kSideBySidePairs) {
            RunSideBySide(build, creators);
        } else {
            build();
            creators();
        }
    }
    // With the filter every stage keeps (longest find - 1) units of history;
    // one huge find among thousands of pairs would make that a memory hog, and
    // then the stages simply all search.
    if (candidates && candidates->size() >= filterFrom
        && candidates->longest() * pairs.size() <= (std::size_t(1) << 26)) {
        const CandidateFilter<Unit>& filter = *candidates;
        prep->reach = filter.longest() - 1;
        prep->mayCreate = std::move(mayCreate);
        // A few pairs that can form later finds cut the list into runs, each
        // of which still goes in one pass; more keep one list, checked per
        // occurrence in one pass (see PipelineOnePass.cpp).
        if (tuning.onePass) {
            prep->runStarts = SplitIntoRuns(pairs, prep->mayCreate, kMostRuns);
            if (prep->runStarts.size() > 1) {
                for (std::size_t r = 0; r < prep->runStarts.size(); ++r) {
                    const std::size_t to = r + 1 < prep->runStarts.size() ? prep->runStarts[r + 1] : pairs.size();
                    prep->runs.push_back(PreparePairs(std::vector<UnitPair<Unit>>(
                        pairs.begin() + std::ptrdiff_t(prep->runStarts[r]), pairs.begin() + std::ptrdiff_t(to)), tuning));
                }
            } else {
                prep->runStarts.clear();
            }
        }
        HitShape& shape = prep->shape;
        shape.textOf.assign(pairs.size(), 0);
        for (std::size_t i = 0; i < filter.size(); ++i) {
            const std::uint32_t k = filter.pairsOf(i).front();
            shape.pairsOf.push_back(filter.pairsOf(i));
            shape.textLength.push_back(finds[k]->size());
            for (std::uint32_t j : filter.pairsOf(i)) shape.textOf[j] = std::uint32_t(i);
            const auto& replace = pairs[k].replace;
            prep->anyCreates = prep->anyCreates || prep->mayCreate[k];
            prep->texts.push_back({std::uint32_t(finds[k]->size()), k, prep->mayCreate[k] != 0,
                                   std::uint32_t(replace.size()), prep->replaceStore.size()});
            prep->replaceStore += replace;
        }
        prep->replaceStore.append(kCopySlackBytes / sizeof(Unit), Unit(0));  // for CopyWithSlack
        if (prep->anyCreates) NoteFormingUnits(*prep, filter, finds);
        prep->filter = std::move(candidates);
    }
    prep->laterRoom.assign(pairs.size(), 0);
    for (std::size_t k = pairs.size(); k-- > 0;) {
        const std::size_t m = pairs[k].find.size();
        if (m) {
            prep->stored += m - 1 + prep->reach;
            prep->room += m - 1;
        }
        if (k > 0) prep->laterRoom[k - 1] = prep->laterRoom[k] + (m ? m - 1 : 0);
    }
    prep->finders.reserve(pairs.size());
    prep->replaces.reserve(pairs.size());
    for (auto& p : pairs) {
        prep->finders.emplace_back(std::move(p.find));
        prep->replaces.push_back(std::move(p.replace));
    }
    return prep;
}

namespace {

// Count vectors of finished pipelines, all zero again, for the next file on
// this thread: with thousands of pairs, a fresh one per file would cost more
// than a small file's whole search. A few sizes at most (bytes and UTF-16,
// a run's parts).
std::vector<std::vector<std::int64_t>>& CountSpares()
{
    thread_local std::vector<std::vector<std::int64_t>> spares;
    return spares;
}

std::vector<std::int64_t> TakeCounts(std::size_t pairs)
{
    auto& spares = CountSpares();
    for (auto& spare : spares) {
        if (spare.size() != pairs) continue;
        std::vector<std::int64_t> taken = std::move(spare);
        spare = std::move(spares.back());
        spares.pop_back();
        return taken;
    }
    return std::vector<std::int64_t>(pairs, 0);
}

// Zeroes only the counts that were made.
void GiveBackCounts(std::vector<std::int64_t>& counts, const std::vector<std::uint32_t>& counted)
{
    auto& spares = CountSpares();
    if (counts.empty() || spares.size() >= 8) return;
    for (const std::uint32_t k : counted) counts[k] = 0;
    spares.push_back(std::move(counts));
}

} // namespace

template <typename Unit>
ReplacePipeline<Unit>::Impl::Impl(std::shared_ptr<const PreparedPairs<Unit>> prepared, bool allowOnePass)
    : prep(std::move(prepared)), counts(TakeCounts(prep->finders.size())), filter(prep->filter), reach(prep->reach)
{
    const PipelineTuning& tuning = prep->tuning;
    if (filter) onePass = tuning.onePass && allowOnePass;
    if (onePass && !prep->runs.empty()) {
        setUpRuns();
        return;
    }
    // Stages that skip a stretch still move their tail and history, so with
    // many pairs the stretch grows to keep that work small beside the text;
    // a stage that replaces may rewrite up to its whole stretch, which caps it.
    const std::size_t perStretch = filter ? prep->stored : 0;
    stretch = tuning.stretchUnits ? tuning.stretchUnits
                                  : std::clamp<std::size_t>(2 * perStretch, std::size_t(1) << 16, std::size_t(1) << 20);
    dropCostlyFilter = tuning.dropCostlyFilter;
    front = prep->room + stretch / 8 + 64;
    // Growth up to four times a stretch is built whole, as fast as ever;
    // beyond, stretch-sized pieces.
    pieceUnits = std::max<std::size_t>(1, stretch);
    spillAt = 4 * pieceUnits;
    cur.reset(front);
    if (!onePass) setUpStages();
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::setUpStages()
{
    if (stagesReady) return;
    stagesReady = true;
    if (filter) hits.init(prep->shape);
    store.reset(new Unit[prep->stored + 1]);
    stages.resize(prep->finders.size());
    for (std::size_t k = 0, at = 0; k < stages.size(); ++k) {
        if (const std::size_t m = prep->finders[k].needle().size()) {
            stages[k].find = m;
            stages[k].tail = store.get() + at;
            at += m - 1 + reach;
        }
    }
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::run(bool final, const Sink& sink)
{
    if (stopNow()) return;
    if (onePass) {
        if (runOnePass(final, sink)) return;
        if (emitted) {
            restart = true;
            return;
        }
        onePass = false;  // nothing handed on yet: the stages take over here
        setUpStages();
    }
    hits.next();
    if (filter) scanInput();
    runStages(0, final, hits.stamp, sink);
    if (filter && dropCostlyFilter) weighFilter();
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::runStages(std::size_t from, bool final, std::int64_t minStamp, const Sink& sink)
{
    for (std::size_t k = from; k < stages.size(); ++k) {
        // With thousands of pairs one stretch can take seconds to pass.
        if (stopNow()) return;
        if (runStage(k, final, minStamp, sink)) return;
        // Weighed every few stages too: one stretch of dense text can hold
        // thousands of window scans.
        if (filter && dropCostlyFilter && k % 16 == 15) weighFilter();
    }
    if (cur.size()) sink(View(cur.data(), cur.size()));
    cur.reset(front);
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::weighFilter()
{
    // A plain search runs some 24 times faster per unit than the filter's
    // scan. Without the filter every stage searches everything, which is
    // always exact, so dropping it midway is safe.
    if (filterUnits > 1u << 20 && filterUnits * 24 > skippedUnits) filter.reset();
}

template <typename Unit>
bool ReplacePipeline<Unit>::Impl::runStage(std::size_t k, bool final, std::int64_t& minStamp, const Sink& sink)
{
    Stage& s = stages[k];
    const std::size_t m = s.find;
    if (m == 0) return false;  // an empty find changes nothing
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
    if (filter) {
        hits.ranges(k, minStamp, n, ranges);
        skippedUnits += n;
        for (const Span& r : ranges) skippedUnits -= r.second - r.first;
    } else {
        ranges.assign(1, Span(0, n));
    }
    // Next match at or after pos within the ranges, or n. Every occurrence
    // lies inside one range, so taking them in order keeps leftmost-first.
    const LiteralFinder<Unit>& finder = prep->finders[k];
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
    s.tailStamp = settled >= oldTail ? incoming : minStamp;
    const std::size_t r = prep->replaces[k].size();
    const std::size_t limit = spillDepth ? 4 * pieceAt(spillDepth) : spillAt;
    if (r > m && settled + matches.size() * (r - m) > limit) {
        count(k, std::int64_t(matches.size()));
        spillStage(k, final, settled, minStamp, sink);
        return true;
    }
    if (matches.empty()) cur.truncate(settled);
    else applyMatches(k, settled);
    if (filter) {
        if (s.pending || (!inserts.empty() && prep->mayCreate[k])) scanWindows(s, k);
        keepHistory(s);
    }
    return false;
}

// Writes text [from, to) of the stage's input with its matches replaced to
// out, whose first unit is output position base; records the insertions.
template <typename Unit>
template <typename Out>
void ReplacePipeline<Unit>::Impl::rebuild(std::size_t k, Out& out, std::size_t base, std::size_t from, std::size_t to)
{
    const Unit* text = cur.data();
    const String& replace = prep->replaces[k];
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
    const std::size_t m = stages[k].find, r = prep->replaces[k].size(), n = cur.size();
    const std::size_t first = matches.front(), lastEnd = matches.back() + m;
    const auto delta = std::ptrdiff_t(matches.size()) * (std::ptrdiff_t(r) - std::ptrdiff_t(m));
    count(k, std::int64_t(matches.size()));
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
    if (first <= after && (delta <= 0 || cur.frontSpace() >= prep->laterRoom[k] + std::size_t(delta))) {
        cur.slideFront(first, delta);
    } else {
        if (newLength > n) cur.resize(newLength);
        Unit* text = cur.data();
        if (after) std::memmove(text + std::ptrdiff_t(lastEnd) + delta, text + lastEnd, after * sizeof(Unit));
    }
    CopyUnits(cur.data() + first, middle.data(), middle.size());
    cur.truncate(newLength);
}

template <typename Unit>
ReplacePipeline<Unit>::ReplacePipeline(std::vector<UnitPair<Unit>> pairs)
    : ReplacePipeline(std::move(pairs), PipelineTuning{})
{
}

template <typename Unit>
ReplacePipeline<Unit>::ReplacePipeline(std::vector<UnitPair<Unit>> pairs, const PipelineTuning& tuning)
    : ReplacePipeline(PreparePairs(std::move(pairs), tuning))
{
}

template <typename Unit>
ReplacePipeline<Unit>::ReplacePipeline(std::shared_ptr<const PreparedPairs<Unit>> prepared, bool onePass)
    : d(new Impl(std::move(prepared), onePass))
{
}

template <typename Unit>
ReplacePipeline<Unit>::Impl::~Impl()
{
    GiveBackCounts(counts, counted);
}

template <typename Unit>
ReplacePipeline<Unit>::~ReplacePipeline()
{
    delete d;
}

template <typename Unit>
void ReplacePipeline<Unit>::feed(View chunk, const Sink& sink)
{
    if (!d->runPipelines.empty()) return d->feedRuns(chunk, sink);
    while (!chunk.empty() && !d->restart && !d->stopped) {
        // One pass keeps text back (usually twice the reach); the stretch counts new text.
        const std::size_t full = d->stretch + (d->onePass ? d->held : 0);
        const std::size_t take = std::min(chunk.size(), full - std::min(full, d->cur.size()));
        d->cur.append(chunk.data(), take);
        chunk.remove_prefix(take);
        if (d->cur.size() >= full) d->run(false, sink);
    }
}

template <typename Unit>
void ReplacePipeline<Unit>::finish(const Sink& sink)
{
    if (!d->runPipelines.empty()) return d->finishRuns(sink);
    if (!d->restart && !d->stopped) d->run(true, sink);
}

template <typename Unit>
void ReplacePipeline<Unit>::setCancel(std::function<bool()> cancelled)
{
    for (auto& run : d->runPipelines) run->setCancel(cancelled);
    d->cancel = std::move(cancelled);
}

template <typename Unit>
bool ReplacePipeline<Unit>::cancelled() const
{
    return d->stopped;
}

template <typename Unit>
bool ReplacePipeline<Unit>::restartNeeded() const
{
    return d->restart;
}

template <typename Unit>
bool ReplacePipeline<Unit>::onePass() const
{
    return d->runPipelines.empty() ? d->onePass : d->runsOnePass();
}

template <typename Unit>
const std::vector<std::uint32_t>& ReplacePipeline<Unit>::countedPairs() const
{
    if (!d->runPipelines.empty()) d->gatherRunCounts();
    return d->counted;
}

template <typename Unit>
const std::vector<std::int64_t>& ReplacePipeline<Unit>::counts() const
{
    if (!d->runPipelines.empty()) d->gatherRunCounts();
    return d->counts;
}

template <typename Unit>
bool ReplacePipeline<Unit>::holdsNoFind(View whole) const
{
    const PreparedPairs<Unit>& prep = *d->prep;
    if (prep.filter) {
        AnyFind report;
        prep.filter->scan(whole.data(), whole.size(), whole.size(), report);
        return !report.any;
    }
    if (prep.finders.size() > kMostFindersToAsk) return false;
    for (const LiteralFinder<Unit>& finder : prep.finders) {
        if (!finder.needle().empty() && finder.find(whole.data(), whole.size()) != whole.size()) return false;
    }
    return true;
}

template class ReplacePipeline<char>;
template class ReplacePipeline<char16_t>;
template std::shared_ptr<const PreparedPairs<char>> PreparePairs(std::vector<UnitPair<char>>, const PipelineTuning&);
template std::shared_ptr<const PreparedPairs<char16_t>> PreparePairs(std::vector<UnitPair<char16_t>>,
                                                                     const PipelineTuning&);

} // namespace quorvane
