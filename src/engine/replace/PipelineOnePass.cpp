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
// before it left that text, must not hold a later find touching it: the
// picks that match decide, not every pair that could (PipelineCreators.cpp).
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

template struct ReplacePipeline<char>::Impl;
template struct ReplacePipeline<char16_t>::Impl;

} // namespace quorvane
