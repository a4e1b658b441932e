#include "engine/replace/PipelineImpl.h"
#include "engine/replace/SideBySide.h"

#include <algorithm>
#include <limits>

// One-pass mode: every pair applied to a stretch in a single rebuild.
//
// Applying the pairs one after another gives the same text as replacing
// their original occurrences at once, chosen as follows, when no replacement
// forms an occurrence of a later pair's find:
// - each text's occurrences go to the first pair with that text, which takes
//   them leftmost-first, as it would alone;
// - where occurrences of different texts overlap, the pairs take their turns
//   in list order, and an occurrence overlapping what an earlier pair took is
//   gone (sequentially, that pair's replacement destroyed it).
// A pair whose replace text cannot form a later find (mayCreate) needs no
// check. For one that may, the text around its insertion, as the pairs
// before it left that text, must not hold a later find touching it; only the
// picks that match decide, not every pair that could. Picks less than `reach`
// apart are checked together (checkCreators).
// A stretch that breaks a condition ends the mode. If nothing has been handed
// on yet, the stretch simply runs through the stages; otherwise the caller
// starts the file again with the stages (restartNeeded).

namespace quorvane {

namespace {

// Collects every occurrence the filter confirms, in order of position.
// Each class reports nearly in order, so sorting is an insertion sort within
// a class and a merge of the classes (through `merged`, kept between stretches).
template <typename Occurrence>
struct AllOccurrences {
    std::vector<Occurrence>& out;
    std::vector<Occurrence>& merged;
    std::size_t base = 0;  // where the scanned text starts in the stretch
    std::size_t classStart = 0;
    bool known(std::uint32_t) const { return false; }
    void missed(std::uint32_t) {}
    [[gnu::always_inline]] void found(std::uint32_t i, std::size_t at)
    {
        const Occurrence o{i, std::uint32_t(base + at)};
        std::size_t j = out.size();
        out.push_back(o);
        for (; j > classStart && o.order() < out[j - 1].order(); --j) out[j] = out[j - 1];
        out[j] = o;
    }
    void nextClass() { merge(); }
    void merge()
    {
        if (classStart && classStart < out.size() && out[classStart].order() < out[classStart - 1].order()) {
            merged.resize(out.size());
            // Which run goes next is a coin toss on mixed text: the choice is
            // made with selects, not branches.
            const Occurrence* a = out.data();
            const Occurrence* const aEnd = a + classStart;
            const Occurrence* b = aEnd;
            const Occurrence* const bEnd = out.data() + out.size();
            Occurrence* to = merged.data();
            while (a < aEnd && b < bEnd) {
                const bool takeB = b->order() < a->order();
                *to++ = takeB ? *b : *a;
                b += takeB;
                a += !takeB;
            }
            to = std::copy(a, aEnd, to);
            std::copy(b, bEnd, to);
            std::swap(out, merged);
        }
        classStart = out.size();
    }
};

// Notes whether a later pair's find touches the inserted units [from, to) of
// a window (for a deletion from == to: the find spans the join).
template <typename Unit>
struct FormedReport {
    const CandidateFilter<Unit>& filter;
    const std::vector<std::size_t>& lengths;
    std::size_t pair, from, to;
    bool formed = false;
    bool known(std::uint32_t) const { return false; }
    void missed(std::uint32_t) {}
    void found(std::uint32_t i, std::size_t at)
    {
        const std::size_t end = at + lengths[i];
        const bool touches = from == to ? at < from && end > from : at < to && end > from;
        formed = formed || (touches && filter.pairsOf(i).back() > pair);
    }
};

} // namespace

template <typename Unit>
bool ReplacePipeline<Unit>::Impl::runOnePass(bool final, const Sink& sink)
{
    const Unit* x = cur.data();
    const std::size_t n = cur.size();
    // Positions are kept in 32 bits; a stretch that long is left to the stages.
    if (n > std::numeric_limits<std::uint32_t>::max()) return false;
    findOccurrences(x, n);

    // Overlapping occurrences form clusters, each settled on its own. Clusters
    // that start before `cut` are settled now, when no occurrence still to come
    // can join them; each then has reach units of text after it.
    const std::size_t cut = final ? n : n - std::min(n, 2 * reach);
    const std::size_t complete = final ? n : n - std::min(n, reach);
    picks.clear();
    pickClusters.clear();
    std::size_t settled = cut;
    std::size_t a = 0;
    for (std::size_t b; a < occurrences.size() && occurrences[a].pos < cut; a = b) {
        std::size_t clusterEnd = std::size_t(occurrences[a].pos) + prep->texts[occurrences[a].text].length;
        bool mixed = false;
        for (b = a + 1; b < occurrences.size() && occurrences[b].pos < clusterEnd; ++b) {
            clusterEnd = std::max(clusterEnd, std::size_t(occurrences[b].pos) + prep->texts[occurrences[b].text].length);
            mixed = mixed || occurrences[b].text != occurrences[a].text;
        }
        if (clusterEnd > complete) {
            if (occurrences[a].pos == 0) return false;  // a chain longer than a stretch
            settled = occurrences[a].pos;
            break;
        }
        if (b == a + 1) picks.push_back(occurrences[a]);
        else pickCluster(a, b, mixed);
        if (prep->anyCreates) pickClusters.resize(picks.size(), occurrences[a].pos);
        settled = std::max(settled, clusterEnd);
    }
    if (prep->anyCreates) {
        // Past knownEnd the text may still hold picks of the next stretch.
        const std::size_t knownEnd = std::min(a < occurrences.size() ? std::size_t(occurrences[a].pos) : n, complete);
        if (!checkCreators(knownEnd, final, settled)) return false;
        if (settled == 0) return false;
    }
    std::ptrdiff_t growth = 0;
    for (const Occurrence& o : picks)
        growth += std::ptrdiff_t(prep->texts[o.text].replaceLength) - std::ptrdiff_t(prep->texts[o.text].length);

    if (std::size_t(std::ptrdiff_t(settled) + growth) > spillAt) return handOnInPieces(settled, sink);
    spare.reset(front);
    spare.resize(std::size_t(std::ptrdiff_t(settled) + growth));
    Unit* out = spare.data();
    std::size_t pos = 0;
    for (const Occurrence& o : picks) {
        const TextInfo& t = prep->texts[o.text];
        CopyWithSlack(out, x + pos, o.pos - pos);
        out += o.pos - pos;
        CopyWithSlack(out, prep->replaceStore.data() + t.replaceAt, t.replaceLength);
        out += t.replaceLength;
        pos = o.pos + t.length;
        count(t.pair, 1);
    }
    CopyUnits(out, x + pos, settled - pos);
    if (settled) {
        emitted = true;
        if (spare.size()) sink(View(spare.data(), spare.size()));
    }

    keepRest(settled);
    return true;
}

// What the next stretch needs: the original text before it. No occurrence
// crosses `settled`.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::keepRest(std::size_t settled)
{
    const Unit* x = cur.data();
    const std::size_t n = cur.size();
    KeepLast(inputHistory, x, settled, reach);
    if (prep->anyCreates) {
        // What the next stretch's checks may look back at: the original text
        // and the picks in it, by position from the next stretch's start.
        const std::size_t keep = 4 * reach + 64;
        KeepLast(checkHistory, x, settled, keep);
        settledBefore += settled;
        const auto shift = std::ptrdiff_t(settled), oldest = -std::ptrdiff_t(checkHistory.size());
        std::size_t drop = 0;
        for (Kept& o : keptPicks) o.pos -= shift;
        for (const Occurrence& o : picks) keptPicks.push_back({o.text, std::ptrdiff_t(o.pos) - shift});
        while (drop < keptPicks.size() && keptPicks[drop].pos + std::ptrdiff_t(prep->texts[keptPicks[drop].text].length) <= oldest)
            ++drop;
        keptPicks.erase(keptPicks.begin(), keptPicks.begin() + std::ptrdiff_t(drop));
    }
    held = n - settled;
    spare.reset(front);
    spare.append(x + settled, n - settled);
    std::swap(cur, spare);
}

// Fills `occurrences` for the stretch. A long stretch is scanned in two
// halves side by side, the second on the helper thread: every occurrence
// starts in one half, and the first half's scan reads on past its end.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::findOccurrences(const Unit* x, std::size_t n)
{
    occurrences.clear();
    AllOccurrences<Occurrence> all{occurrences, mergedOccurrences};
    const std::size_t half = n / 2;
    if (n < std::max<std::size_t>(2, prep->tuning.splitScanFrom)) {
        filter->scan(x, n, n, all);
        all.merge();
        return;
    }
    secondHalf.clear();
    AllOccurrences<Occurrence> second{secondHalf, mergedSecondHalf, half};
    RunSideBySide([&] { filter->scan(x, n, half, all); all.merge(); },
                  [&] { filter->scan(x + half, n - half, n - half, second); second.merge(); });
    occurrences.insert(occurrences.end(), secondHalf.begin(), secondHalf.end());
}

// Picks the replacements among occurrences [a, b), one cluster. Pairs take
// their turns in order: each takes its text's occurrences leftmost-first,
// leaving those that overlap what an earlier pair took (that text is gone).
template <typename Unit>
void ReplacePipeline<Unit>::Impl::pickCluster(std::size_t a, std::size_t b, bool mixed)
{
    const std::size_t first = picks.size();
    if (!mixed) {
        std::size_t end = 0;
        for (std::size_t i = a; i < b; ++i) {
            const Occurrence& o = occurrences[i];
            if (i > a && o.pos < end) continue;
            picks.push_back(o);
            end = o.pos + prep->texts[o.text].length;
        }
        return;
    }
    // The occurrences by pair, each text's in order of position (the sort is
    // stable); units already taken are marked, so a chain of any length (in
    // periodic text) costs its occurrences times their lengths.
    clusterOrder.clear();
    std::size_t span = 0;
    const std::size_t start = occurrences[a].pos;
    for (std::size_t i = a; i < b; ++i) {
        clusterOrder.push_back(std::uint32_t(i));
        span = std::max(span, occurrences[i].pos + prep->texts[occurrences[i].text].length - start);
    }
    std::stable_sort(clusterOrder.begin(), clusterOrder.end(), [&](std::uint32_t x, std::uint32_t y) {
        return prep->texts[occurrences[x].text].pair < prep->texts[occurrences[y].text].pair;
    });
    taken.assign(span, 0);
    std::uint32_t text = std::numeric_limits<std::uint32_t>::max();
    std::size_t end = 0;
    for (const std::uint32_t i : clusterOrder) {
        const Occurrence& o = occurrences[i];
        const std::size_t len = prep->texts[o.text].length;
        if (o.text != text) {
            text = o.text;
            end = 0;
        }
        if (o.pos < end) continue;
        char* const mark = taken.data() + (o.pos - start);
        if (std::find(mark, mark + len, char(1)) != mark + len) continue;
        std::fill(mark, mark + len, char(1));
        picks.push_back(o);
        end = o.pos + len;
    }
    std::sort(picks.begin() + std::ptrdiff_t(first), picks.end(),
              [](const Occurrence& x, const Occurrence& y) { return x.pos < y.pos; });
}

// Checks each pick that may form a later find. Applied in list order, pair
// k's insertion meets the text as the pairs before it left it: nearby picks
// of earlier pairs replaced, those of later pairs still original. A find
// touching the insertion reaches at most `reach` units beyond it, so the text
// is rebuilt that far on either side (counting each nearby pick at the
// shorter of its two forms) and looked at there. A find formed only once a
// later pick goes in touches that pick's insertion and is caught by its own
// check; a pick that cannot form one cannot take part in one. Picks whose
// right side reaches past knownEnd wait, with their cluster and all after it,
// for the next stretch (settled moves back to them).
template <typename Unit>
bool ReplacePipeline<Unit>::Impl::checkCreators(std::size_t knownEnd, bool final, std::size_t& settled)
{
    const Unit* x = cur.data();
    const auto kept = std::ptrdiff_t(keptPicks.size());
    const auto history = std::ptrdiff_t(checkHistory.size());
    // Picks by index from -kept: the last stretch's kept ones, then this one's.
    auto at = [&](std::ptrdiff_t j) {
        return j < 0 ? keptPicks[std::size_t(kept + j)] : Kept{picks[std::size_t(j)].text, picks[std::size_t(j)].pos};
    };
    auto length = [&](const Kept& o) { return std::ptrdiff_t(prep->texts[o.text].length); };
    auto shorter = [&](const Kept& o) {
        return std::min(length(o), std::ptrdiff_t(prep->texts[o.text].replaceLength));
    };
    auto unitAt = [&](std::ptrdiff_t q) { return q < 0 ? checkHistory[std::size_t(history + q)] : x[q]; };
    auto original = [&](std::ptrdiff_t from, std::ptrdiff_t to) {
        for (; from < std::min<std::ptrdiff_t>(to, 0); ++from) scratch.push_back(checkHistory[std::size_t(history + from)]);
        if (from < to) scratch.append(x + from, std::size_t(to - from));
    };
    const auto r = std::ptrdiff_t(reach);
    for (std::ptrdiff_t c = 0; c < std::ptrdiff_t(picks.size()); ++c) {
        const Kept made = at(c);
        const TextInfo& t = prep->texts[made.text];
        if (!t.creates) continue;
        // Most insertions sit between units no find holds at such an edge
        // (a space, a line end): then only a find inside the insertion counts.
        // Known at once when both neighbours are original text.
        const std::ptrdiff_t madeEnd = made.pos + length(made);
        const bool alone = (c - 1 < -kept || at(c - 1).pos + length(at(c - 1)) < made.pos)
                           && (made.pos > -history || settledBefore == std::uint64_t(history))
                           && madeEnd < std::ptrdiff_t(c + 1 < std::ptrdiff_t(picks.size()) ? at(c + 1).pos : knownEnd);
        if (alone) {
            const bool before = made.pos > -history && prep->leaders.has(unitAt(made.pos - 1));
            const bool after = madeEnd < std::ptrdiff_t(cur.size()) && prep->followers.has(x[madeEnd]);
            if (t.replaceLength == 0 ? !(before && after) : !before && !after) {
                if (t.formsInside) return false;
                continue;
            }
        }
        // Reach units to the right, or the pick waits.
        std::ptrdiff_t need = r, pos = made.pos + length(made), right = c + 1;
        for (;; ++right) {
            const std::ptrdiff_t next = right < std::ptrdiff_t(picks.size()) ? at(right).pos : std::ptrdiff_t(knownEnd);
            if (next - pos >= need) {
                pos += need;
                break;
            }
            if (right == std::ptrdiff_t(picks.size()) && final) {
                pos = next;  // the text ends there
                break;
            }
            if (right == std::ptrdiff_t(picks.size())) {
                settled = pickClusters[std::size_t(c)];
                const auto first = std::find(pickClusters.begin(), pickClusters.end(), settled) - pickClusters.begin();
                picks.resize(std::size_t(first));
                pickClusters.resize(std::size_t(first));
                return true;
            }
            need -= next - pos + shorter(at(right));
            pos = at(right).pos + length(at(right));
        }
        const std::ptrdiff_t to = pos;
        // And to the left, into what the last stretch kept.
        need = r;
        pos = made.pos;
        std::ptrdiff_t left = c - 1;
        for (;; --left) {
            const std::ptrdiff_t prev = left >= -kept ? at(left).pos + length(at(left)) : -history;
            if (pos - prev >= need) {
                pos -= need;
                break;
            }
            if (left < -kept) {
                if (settledBefore > std::uint64_t(history)) return false;  // too little kept: leave the mode
                pos = prev;  // the text starts there
                break;
            }
            need -= pos - prev + shorter(at(left));
            pos = at(left).pos;
            if (pos < -history) return false;
        }
        scratch.clear();
        std::size_t insertFrom = 0, insertTo = 0;
        for (std::ptrdiff_t j = left + 1; j < right; ++j) {
            const Kept o = at(j);
            const TextInfo& u = prep->texts[o.text];
            original(pos, o.pos);
            if (j == c) insertFrom = scratch.size();
            if (u.pair <= t.pair) scratch.append(prep->replaceStore.data() + u.replaceAt, u.replaceLength);
            else original(o.pos, o.pos + length(o));
            if (j == c) insertTo = scratch.size();
            pos = o.pos + length(o);
        }
        original(pos, to);
        const bool before = insertFrom > 0 && prep->leaders.has(scratch[insertFrom - 1]);
        const bool after = insertTo < scratch.size() && prep->followers.has(scratch[insertTo]);
        if (t.replaceLength == 0 ? !(before && after) : !before && !after) {
            if (t.formsInside) return false;
            continue;
        }
        const std::size_t start = insertFrom - std::min(insertFrom, reach);
        const std::size_t end = std::min(scratch.size(), insertTo + reach);
        FormedReport<Unit> report{*filter, prep->shape.textLength, t.pair, insertFrom - start, insertTo - start};
        filter->scan(scratch.data() + start, end - start, insertTo - start, report);
        if (report.formed) return false;
    }
    return true;
}

template struct ReplacePipeline<char>::Impl;
template struct ReplacePipeline<char16_t>::Impl;

} // namespace quorvane
