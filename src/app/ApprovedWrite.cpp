#include "app/ApprovedWrite.h"

#include "engine/diff/DiffSides.h"
#include "engine/write/AtomicWrite.h"
#include "engine/write/CommitGroup.h"

#include <QTemporaryFile>

#include <algorithm>

namespace quorvane {

namespace {

std::vector<QByteArrayView> Lines(const QByteArray& text)
{
    std::vector<QByteArrayView> lines;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype lf = text.indexOf('\n', at);
        const qsizetype end = lf < 0 ? text.size() : lf + 1;
        lines.push_back(QByteArrayView(text).sliced(at, end - at));
        at = end;
    }
    return lines;
}

// Where a change's lines start, from 0: a header's start names the line
// before when it counts none.
qsizetype FirstLine(qint64 start, qint64 count)
{
    return qsizetype(count == 0 ? start : start - 1);
}

class Collect : public ResultTap {
public:
    QByteArray bytes;
    void restart() override { bytes.clear(); }
    void put(const char* data, qint64 len) override { bytes.append(data, len); }
};

// The source as the changes show it: raw bytes, or a marked file's text in UTF-8.
bool ShownSource(const QString& source, QByteArray& out, FileError& error)
{
    diff::OldLines lines;
    if (!lines.open(source)) {
        error = lines.error();
        return false;
    }
    diff::Line line;
    while (lines.next(line))
        if (!line.wholeTo([&out](const QByteArray& piece) { out += piece; }))
            break;
    if (lines.failed()) {
        error = lines.error();
        return false;
    }
    return true;
}

// The replacements the pairs make in text shown in the changes (as a file of its own).
std::vector<std::int64_t> CountsIn(const QByteArray& text, bool marked, const FileJob& job)
{
    QTemporaryFile file;
    if (!file.open())
        return {};
    if (marked)
        file.write("\xEF\xBB\xBF");
    file.write(text);
    file.close();
    FileJob count = job;
    count.dryRun = true;
    count.group = nullptr;
    count.tap = nullptr;
    count.forecastWrites = false;
    count.writtenBefore = {};
    count.standIn = {};
    count.skipBinary = false;
    return ProcessFile(file.fileName(), file.fileName() + QStringLiteral(".none"), count).counts;
}

} // namespace

QByteArray LeaveOut(const QByteArray& source, const QByteArray& result, const std::vector<LeftOut>& leftOut)
{
    const std::vector<QByteArrayView> from = Lines(source), to = Lines(result);
    QByteArray out;
    size_t at = 0;
    const auto take = [&out](const std::vector<QByteArrayView>& lines, size_t first, size_t end) {
        for (size_t k = first; k < std::min(end, lines.size()); ++k)
            out += lines[k];
    };
    for (const LeftOut& change : leftOut) {
        const size_t newFirst = size_t(FirstLine(change.newStart, change.newCount));
        const size_t oldFirst = size_t(FirstLine(change.oldStart, change.oldCount));
        take(to, at, newFirst);
        take(from, oldFirst, oldFirst + size_t(change.oldCount));
        at = newFirst + size_t(change.newCount);
    }
    take(to, at, to.size());
    return out;
}

FileOutcome ProcessApproved(const QString& source, const QString& output, const FileJob& job,
                            const std::function<void(const FileError&)>& onLateWriteFailure,
                            const std::vector<LeftOut>& leftOut)
{
    if (job.group) {
        job.group->landBefore(source);
        job.group->landBefore(output);
    }
    // The full result, as a dry run makes it.
    Collect result;
    FileJob dry = job;
    dry.dryRun = true;
    dry.group = nullptr;
    dry.tap = &result;
    dry.forecastWrites = false;
    FileOutcome outcome = ProcessFile(source, output, dry);
    if (!outcome.ok || !outcome.written || outcome.binary || outcome.sameAs >= 0)
        return outcome;

    QByteArray shown;
    if (!ShownSource(source, shown, outcome.failure)) {
        outcome.ok = false;
        return outcome;
    }
    const diff::Utf8Side::From side = diff::ResultSideOf(outcome.codec.read.form);
    const QByteArray& mark = outcome.codec.resultMark;
    QByteArray shownResult;
    diff::Utf8Side(side).addBytes(result.bytes.constData() + mark.size(), result.bytes.size() - mark.size(),
                                  shownResult);
    const QByteArray patched = LeaveOut(shown, shownResult, leftOut);

    // What the changes left out would have replaced is not counted.
    const bool marked = side != diff::Utf8Side::From::Bytes;
    QByteArray leftOutText;
    const std::vector<QByteArrayView> lines = Lines(shown);
    for (const LeftOut& change : leftOut)
        for (qint64 k = change.oldStart - 1; change.oldCount > 0 && k < change.oldStart - 1 + change.oldCount; ++k)
            if (k >= 0 && size_t(k) < lines.size())
                leftOutText += lines[size_t(k)];
    const std::vector<std::int64_t> uncounted = CountsIn(leftOutText, marked, job);
    for (size_t p = 0; p < std::min(uncounted.size(), outcome.counts.size()); ++p)
        outcome.counts[p] = std::max<std::int64_t>(0, outcome.counts[p] - uncounted[p]);

    QByteArray bytes = mark;
    if (side == diff::Utf8Side::From::Utf16LE) {
        const QString text = QString::fromUtf8(patched);
        bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    } else {
        bytes += patched;
    }
    outcome.written = false;
    // In place, the source stays untouched when every change was left out.
    if (source == output && patched == shown)
        return outcome;
    auto out = std::make_unique<AtomicFile>(output);
    if (job.group)
        job.group->prepare(*out);
    if (!out->append(bytes.constData(), bytes.size()) || !out->finish(job.group == nullptr)
        || (!job.group && !out->commit())) {
        outcome.ok = false;
        outcome.failure = out->error();
        return outcome;
    }
    outcome.result = out->identity();
    if (job.group)
        job.group->adopt(std::move(out), output, onLateWriteFailure, job.entry);
    outcome.written = true;
    return outcome;
}

} // namespace quorvane
