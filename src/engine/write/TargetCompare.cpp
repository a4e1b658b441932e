#include "engine/write/TargetCompare.h"

#include "engine/files/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {
constexpr qint64 kScratchBytes = 1 << 16;
}

TargetCompare::TargetCompare(const QString& path, int fd) : m_path(path), m_fd(fd), m_borrowed(fd >= 0) {}

TargetCompare::~TargetCompare()
{
    stop();
}

void TargetCompare::stop()
{
    if (m_fd >= 0 && !m_borrowed)
        ::close(m_fd);
    m_fd = -1;
    m_scratch.reset();
}

bool TargetCompare::ready()
{
    if (m_differs)
        return false;
    if (m_fd < 0) {
        m_borrowed = false;
        m_fd = OpenRegularForReading(m_path);
        if (m_fd < 0) {
            m_differs = true;   // what cannot be read is not known to be the same
            return false;
        }
    }
    if (!m_scratch)
        m_scratch = MakeReadBuffer<char>(size_t(kScratchBytes));
    return true;
}

void TargetCompare::feed(const char* data, qint64 len)
{
    while (len > 0 && ready()) {
        const qint64 step = std::min(len, kScratchBytes);
        const qint64 got = ReadAt(m_fd, m_scratch.get(), step, m_offset);
        if (got != step || std::memcmp(m_scratch.get(), data, size_t(step)) != 0) {
            m_differs = true;
            stop();
            return;
        }
        data += step;
        len -= step;
        m_offset += step;
    }
}

bool TargetCompare::same()
{
    if (!ready())
        return false;
    struct stat st;
    return ::fstat(m_fd, &st) == 0 && st.st_size == m_offset;
}

} // namespace quorvane
