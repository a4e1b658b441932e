#include "engine/run/DryResults.h"

#include "engine/files/FileAccess.h"

#include <QDir>
#include <QFileInfo>

namespace quorvane {

class DryResults::Tap final : public ResultTap {
public:
    explicit Tap(ResultTap* next) : m_next(next), m_file(std::make_shared<QTemporaryFile>()) {}
    bool open() { return m_file->open(); }
    void restart() override
    {
        m_failed = m_failed || !m_file->seek(0) || !m_file->resize(0);
        if (m_next)
            m_next->restart();
    }
    void put(const char* data, qint64 len) override
    {
        m_failed = m_failed || m_file->write(data, len) != len;
        if (m_next)
            m_next->put(data, len);
    }
    // The whole result, or null when it could not be kept.
    std::shared_ptr<QTemporaryFile> result() { return m_failed || !m_file->flush() ? nullptr : m_file; }

private:
    ResultTap* m_next;
    std::shared_ptr<QTemporaryFile> m_file;
    bool m_failed = false;
};

DryResults::DryResults() = default;
DryResults::~DryResults() = default;

DryResults::Key DryResults::keyOf(const QString& path)
{
    if (const FileIdentity id = IdentityOf(path); id.known())
        return {id, QString()};
    return {{}, QDir::cleanPath(QFileInfo(path).absoluteFilePath())};
}

void DryResults::learn(qsizetype count, const std::function<std::optional<QString>(qsizetype)>& source)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (const std::optional<QString> path = source(i); path && !path->isEmpty())
            m_lastReader.insert(keyOf(*path), i);
    }
}

ResultTap* DryResults::keepFor(qsizetype index, const QString& output, ResultTap* next)
{
    m_tap.reset();
    if (m_lastReader.isEmpty() || output.isEmpty())
        return next;
    m_tapKey = keyOf(output);
    if (m_lastReader.value(m_tapKey, -1) <= index)
        return next;
    m_tap = std::make_unique<Tap>(next);
    if (!m_tap->open()) {
        m_tap.reset();
        return next;
    }
    return m_tap.get();
}

void DryResults::done(bool written)
{
    if (!m_tap)
        return;
    if (written) {
        // A result that could not be kept leaves the later entries reading
        // the file as it is, as before.
        if (std::shared_ptr<QTemporaryFile> file = m_tap->result())
            m_kept.insert(m_tapKey, std::move(file));
        else
            m_kept.remove(m_tapKey);
    }
    m_tap.reset();
}

QString DryResults::standIn(const QString& path) const
{
    if (m_kept.isEmpty())
        return {};
    const auto found = m_kept.constFind(keyOf(path));
    return found == m_kept.cend() ? QString() : (*found)->fileName();
}

} // namespace quorvane
