#include "batch/FilterRun.h"

#include "engine/files/FileAccess.h"
#include "engine/run/RunDriver.h"

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <unistd.h>

namespace quorvane::batch {

namespace {

constexpr qint64 kPiece = qint64(1) << 20;

// One entry, the input's copy, replaced into a file beside it.
class FilterFace final : public RunFace {
public:
    FilterFace(QString source, QString output, std::shared_ptr<const RunPairs> pairs)
        : m_source(std::move(source)), m_output(std::move(output)), m_pairs(std::move(pairs))
    {
    }
    qsizetype count() override { return 1; }
    EntryPlan plan(qsizetype) override
    {
        EntryPlan plan;
        plan.source = m_source;
        plan.output = m_output;
        plan.pairs = m_pairs;
        return plan;
    }
    QString describe(const FileError& error) override { return ReportReason(error); }
    std::optional<RunReportRow> unreached(qsizetype) override { return std::nullopt; }
    void fileDone(qsizetype, const RunReportRow& row, const FileError&) override { m_row = row; }
    const RunReportRow& row() const { return m_row; }

private:
    QString m_source, m_output;
    std::shared_ptr<const RunPairs> m_pairs;
    RunReportRow m_row{{}, {}, 0, RunOutcome::NotReached, {}};
};

// Copies all of input into path; 0, or the errno of what failed.
int Take(int input, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return EIO;
    QByteArray piece(kPiece, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(input, piece.data(), size_t(piece.size()));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (file.write(piece.constData(), n) != n)
            return ENOSPC;
    }
    return file.flush() ? 0 : ENOSPC;
}

// Copies path onto the streams' output; false when it could not be read.
bool Give(const QString& path, Streams& streams)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd() && !streams.outFailed()) {
        const QByteArray piece = file.read(kPiece);
        if (piece.isEmpty() && file.error() != QFileDevice::NoError)
            return false;
        streams.out(piece);
    }
    return true;
}

} // namespace

int FilterRun(std::shared_ptr<const RunPairs> pairs, bool binary, int input, Streams& streams)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        streams.message("-: cannot make a temporary folder: " + folder.errorString());
        return 1;
    }
    const QString source = folder.filePath(QStringLiteral("input"));
    const QString output = folder.filePath(QStringLiteral("output"));
    if (const int why = Take(input, source)) {
        streams.message("-: " + SystemReason(why));
        return 1;
    }
    FilterFace face(source, output, std::move(pairs));
    RunOptions options;
    options.replaceBinary = binary;
    RunDriver(face, options).run();
    const RunReportRow& row = face.row();
    if (row.outcome == RunOutcome::Failed) {
        streams.message("-: " + row.reason);
        return 1;
    }
    if (row.outcome == RunOutcome::Skipped && !row.reason.isEmpty())
        streams.message("-: skipped: " + row.reason);
    const bool replaced = row.outcome == RunOutcome::Written || row.outcome == RunOutcome::Unchanged;
    if (!Give(replaced && QFile::exists(output) ? output : source, streams)) {
        streams.message(QStringLiteral("-: the result could not be read back"));
        return 1;
    }
    return 0;
}

} // namespace quorvane::batch
