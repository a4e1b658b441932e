#include "batch/Streams.h"

#include <cerrno>
#include <cstring>

namespace quorvane::batch {

void Streams::write(std::FILE* stream, const QByteArray& bytes, int& error)
{
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) != size_t(bytes.size()) && !error)
        error = errno ? errno : EIO;
}

void Streams::message(const QString& text)
{
    err("quorvane-batch: " + text.toUtf8() + '\n');
}

int Streams::finish(int status)
{
    errno = 0;
    if (std::fflush(m_out) != 0 && !m_outError)
        m_outError = errno ? errno : EIO;
    if (m_outError)
        message(PathReason(QStringLiteral("standard output"), m_outError));
    errno = 0;
    if (std::fflush(m_err) != 0 && !m_errError)
        m_errError = errno ? errno : EIO;
    return (m_outError || m_errError) && status == 0 ? 1 : status;
}

QString SystemReason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString PathReason(const QString& path, int errorNumber)
{
    return path + ": " + SystemReason(errorNumber);
}

} // namespace quorvane::batch
