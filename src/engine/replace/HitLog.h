#pragma once
// Where the candidate filter saw each find text, and so where each pair's
// stage has to search. Ranges are kept in the coordinates of the text as it
// was when they were recorded; each later stage widens them by what has moved
// since: tails put in front (an exact shift) and replacements (at most the
// total growth one way and the total shrinkage the other).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace quorvane {

// Which find text each pair has, and the pairs and length of each text:
// the same for every file, so built once for a list of pairs.
struct HitShape {
    std::vector<std::uint32_t> textOf;                  // per pair
    std::vector<std::vector<std::uint32_t>> pairsOf;    // per text, ascending
    std::vector<std::size_t> textLength;                // per text
};

struct HitLog {
    using Span = std::pair<std::size_t, std::size_t>;
    static constexpr std::int64_t kFromStart = std::numeric_limits<std::int64_t>::min() / 4;

    std::int64_t stamp = 0;            // of the stretch being processed
    std::int64_t prepended = 0;        // tail units put in front during this stretch
    std::int64_t grown = 0, shrunk = 0; // replacement growth and shrinkage in this stretch

    const HitShape* shape = nullptr;
    // Per pair.
    std::vector<std::int64_t> lastHit, prevHit;  // newest stamp reported, newest before this stretch
    std::vector<std::int64_t> windowStamp, windowLo, windowHi;
    // Per distinct find text: its range in this stretch's input.
    std::vector<std::int64_t> textStamp, textLo, textHi;
    std::vector<std::int64_t> windowTextStamp;  // per text: stretch it was seen in a window
    std::vector<std::size_t> windowTextFrom;    // and the first pair it was reported for
    std::vector<std::int64_t> windowTextLo, windowTextHi;  // the envelope of those windows
    std::vector<std::int64_t> missStamp;  // per text: stretch of the misses counted
    std::vector<std::uint32_t> misses;    // samples that matched its key but not it

    // Sizes the log for the pairs and texts of shape, which must outlive it.
    void init(const HitShape& s)
    {
        shape = &s;
        const std::size_t pairs = s.textOf.size(), texts = s.pairsOf.size();
        lastHit.assign(pairs, -1);
        prevHit.assign(pairs, -1);
        windowStamp.assign(pairs, -1);
        windowLo.assign(pairs, 0);
        windowHi.assign(pairs, 0);
        textStamp.assign(texts, -1);
        textLo.assign(texts, 0);
        textHi.assign(texts, 0);
        windowTextStamp.assign(texts, -1);
        windowTextFrom.assign(texts, 0);
        windowTextLo.assign(texts, 0);
        windowTextHi.assign(texts, 0);
        missStamp.assign(texts, -1);
        misses.assign(texts, 0);
    }

    // Starts a stretch.
    void next()
    {
        ++stamp;
        prepended = grown = shrunk = 0;
    }

    // Pair k's find text was reported in this stretch.
    void hit(std::size_t k)
    {
        if (lastHit[k] == stamp) return;
        prevHit[k] = lastHit[k];
        lastHit[k] = stamp;
    }

    // Past this many key matches without a match in one stretch (periodic
    // text), a find text is taken as present rather than compared again.
    static constexpr std::uint32_t kMissBudget = 256;

    // Reports from the scan of the input; origin places the scanned text.
    struct InputReport {
        HitLog& log;
        std::int64_t origin;
        bool known(std::uint32_t i) const
        {
            return log.textStamp[i] == log.stamp || (log.missStamp[i] == log.stamp && log.misses[i] > kMissBudget);
        }
        void missed(std::uint32_t i)
        {
            if (log.missStamp[i] != log.stamp) {
                log.missStamp[i] = log.stamp;
                log.misses[i] = 0;
            }
            ++log.misses[i];
        }
        void found(std::uint32_t i, std::size_t start)
        {
            const std::int64_t lo = origin + std::int64_t(start), hi = lo + std::int64_t(log.shape->textLength[i]);
            if (log.textStamp[i] != log.stamp) {
                log.textStamp[i] = log.stamp;
                log.textLo[i] = lo;
                log.textHi[i] = hi;
                for (std::uint32_t k : log.shape->pairsOf[i]) log.hit(k);
            } else {
                log.textLo[i] = std::min(log.textLo[i], lo);
                log.textHi[i] = std::max(log.textHi[i], hi);
            }
        }
    };

