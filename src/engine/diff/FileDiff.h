#pragma once
// The changes a run would make to one file, worked out by a dry run whose
// result is compared line by line with the source as both stream by; memory
// does not grow with the file's size.
#include "engine/FileReplace.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace quorvane {

struct DiffLine {
    enum class Kind { Context, Removed, Added } kind = Kind::Context;
    qint64 oldLine = 0, newLine = 0;   // 1-based; 0 where the line has none on that side
    QString text;                      // without its LF (a CR before it stays)
    // [start, end) spans of text that changed, on a removed or added line paired
    // with one of the other kind in the same change.
    std::vector<std::pair<int, int>> marked;
    bool noNewline = false;            // the file's last line, without an LF
};

struct DiffHunk {
    // As `diff -u` prints them: for no lines, the start is the line before.
    qint64 oldStart = 0, oldCount = 0, newStart = 0, newCount = 0;
    std::vector<DiffLine> lines;
};

struct FileDiff {
    FileOutcome outcome;
    std::vector<DiffHunk> hunks;   // empty unless outcome.ok
    qint64 changesShown = 0, changesTotal = 0;
    // The hunks hold at most kMaxDiffLines lines: the last change shown then
    // lacks its lines past that point (its hunk's counts may be larger still).
    bool cutShort = false;
};

constexpr qsizetype kMaxDiffLines = 200000;

// The changes the job's pairs make to source, in hunks with `context` lines
// around them; only the first maxChanges changes are kept (changesTotal still
// counts them all; a negative maxChanges keeps all; see also kMaxDiffLines).
// A change is a run of
// removed and added lines. job.dryRun is forced on and job.group left unused:
// nothing is written.
// Files without a mark are compared as raw bytes, lines ending at LF; marked
// files as their text in UTF-8. In place, a result identical to its source
// shows no change.
FileDiff CollectDiff(const QString& source, const QString& output, FileJob job, qint64 maxChanges = 1000,
                     int context = 3);

// The same changes as `diff -u` prints them, the file named LABEL on both
// header lines (see DiffHeader.h), handed to write piece by piece once the
// whole file has been gone through: a file stopped or failed halfway hands on
// nothing, and so does one without changes. For a file without a mark,
// `patch -p0` turns the source into the exact bytes the run would write.
// Returns the dry run's outcome; false from write ends the handing on
// (outcome.ok false, and the error says so).
FileOutcome WriteUnifiedDiff(const QString& source, const QString& label, const QString& output, FileJob job,
                             const std::function<bool(const QByteArray&)>& write, int context = 3);

} // namespace quorvane
