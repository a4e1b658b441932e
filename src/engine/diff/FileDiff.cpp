#include "engine/diff/FileDiff.h"

#include "engine/diff/DiffRun.h"
#include "engine/text/TextCodec.h"

#include <algorithm>

namespace quorvane {

namespace {

DiffLine MakeLine(DiffLine::Kind kind, qint64 oldLine, qint64 newLine, const diff::Line& from)
{
    DiffLine line;
    line.kind = kind;
    line.oldLine = oldLine;
    line.newLine = newLine;
    line.noNewline = !from.lf;
    const bool dropLf = from.lf && !from.isLong();   // a long line's start never holds its LF
    line.text = Utf8Text(QByteArrayView(from.bytes).first(from.bytes.size() - (dropLf ? 1 : 0)));
    return line;
}

// Marks what differs between a removed line and its added counterpart: all
// but their common start and end (never halving a surrogate pair).
void MarkPair(DiffLine& removed, DiffLine& added)
{
    const QString& a = removed.text;
    const QString& b = added.text;
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype prefix = 0;
    while (prefix < shorter && a[prefix] == b[prefix])
        ++prefix;
    if (prefix > 0 && prefix < shorter && a[prefix - 1].isHighSurrogate())
        --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    if (suffix > 0 && suffix < shorter - prefix && a[a.size() - suffix].isLowSurrogate())
        --suffix;
    for (DiffLine* line : {&removed, &added}) {
        const qsizetype end = line->text.size() - suffix;
        if (prefix < end)
            line->marked.push_back({int(prefix), int(end)});
    }
}

class CollectSink : public diff::HunkSink {
public:
    std::vector<DiffHunk> hunks;
    bool cutShort = false;

    void context(const diff::Line& line, qint64 oldNumber, qint64 newNumber) override
    {
        if (!full())
            add(MakeLine(DiffLine::Kind::Context, oldNumber, newNumber, line));
    }
    void change(diff::Lines removed, qint64 firstOld, diff::Lines added, qint64 firstNew) override
    {
        std::vector<DiffLine>& lines = m_hunk.lines;
        const size_t at = lines.size();
        for (size_t k = 0; k < removed.size() && !full(); ++k)
            add(MakeLine(DiffLine::Kind::Removed, firstOld + qint64(k), 0, removed[k]));
        const size_t keptRemoved = lines.size() - at;
        for (size_t k = 0; k < added.size() && !full(); ++k)
            add(MakeLine(DiffLine::Kind::Added, 0, firstNew + qint64(k), added[k]));
        cutShort = cutShort || keptRemoved < removed.size() || lines.size() - at - keptRemoved < added.size();
        if (keptRemoved == removed.size())
            for (size_t k = 0; k < std::min(removed.size(), lines.size() - at - keptRemoved); ++k)
                MarkPair(lines[at + k], lines[at + removed.size() + k]);
    }
    bool full() const override { return m_kept >= kMaxDiffLines; }
    void endHunk(qint64 oldStart, qint64 oldCount, qint64 newStart, qint64 newCount) override
    {
        m_hunk.oldStart = oldStart;
        m_hunk.oldCount = oldCount;
        m_hunk.newStart = newStart;
        m_hunk.newCount = newCount;
        hunks.push_back(std::move(m_hunk));
        m_hunk = DiffHunk();
    }
    void clear()
    {
        hunks.clear();
        m_hunk = DiffHunk();
        m_kept = 0;
        cutShort = false;
    }

private:
    void add(DiffLine&& line)
    {
        m_hunk.lines.push_back(std::move(line));
        ++m_kept;
    }

    DiffHunk m_hunk;
    qsizetype m_kept = 0;
};

} // namespace

FileDiff CollectDiff(const QString& source, const QString& output, FileJob job, qint64 maxChanges, int context)
{
    FileDiff result;
    CollectSink sink;
    diff::DiffRun run(source, sink, [&sink] { sink.clear(); }, context, maxChanges);
    result.outcome = run.run(output, std::move(job), {});
    if (result.outcome.ok && result.outcome.written) {
        result.hunks = std::move(sink.hunks);
        result.changesShown = run.shown();
        result.changesTotal = run.total();
        result.cutShort = sink.cutShort;
    }
    return result;
}

} // namespace quorvane
