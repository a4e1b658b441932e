#pragma once
// A run's folder is locked (flock) while its run goes, and while an undo or a
// prune works on it, so neither touches a run another process is writing.
#include "engine/backup/StoreFiles.h"

#include <QString>
#include <cerrno>
#include <sys/file.h>
#include <unistd.h>

namespace quorvane {

class RunLock {
public:
    // Opens the run folder (a folder, never through a link) and takes its
    // lock at once, or not at all.
    explicit RunLock(const QString& folder) : m_fd(OpenRunFolder(folder))
    {
        if (m_fd < 0) {
            m_error = errno;
        } else if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            m_error = errno;
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
    // True when the folder could not be opened at all: missing, or no folder (a link, a file).
    bool noFolder() const { return m_fd < 0 && m_error != EWOULDBLOCK; }
    // The folder's descriptor while held.
    int fd() const { return m_fd; }

private:
    int m_fd;
    int m_error = 0;
};

} // namespace quorvane
