#include "engine/diff/SideLine.h"

#include <cstring>

namespace quorvane::diff {

bool LineSpool::append(const char* data, qint64 len)
{
    if (!m_file) {
        m_file = std::make_unique<QTemporaryFile>();
        if (!m_file->open())
            m_error = m_file->errorString();
    }
    if (!m_error.isEmpty())
        return false;
    if (!m_file->seek(m_size) || m_file->write(data, len) != len) {
        m_error = m_file->errorString();
        return false;
    }
    m_size += len;
    return true;
}

bool LineSpool::read(qint64 at, qint64 len, const std::function<void(const QByteArray&)>& take)
{
    if (!m_file || !m_error.isEmpty() || !m_file->seek(at))
        return false;
    while (len > 0) {
        const QByteArray block = m_file->read(std::min<qint64>(len, kLongLine));
        if (block.isEmpty()) {
            m_error = m_file->errorString();
            return false;
        }
        take(block);
        len -= block.size();
    }
    return true;
}

bool Line::wholeTo(const std::function<void(const QByteArray&)>& take) const
{
    if (!spool) {
        take(bytes);
        return true;
    }
    return spool->read(spoolAt, length, take);
}

bool LineCutter::add(const char* data, qint64 len)
{
    m_length += len;
    if (m_long) {
        m_hash.addData(QByteArrayView(data, len));
        return m_spool->append(data, len);
    }
    m_partial.append(data, len);
    if (m_partial.size() <= kLongLine || !m_spool)
        return true;
    // Too long to hold: from here on the line lives in the spool.
    m_long = true;
    m_spoolAt = m_spool->size();
    m_hash.reset();
    m_hash.addData(m_partial);
    const bool ok = m_spool->append(m_partial.constData(), m_partial.size());
    m_partial.truncate(kLongLineHead);
    m_partial.squeeze();
    return ok;
}

void LineCutter::end(bool lf, const Take& take)
{
    Line line;
    line.length = m_length;
    line.lf = lf;
    if (m_long) {
        line.digest = m_hash.result();
        line.spool = m_spool;
        line.spoolAt = m_spoolAt;
    }
    line.bytes = std::move(m_partial);
    line.hash = qHashMulti(0, line.bytes, line.length);
    m_partial = QByteArray();
    m_length = 0;
    m_long = false;
    take(std::move(line));
}

bool LineCutter::feed(const char* data, qint64 len, const Take& take)
{
    const char* stop = data + len;
    while (data < stop) {
        const char* lf = static_cast<const char*>(std::memchr(data, '\n', size_t(stop - data)));
        const char* upTo = lf ? lf + 1 : stop;
        if (!add(data, upTo - data))
            return false;
        if (lf)
            end(true, take);
        data = upTo;
    }
    return true;
}

void LineCutter::finish(const Take& take)
{
    if (m_length > 0)
        end(false, take);
}

} // namespace quorvane::diff
