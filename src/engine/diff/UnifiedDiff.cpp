// WriteUnifiedDiff: hunks formatted as `diff -u` prints them. A hunk's header
// needs its line counts, so its body waits (in memory, or in a temporary file
// when large) until the hunk is whole.
#include "engine/diff/DiffRun.h"
#include "engine/diff/FileDiff.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryFile>

namespace quorvane {

namespace {

constexpr qint64 kBodyInMemory = qint64(4) << 20;

QByteArray Range(qint64 start, qint64 count)
{
    return count == 1 ? QByteArray::number(start) : QByteArray::number(start) + ',' + QByteArray::number(count);
}

class UnifiedSink : public diff::HunkSink {
public:
    UnifiedSink(const QString& label, const std::function<bool(const QByteArray&)>& write)
        : m_fileHeader("--- " + QFile::encodeName(label) + "\n+++ " + QFile::encodeName(label) + '\n'),
          m_write(write)
    {
    }

    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

    void context(const diff::Line& line, qint64, qint64) override { add(' ', line); }
    void change(diff::Lines removed, qint64, diff::Lines added, qint64) override
    {
        for (const diff::Line& line : removed)
            add('-', line);
        for (const diff::Line& line : added)
            add('+', line);
    }
    void endHunk(qint64 oldStart, qint64 oldCount, qint64 newStart, qint64 newCount) override
    {
        if (m_produced == 0)
            pass(m_fileHeader);
        pass("@@ -" + Range(oldStart, oldCount) + " +" + Range(newStart, newCount) + " @@\n");
        if (m_spill) {
            m_spill->seek(0);
            while (!failed() && !m_spill->atEnd()) {
                const QByteArray block = m_spill->read(kBodyInMemory);
                if (block.isEmpty())
                    fail(QStringLiteral("Cannot read back the changes: ") + m_spill->errorString());
                pass(block);
            }
            m_spill.reset();
        }
        pass(m_body);
        m_body.clear();
    }

    // The result starts again: what was handed on already is not handed on
    // twice; the new go must produce the very same bytes up to there.
    void restart()
    {
        m_body.clear();
        m_spill.reset();
        if (m_written > 0) {
            m_replayed = m_hash.result();
            m_replayLength = m_written;
        }
        m_hash.reset();
        m_check.reset();
        m_produced = 0;
    }
    void finish()
    {
        if (m_produced < m_replayLength)
            fail(QStringLiteral("The changes shown before the file was read again were not all found again"));
    }

private:
    void fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = why;
    }
    void add(char kind, const diff::Line& line)
    {
        m_body += kind;
        if (!line.wholeTo([this](const QByteArray& piece) {
                m_body += piece;
                spillIfLarge();
            }))
            fail(QStringLiteral("Cannot hold a long line: ") + line.spool->errorString());
        if (!line.lf)
            m_body += "\n\\ No newline at end of file\n";
        spillIfLarge();
    }
    void spillIfLarge()
    {
        if (m_body.size() > kBodyInMemory && !failed()) {
            if (!m_spill) {
                m_spill = std::make_unique<QTemporaryFile>();
                if (!m_spill->open())
                    fail(QStringLiteral("Cannot hold the changes: ") + m_spill->errorString());
            }
            if (m_spill->isOpen() && m_spill->write(m_body) != m_body.size())
                fail(QStringLiteral("Cannot hold the changes: ") + m_spill->errorString());
            m_body.clear();
        }
    }
    void pass(QByteArrayView piece)
    {
        if (failed() || piece.isEmpty())
            return;
        const qint64 again = std::clamp<qint64>(m_replayLength - m_produced, 0, piece.size());
        if (again > 0) {
            m_check.addData(piece.first(again));
            m_hash.addData(piece.first(again));
            m_produced += again;
            if (m_produced == m_replayLength && m_check.result() != m_replayed)
                fail(QStringLiteral("The changes differ from those shown before the file was read again"));
            piece = piece.sliced(again);
            if (piece.isEmpty())
                return;
        }
        m_produced += piece.size();
        m_written += piece.size();
        m_hash.addData(piece);
        if (!m_write(piece.toByteArray()))
            fail(QStringLiteral("Cannot write the changes"));
    }

    const QByteArray m_fileHeader;
    const std::function<bool(const QByteArray&)>& m_write;
    QByteArray m_body;
    std::unique_ptr<QTemporaryFile> m_spill;
    QString m_error;
    qint64 m_produced = 0;       // bytes of the diff made on this go at the file
    qint64 m_written = 0;        // bytes handed to write, on any go
    QCryptographicHash m_hash{QCryptographicHash::Sha1};    // of the bytes handed on
    QCryptographicHash m_check{QCryptographicHash::Sha1};   // of those made again after a restart
    QByteArray m_replayed;
    qint64 m_replayLength = 0;
};

} // namespace

FileOutcome WriteUnifiedDiff(const QString& source, const QString& label, const QString& output, FileJob job,
                             const std::function<bool(const QByteArray&)>& write, int context)
{
    UnifiedSink sink(label, write);
    diff::DiffRun run(source, sink, [&sink] { sink.restart(); }, context, -1);
    FileOutcome outcome = run.run(output, std::move(job), [&sink] { return sink.failed(); });
    if (outcome.ok)
        sink.finish();
    if (sink.failed()) {
        outcome.ok = false;
        outcome.cancelled = false;
        outcome.failure = {FileStage::Spool, 0, source, sink.error()};
    }
    return outcome;
}

} // namespace quorvane
