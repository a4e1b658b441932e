// WriteUnifiedDiff: hunks formatted as `diff -u` prints them. A hunk's header
// needs its line counts, so its body waits until the hunk is whole; the
// file's changes wait until the file is whole, so that a file abandoned
// halfway (a stop, a failure) shows none of them. Both wait in memory, or in
// a temporary file when large.
#include "engine/diff/DiffHeader.h"
#include "engine/diff/DiffRun.h"
#include "engine/diff/FileDiff.h"

#include <QTemporaryFile>

namespace quorvane {

namespace {

constexpr qint64 kHeldInMemory = qint64(4) << 20;

QByteArray Range(qint64 start, qint64 count)
{
    return count == 1 ? QByteArray::number(start) : QByteArray::number(start) + ',' + QByteArray::number(count);
}

// Bytes kept in order: in memory up to kHeldInMemory, then in a temporary file.
class Spool {
public:
    bool isEmpty() const { return m_memory.isEmpty() && !m_file; }
    QString error() const { return m_error; }

    bool add(QByteArrayView bytes)
    {
        m_memory += bytes;
        if (m_memory.size() <= kHeldInMemory)
            return true;
        if (!m_file) {
            m_file = std::make_unique<QTemporaryFile>();
            if (!m_file->open())
                return fail(QStringLiteral("Cannot hold the changes: ") + m_file->errorString());
        }
        if (m_file->write(m_memory) != m_memory.size())
            return fail(QStringLiteral("Cannot hold the changes: ") + m_file->errorString());
        m_memory.clear();
        return true;
    }
    // Hands every byte to take, in blocks; false when reading back fails or
    // take refuses (then nothing more is handed on).
    bool handTo(const std::function<bool(QByteArrayView)>& take)
    {
        if (m_file) {
            m_file->seek(0);
            while (!m_file->atEnd()) {
                const QByteArray block = m_file->read(kHeldInMemory);
                if (block.isEmpty())
                    return fail(QStringLiteral("Cannot read back the changes: ") + m_file->errorString());
                if (!take(block))
                    return false;
            }
        }
        return m_memory.isEmpty() || take(m_memory);
    }
    void clear()
    {
        m_memory.clear();
        m_file.reset();
    }

private:
    bool fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = why;
        return false;
    }

    QByteArray m_memory;
    std::unique_ptr<QTemporaryFile> m_file;
    QString m_error;
};

class UnifiedSink : public diff::HunkSink {
public:
    UnifiedSink(const QString& source, const QString& label) : m_fileHeader(diff::FileHeader(source, label)) {}

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
        if (m_file.isEmpty())
            hold(m_file, m_fileHeader);
        hold(m_file, "@@ -" + Range(oldStart, oldCount) + " +" + Range(newStart, newCount) + " @@\n");
        if (!failed() && !m_body.handTo([this](QByteArrayView block) { return hold(m_file, block); }))
            fail(m_body.error());
        m_body.clear();
    }

    // The file is read again from its start: the changes so far are void.
    void restart()
    {
        m_body.clear();
        m_file.clear();
    }
    // The file is whole: its changes go to write.
    void finish(const std::function<bool(const QByteArray&)>& write)
    {
        bool refused = false;
        if (!failed() && !m_file.handTo([&write, &refused](QByteArrayView block) {
                refused = !write(block.toByteArray());
                return !refused;
            }))
            fail(refused ? QStringLiteral("Cannot write the changes") : m_file.error());
        m_file.clear();
    }

private:
    void fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = why;
    }
    bool hold(Spool& spool, QByteArrayView bytes)
    {
        if (failed())
            return false;
        if (!spool.add(bytes))
            fail(spool.error());
        return !failed();
    }
    void add(char kind, const diff::Line& line)
    {
        hold(m_body, QByteArrayView(&kind, 1));
        if (!line.wholeTo([this](const QByteArray& piece) { hold(m_body, piece); }))
            fail(QStringLiteral("Cannot hold a long line: ") + line.spool->errorString());
        hold(m_body, line.lf ? QByteArrayView() : QByteArrayView("\n\\ No newline at end of file\n"));
    }

    const QByteArray m_fileHeader;
    Spool m_body;   // the hunk in hand, without its header
    Spool m_file;   // the file's whole hunks, with the file's header
    QString m_error;
};

} // namespace

FileOutcome WriteUnifiedDiff(const QString& source, const QString& label, const QString& output, FileJob job,
                             const std::function<bool(const QByteArray&)>& write, int context)
{
    UnifiedSink sink(source, label);
    diff::DiffRun run(source, sink, [&sink] { sink.restart(); }, context, -1);
    FileOutcome outcome = run.run(output, std::move(job), [&sink] { return sink.failed(); });
    if (outcome.ok)
        sink.finish(write);
    if (sink.failed()) {
        outcome.ok = false;
        outcome.cancelled = false;
        outcome.failure = {FileStage::Spool, 0, source, sink.error()};
    }
    return outcome;
}

} // namespace quorvane
