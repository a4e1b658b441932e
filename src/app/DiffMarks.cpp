#include "app/DiffMarks.h"

#include "engine/diff/FileDiff.h"

#include <algorithm>
#include <cstdint>

namespace quorvane {

namespace {

// Beyond this many word pairs a line pair keeps its one coarse span.
constexpr qint64 kMostCells = 4'000'000;

// Where each word of text starts, and its end last.
std::vector<int> Words(const QString& text)
{
    std::vector<int> starts;
    int at = 0;
    while (at < text.size()) {
        starts.push_back(at);
        if (text[at].isLetterOrNumber()) {
            while (at < text.size() && text[at].isLetterOrNumber())
                ++at;
        } else {
            ++at;
            // Never split a surrogate pair.
            if (at < text.size() && text[at].isLowSurrogate())
                ++at;
        }
    }
    starts.push_back(int(text.size()));
    return starts;
}

QStringView Word(const QString& text, const std::vector<int>& starts, size_t i)
{
    return QStringView(text).mid(starts[i], starts[i + 1] - starts[i]);
}

void Add(Spans& spans, int from, int to)
{
    if (from < to)
        spans.push_back({from, to});
}

// One place where the lines differ, [rFrom, rTo) of removed for [aFrom,
// aTo) of added, less the characters both sides share at its ends (a word
// that changed within, such as "xcaty" for "xdogy", marks only "cat").
void AddPlace(const QString& removed, const QString& added, int rFrom, int rTo, int aFrom, int aTo,
              Spans& removedSpans, Spans& addedSpans)
{
    while (rFrom < rTo && aFrom < aTo && removed[rFrom] == added[aFrom])
        ++rFrom, ++aFrom;
    while (rFrom < rTo && aFrom < aTo && removed[rTo - 1] == added[aTo - 1])
        --rTo, --aTo;
    // Never a half of a surrogate pair.
    if (rFrom > 0 && removed[rFrom].isLowSurrogate() && aFrom > 0)
        --rFrom, --aFrom;
    if (rTo < removed.size() && removed[rTo].isLowSurrogate() && aTo < added.size())
        ++rTo, ++aTo;
    Add(removedSpans, rFrom, rTo);
    Add(addedSpans, aFrom, aTo);
}

} // namespace

void MarkReplacedSpans(const QString& removed, const QString& added, Spans& removedSpans, Spans& addedSpans)
{
    removedSpans.clear();
    addedSpans.clear();
    const std::vector<int> a = Words(removed), b = Words(added);
    const size_t n = a.size() - 1, m = b.size() - 1;
    // Common words at the start and the end need no table.
    size_t head = 0;
    while (head < n && head < m && Word(removed, a, head) == Word(added, b, head))
        ++head;
    size_t tail = 0;
    while (tail < n - head && tail < m - head
           && Word(removed, a, n - 1 - tail) == Word(added, b, m - 1 - tail))
        ++tail;
    const size_t rn = n - head - tail, rm = m - head - tail;
    if (qint64(rn) * qint64(rm) > kMostCells) {
        AddPlace(removed, added, a[head], a[n - tail], b[head], b[m - tail], removedSpans, addedSpans);
        return;
    }
    // Longest common subsequence of the words between, walked from the start;
    // each stretch of words only one side has is a place.
    std::vector<std::uint32_t> table((rn + 1) * (rm + 1), 0);
    const auto at = [&](size_t i, size_t j) -> std::uint32_t& { return table[i * (rm + 1) + j]; };
    for (size_t i = rn; i-- > 0;)
        for (size_t j = rm; j-- > 0;)
            at(i, j) = Word(removed, a, head + i) == Word(added, b, head + j) ? at(i + 1, j + 1) + 1
                                                                             : std::max(at(i + 1, j), at(i, j + 1));
    size_t i = 0, j = 0;
    while (i < rn || j < rm) {
        if (i < rn && j < rm && Word(removed, a, head + i) == Word(added, b, head + j)) {
            ++i;
            ++j;
            continue;
        }
        const size_t i0 = i, j0 = j;
        while ((i < rn || j < rm) && !(i < rn && j < rm && Word(removed, a, head + i) == Word(added, b, head + j))) {
            if (j >= rm || (i < rn && at(i + 1, j) >= at(i, j + 1)))
                ++i;
            else
                ++j;
        }
        AddPlace(removed, added, a[head + i0], a[head + i], b[head + j0], b[head + j], removedSpans, addedSpans);
    }
}

std::pair<int, int> ShownPart(int length, const Spans& spans, int most)
{
    if (length <= most)
        return {0, length};
    const int context = most / 8;
    const int first = spans.empty() ? 0 : spans.front().first;
    const int from = std::clamp(first - context, 0, length - most);
    return {from, from + most};
}

std::vector<Spans> ReplacedSpans(const DiffHunk& hunk)
{
    std::vector<Spans> spans(hunk.lines.size());
    for (size_t k = 0; k < hunk.lines.size(); ++k)
        spans[k] = hunk.lines[k].marked;
    for (size_t k = 0; k < hunk.lines.size();) {
        size_t removed = k;
        while (removed < hunk.lines.size() && hunk.lines[removed].kind == DiffLine::Kind::Removed)
            ++removed;
        size_t added = removed;
        while (added < hunk.lines.size() && hunk.lines[added].kind == DiffLine::Kind::Added)
            ++added;
        for (size_t p = 0; p < std::min(removed - k, added - removed); ++p) {
            const DiffLine& a = hunk.lines[k + p];
            const DiffLine& b = hunk.lines[removed + p];
            if (!a.marked.empty() && !b.marked.empty())
                MarkReplacedSpans(a.text, b.text, spans[k + p], spans[removed + p]);
        }
        k = std::max(added, k + 1);
    }
    return spans;
}

} // namespace quorvane