    // Reports from a window [from, to) of a stage's output (from may be
    // kFromStart); only pairs from firstPair on are concerned.
    struct WindowReport {
        HitLog& log;
        std::size_t firstPair;
        std::int64_t from, to;
        // Seen already for these pairs: a key match then only widens ranges.
        bool known(std::uint32_t i) const
        {
            return log.windowTextStamp[i] == log.stamp && log.windowTextFrom[i] <= firstPair;
        }
        void missed(std::uint32_t) {}
        void found(std::uint32_t i, std::size_t)
        {
            const std::int64_t lo = from == kFromStart ? kFromStart : from - log.prepended + log.shrunk;
            const std::int64_t hi = to - log.prepended - log.grown;
            if (log.windowTextStamp[i] != log.stamp) {
                log.windowTextStamp[i] = log.stamp;
                log.windowTextFrom[i] = firstPair;
                log.windowTextLo[i] = lo;
                log.windowTextHi[i] = hi;
            } else {
                // Stages report in pair order, so every earlier report reached
                // all the pairs this one concerns: inside their envelope there
                // is nothing to add (dense text reports the same text over and
                // over, and thousands of pairs may share it).
                if (lo >= log.windowTextLo[i] && hi <= log.windowTextHi[i]) return;
                log.windowTextFrom[i] = std::min(log.windowTextFrom[i], firstPair);
                log.windowTextLo[i] = std::min(log.windowTextLo[i], lo);
                log.windowTextHi[i] = std::max(log.windowTextHi[i], hi);
            }
            const auto& pairs = log.shape->pairsOf[i];
            for (auto k = std::lower_bound(pairs.begin(), pairs.end(), firstPair); k != pairs.end(); ++k) {
                log.hit(*k);
                if (log.windowStamp[*k] != log.stamp) {
                    log.windowStamp[*k] = log.stamp;
                    log.windowLo[*k] = lo;
                    log.windowHi[*k] = hi;
                } else {
                    log.windowLo[*k] = std::min(log.windowLo[*k], lo);
                    log.windowHi[*k] = std::max(log.windowHi[*k], hi);
                }
            }
        }
    };

    // The ranges of a text of n units where pair k may occur, sorted and
    // merged; oldest is the lowest stamp any unit of the text may carry.
    void ranges(std::size_t k, std::int64_t oldest, std::size_t n, std::vector<Span>& out) const
    {
        out.clear();
        auto add = [&](std::int64_t lo, std::int64_t hi) {
            lo = std::max<std::int64_t>(lo, 0);
            hi = std::min<std::int64_t>(hi, std::int64_t(n));
            if (lo < hi) out.emplace_back(std::size_t(lo), std::size_t(hi));
        };
        if (lastHit[k] == stamp) {
            const std::uint32_t i = shape->textOf[k];
            if (textStamp[i] == stamp) add(textLo[i] + prepended - shrunk, textHi[i] + prepended + grown);
            if (windowStamp[k] == stamp)
                add(windowLo[k] == kFromStart ? 0 : windowLo[k] + prepended - shrunk, windowHi[k] + prepended + grown);
        }
        // Text reported in an earlier stretch can only be in the part put in
        // front from the tails, which ends before this stretch's input.
        if ((lastHit[k] == stamp ? prevHit[k] : lastHit[k]) >= oldest) add(0, prepended + grown);
        std::sort(out.begin(), out.end());
        std::size_t merged = 0;
        for (const Span& r : out) {
            if (merged && r.first <= out[merged - 1].second) out[merged - 1].second = std::max(out[merged - 1].second, r.second);
            else out[merged++] = r;
        }
        out.resize(merged);
    }
};

} // namespace quorvane
