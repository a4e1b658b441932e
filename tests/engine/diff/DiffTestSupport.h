#pragma once
// Shared by the diff tests: runs of the engine and a small unified-diff applier.
#include "engine/diff/FileDiff.h"
#include "engine/files/FileAccess.h"
#include "tests/engine/IoSandbox.h"
#include "tests/support/DiffStamps.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace quorvane::test {

inline FileJob DiffJob(std::vector<Pair> pairs, qsizetype chunkUnits = 65536)
{
    FileJob job;
    job.pairs = std::move(pairs);
    job.chunkUnits = chunkUnits;
    return job;
}

// What a real run writes for source (into a separate output file).
inline QByteArray RunResult(const IoSandbox& box, const QString& source, const std::vector<Pair>& pairs)
{
    const QString out = box.path("result.out");
    QFile::remove(out);
    const FileOutcome r = ProcessFile(source, out, DiffJob(pairs));
    EXPECT_TRUE(r.ok) << qPrintable(DescribeFileError(r.failure));
    return IoSandbox::read(out);
}

inline QByteArray Unified(const QString& source, const std::vector<Pair>& pairs, qsizetype chunkUnits = 65536,
                          FileOutcome* outcome = nullptr)
{
    QByteArray text;
    const FileOutcome r = WriteUnifiedDiff(source, "f", source + ".out", DiffJob(pairs, chunkUnits),
                                           [&text](const QByteArray& piece) {
                                               text += piece;
                                               return true;
                                           });
    EXPECT_TRUE(r.ok) << qPrintable(DescribeFileError(r.failure));
    if (outcome)
        *outcome = r;
    return WithoutStamps(text);
}

// Lines with their LF (the last may lack it).
inline QList<QByteArray> LinesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype lf = bytes.indexOf('\n', at);
        const qsizetype end = lf < 0 ? bytes.size() : lf + 1;
        lines.append(bytes.mid(at, end - at));
        at = end;
    }
    return lines;
}

// Applies a one-file unified diff strictly: context and removed lines must be
// the source's, hunk counts and starts must be right.
inline QByteArray ApplyUnified(const QByteArray& old, const QByteArray& diff)
{
    if (diff.isEmpty())
        return old;
    const QList<QByteArray> from = LinesOf(old), d = LinesOf(diff);
    EXPECT_TRUE(d.size() >= 2 && d[0].startsWith("--- ") && d[1].startsWith("+++ ")) << diff.left(200).constData();
    static const QRegularExpression header(R"(^@@ -(\d+)(?:,(\d+))? \+(\d+)(?:,(\d+))? @@\n$)");
    QByteArray out;
    qsizetype at = 0, outLines = 0, i = 2;
    while (i < d.size()) {
        const QRegularExpressionMatch m = header.match(QString::fromLatin1(d[i]));
        if (!m.hasMatch()) {
            ADD_FAILURE() << "not a hunk header: " << d[i].constData();
            return {};
        }
        const qint64 oldCount = m.captured(2).isEmpty() ? 1 : m.captured(2).toLongLong();
        const qint64 newCount = m.captured(4).isEmpty() ? 1 : m.captured(4).toLongLong();
        const qint64 oldStart = m.captured(1).toLongLong() - (oldCount ? 1 : 0);
        const qint64 newStart = m.captured(3).toLongLong() - (newCount ? 1 : 0);
        EXPECT_GE(oldStart, at);
        for (; at < oldStart && at < from.size(); ++at, ++outLines)
            out += from[at];
        EXPECT_EQ(newStart, outLines);
        qint64 seenOld = 0, seenNew = 0;
        for (++i; i < d.size() && !d[i].startsWith("@@"); ++i) {
            const char kind = d[i][0];
            QByteArray line = d[i].mid(1);
            if (i + 1 < d.size() && d[i + 1] == "\\ No newline at end of file\n") {
                line.chop(1);
                ++i;
            }
            if (kind == ' ' || kind == '-') {
                EXPECT_TRUE(at < from.size() && from[at] == line) << "line " << at + 1 << ": " << line.constData();
                ++at;
                ++seenOld;
            }
            if (kind == ' ' || kind == '+') {
                out += line;
                ++outLines;
                ++seenNew;
            }
        }
        EXPECT_EQ(seenOld, oldCount);
        EXPECT_EQ(seenNew, newCount);
    }
    for (; at < from.size(); ++at)
        out += from[at];
    return out;
}

} // namespace quorvane::test
