#pragma once
// Streaming line diff: pairs the lines of two sides as they come, finds where
// they agree again after a difference with a bounded search, and groups the
// changes into hunks with context, as `diff -u` does.
#include "engine/diff/SideLine.h"

#include <QByteArray>
#include <QHash>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace quorvane::diff {

using Lines = std::span<const Line>;

// Receives hunks line by line.
class HunkSink {
public:
    virtual ~HunkSink() = default;
    virtual void context(const Line& line, qint64 oldNumber, qint64 newNumber) = 0;
    // Removed lines numbered from firstOld on, then added ones from firstNew on.
    virtual void change(Lines removed, qint64 firstOld, Lines added, qint64 firstNew) = 0;
    // The hunk just given is whole; starts as `diff -u` prints them (for no
    // lines, the number of the line before).
    virtual void endHunk(qint64 oldStart, qint64 oldCount, qint64 newStart, qint64 newCount) = 0;
    // True once the sink takes no more changes: the hunk in hand is closed and
    // later changes are only counted.
    virtual bool full() const { return false; }
};

// Groups equal lines and changes into hunks with `context` lines around each
// change, merging hunks whose context would touch. Only the first maxChanges
// changes reach the sink (all when negative), and none once the sink is full;
// total() counts every one. A
// change is a run of removed and added lines with no equal line inside.
class HunkBuilder {
public:
    HunkBuilder(HunkSink& sink, int context, qint64 maxChanges);
    void equal(const Line& line, qint64 oldNumber, qint64 newNumber);
    // oldBefore/newBefore: the lines of each side before the change.
    void change(Lines removed, Lines added, qint64 oldBefore, qint64 newBefore);
    void finish();
    qint64 total() const { return m_total; }
    qint64 shown() const { return m_shown; }

private:
    struct Equal {
        Line line;
        qint64 oldNumber, newNumber;
    };
    void emitHeld(size_t count);
    void closeHunk();

    HunkSink& m_sink;
    size_t m_context;
    qint64 m_max;
    std::deque<Equal> m_held;   // before a hunk: its leading context; in one: the equal lines since its last change
    bool m_open = false;
    bool m_stopped = false;
    bool m_lastWasChange = false;
    qint64 m_oldBefore = 0, m_newBefore = 0, m_oldCount = 0, m_newCount = 0;
    qint64 m_total = 0, m_shown = 0;
};

// Pairs the old side's lines, pulled through nextOld one per new line, with
// the new lines given to addNew. Only lines found equal on both sides become
// context. A difference still open past the bounds is closed as it stands.
class LineMatcher {
public:
    using NextOld = std::function<bool(Line& line)>;
    LineMatcher(HunkBuilder& out, NextOld nextOld);
    void addNew(Line&& line);
    // The new side has ended: the rest of the old side is matched.
    void finish();

    // Bounds of an open difference, per side: its lines, and the memory they
    // take (their bytes and what holding a line costs besides, about kLineCost).
    static constexpr qsizetype kMaxOpenLines = 1000000;
    static constexpr qint64 kMaxOpenBytes = qint64(32) << 20;
    static constexpr qint64 kLineCost = 256;

private:
    struct Pending {
        std::vector<Line> lines;
        QHash<Line, qsizetype> first;   // each line's first position in lines, plus one
        qint64 bytes = 0;               // memory taken, as counted against kMaxOpenBytes
        void add(const Line& line);
        void clear();
    };
    void run();
    bool takeOld(Line& line);
    bool takeNew(Line& line);
    void emitChange(size_t oldCount, size_t newCount);
    // Lines oldAt and newAt are equal: before them a change, after them the
    // rest goes back to be matched anew.
    void resolve(size_t oldAt, size_t newAt, const Line& line);
    void closeOpen();

    HunkBuilder& m_out;
    NextOld m_nextOld;
    std::deque<Line> m_oldBack, m_newQueue;
    Pending m_old, m_new;
    bool m_open = false;
    bool m_oldEnded = false, m_newEnded = false;
    qint64 m_oldDone = 0, m_newDone = 0;   // lines of each side passed on
};

} // namespace quorvane::diff
