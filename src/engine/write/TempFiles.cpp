#include "engine/write/TempFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

constexpr char kPrefix[] = ".quorvane-";
constexpr size_t kPrefixLength = sizeof(kPrefix) - 1;
constexpr size_t kRandomLength = 6;   // the XXXXXX that mkostemp fills with letters and digits

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes the lock on a freshly made temporary file and checks that its name
// still names it: a sweep in another process may have locked and removed it
// between its creation and the lock. False when the file is no longer ours.
bool HoldAsNamed(int fd, const QByteArray& path, struct stat& held)
{
    // A file system without flock cannot hold the file; a sweep there cannot
    // take the lock either and so leaves every file alone.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return false;
    struct stat named;
    return ::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 && SameFile(held, named);
}

// Opens a file of the folder just to lock it, without following a link or
// blocking on a FIFO; write-only files are opened for writing.
int OpenToLock(int folder, const char* name)
{
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = ::openat(folder, name, O_RDONLY | flags);
    if (fd >= 0 || errno != EACCES)
        return fd;
    return ::openat(folder, name, O_WRONLY | flags);
}

std::atomic<bool> g_unnamed{true};

// A name of the temporary files' form, its letters drawn at random.
QByteArray RandomTempName()
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char random[kRandomLength];
    if (::getrandom(random, sizeof random, 0) != ssize_t(sizeof random))
        return {};
    QByteArray name(kPrefix);
    for (unsigned char r : random)
        name += kLetters[r % (sizeof kLetters - 1)];
    return name;
}

// Makes the file without a name, locks it and then names it: its inode is
// allocated outside the folder's lock, so workers making files in one folder
// do not queue behind a slow search for a free inode, and no sweep can take
// a file locked before it has a name. -1 when it cannot (the file system
// makes no unnamed files, /proc is not there to name them through, or any
// failure), for the caller to make the file by name, which tells why.
int CreateUnnamedThenNamed(const QByteArray& folder, QByteArray& path, struct stat& held)
{
    if (!g_unnamed.load(std::memory_order_relaxed))
        return -1;
    const int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return -1;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray name = RandomTempName();
        if (name.isEmpty())
            break;
        path = folder + '/' + name;
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0) {
            if (::fstat(fd, &held) == 0)
                return fd;
            ::unlink(path.constData());
            break;
        }
        if (errno != EEXIST)
            break;
    }
    ::close(fd);
    path.clear();
    return -1;
}

} // namespace

bool IsTempName(const char* name)
{
    if (std::strncmp(name, kPrefix, kPrefixLength) != 0 || std::strlen(name) != kPrefixLength + kRandomLength)
        return false;
    return std::all_of(name + kPrefixLength, name + kPrefixLength + kRandomLength, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

int CreateHeldTemp(const QByteArray& folder, QByteArray& path, struct stat* held)
{
    struct stat mine;
    const int unnamed = CreateUnnamedThenNamed(folder, path, mine);
    if (unnamed >= 0) {
        if (held)
            *held = mine;
        return unnamed;
    }
    // Losing a new file to a sweep needs a sweep at that very moment; a few
    // tries are plenty.
    for (int attempt = 0; attempt < 16; ++attempt) {
        path = folder + '/' + kPrefix + QByteArray(int(kRandomLength), 'X');
        const int fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) {
            path.clear();
            return -1;
        }
        if (HoldAsNamed(fd, path, mine)) {
            if (held)
                *held = mine;
            return fd;
        }
        // Not unlinked: the name is no longer ours.
        ::close(fd);
    }
    path.clear();
    errno = EAGAIN;
    return -1;
}

void SetUnnamedTemps(bool on)
{
    g_unnamed.store(on, std::memory_order_relaxed);
}

int RemoveStaleTemps(const QByteArray& folder)
{
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempName(entry->d_name) || (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN))
            continue;
        const int fd = OpenToLock(dirFd, entry->d_name);
        if (fd < 0)
            continue;
        // Held by nobody, and the name still names the file locked here (another
        // sweep may have removed it and a new file taken the name meanwhile).
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, named)
            && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

void StaleTempSweep::clearOnce(const QByteArray& folder)
{
    // Held while the folder is swept, so no write goes into it before.
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_cleared.contains(folder))
        return;
    m_cleared.insert(folder);
    RemoveStaleTemps(folder);
}

int HeldTempBudget()
{
    static const int budget = [] {
        struct rlimit limit;
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
            return 256;
        if (limit.rlim_cur < limit.rlim_max) {
            struct rlimit raised = limit;
            raised.rlim_cur = limit.rlim_max;
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
                limit = raised;
        }
        // Half the descriptors stay for everything else the program opens.
        const rlim_t half = limit.rlim_cur == RLIM_INFINITY ? rlim_t(1) << 20 : limit.rlim_cur / 2;
        return int(std::clamp<rlim_t>(half, 16, rlim_t(1) << 20));
    }();
    return budget;
}

} // namespace quorvane
