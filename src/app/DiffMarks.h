#pragma once
// What to highlight within a changed line: the spans that differ between a
// removed line and the added line paired with it, each replaced place its
// own span, and the part of an overlong line to show around them.
#include <QString>
#include <utility>
#include <vector>

namespace quorvane {

struct DiffHunk;

using Spans = std::vector<std::pair<int, int>>;   // [start, end) in a line's text

// The spans of removed and of added that the other lacks, matched word by
// word (a word is a run of letters and digits; any other character stands
// alone). Lines too long to match cheaply keep the one span from their first
// to their last difference.
void MarkReplacedSpans(const QString& removed, const QString& added, Spans& removedSpans, Spans& addedSpans);

// The spans to highlight on each line of hunk: each replaced place of a line
// paired with one of the other kind (MarkReplacedSpans), the engine's marks
// on the others.
std::vector<Spans> ReplacedSpans(const DiffHunk& hunk);

// The part of a line of `length` characters to show in at most `most`
// characters: from the first span's start, less a little context, when the
// line is longer; the whole line otherwise.
std::pair<int, int> ShownPart(int length, const Spans& spans, int most);

} // namespace quorvane
