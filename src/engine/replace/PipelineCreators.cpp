#include "engine/replace/PipelineImpl.h"

#include <algorithm>

// The one-pass mode's check of picks whose replacement may form a later
// pair's find: whether, in the text around it, one actually does.

namespace quorvane {

namespace {

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
                if (settled == 0) return false;  // a run of picks longer than a stretch
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
