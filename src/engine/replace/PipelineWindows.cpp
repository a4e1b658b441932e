#include "engine/replace/PipelineImpl.h"

#include <limits>
#include <type_traits>

// The candidate filter's side of the pipeline: the scan of each new stretch
// and of the windows around what the stages insert.

namespace quorvane {

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
    filterUnits += n;
    KeepLast(inputHistory, cur.data(), n, reach);
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
// When the windows cover much of the output and only a few pairs follow,
// those pairs simply search all of it: cheaper than the scan.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::scanWindows(const Stage& s, std::size_t k)
{
    const auto outLen = std::ptrdiff_t(cur.size());
    const auto before = std::ptrdiff_t(s.historyLen);
    const auto r = std::ptrdiff_t(reach);
    windows.clear();
    if (s.pending) windows.emplace_back(-before, std::ptrdiff_t(s.pending));
    std::ptrdiff_t covered = 0;
    for (const auto& [a, b] : inserts) {
        const std::ptrdiff_t f = std::max(std::ptrdiff_t(a) - r, -before), t = std::ptrdiff_t(b) + r;
        if (!windows.empty() && f <= windows.back().second) windows.back().second = std::max(windows.back().second, t);
        else windows.emplace_back(f, t);
    }
    auto& pending = stages[k].pending;
    pending = 0;
    if (windows.empty()) return;
    if (windows.back().second > outLen) pending = std::size_t(windows.back().second - outLen);
    for (auto& [f, t] : windows) {
        t = std::min(t, outLen);
        covered += std::max<std::ptrdiff_t>(0, t - f);
    }
    if (stages.size() - k - 1 <= kFewLaterPairs && covered * 4 > outLen) {
        HitLog::WindowReport everywhere{hits, k + 1, HitLog::kFromStart, std::numeric_limits<std::int64_t>::max() / 4};
        for (std::size_t j = k + 1; j < stages.size(); ++j)
            if (stages[j].find) everywhere.found(prep->shape.textOf[j], 0);
        return;
    }
    for (const auto& [f, t] : windows) scanWindow(s, f, t, k);
}

// Scans output units [from, to) of stage k; negative positions are history.
template <typename Unit>
void ReplacePipeline<Unit>::Impl::scanWindow(const Stage& s, std::ptrdiff_t from, std::ptrdiff_t to, std::size_t k)
{
    if (from >= to) return;
    filterUnits += std::uint64_t(to - from);
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

template struct ReplacePipeline<char>::Impl;
template struct ReplacePipeline<char16_t>::Impl;

} // namespace quorvane
