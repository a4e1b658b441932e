#pragma once
// A run's folder is locked (flock) while its run goes, and while an undo or a
// prune works on it, so neither touches a run another process is writing.
#include "engine/files/FileAccess.h"

#include <QString>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quorvane {

class RunLock {
public:
    // Takes the lock of the run folder at once, or not at all.
    explicit RunLock(const QString& folder)
        : m_fd(::open(NativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RunLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd;
};

} // namespace quorvane
