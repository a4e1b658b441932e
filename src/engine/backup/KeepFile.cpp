#include "engine/backup/KeepFile.h"

#include "engine/files/FileAccess.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace quorvane {

namespace {

struct LinkInjection {
    int err = 0;
    int times = 0;
};

LinkInjection& Injected()
{
    static LinkInjection injection;
    return injection;
}

constexpr qint64 kCopyBlock = qint64(1) << 18;

// Copies the extended attributes of the file from onto fd; those the file
// system or the caller's rights refuse are skipped.
void CopyExtendedAttributes(int from, int fd)
{
    ssize_t len = ::flistxattr(from, nullptr, 0);
    if (len <= 0)
        return;
    std::vector<char> names(size_t(len) + 1);
    len = ::flistxattr(from, names.data(), names.size());
    if (len <= 0)
        return;
    std::vector<char> value;
    for (ssize_t i = 0; i < len; i += ssize_t(std::strlen(names.data() + i)) + 1) {
        const char* name = names.data() + i;
        ssize_t vlen = ::fgetxattr(from, name, nullptr, 0);
        if (vlen < 0)
            continue;
        value.resize(size_t(vlen) + 1);
        vlen = ::fgetxattr(from, name, value.data(), value.size());
        if (vlen >= 0)
            ::fsetxattr(fd, name, value.data(), size_t(vlen), 0);
    }
}

} // namespace

void InjectBackupLinkFailure(int err, int times)
{
    Injected() = LinkInjection{err, times};
}

int LinkFile(const QByteArray& from, const QByteArray& to)
{
    LinkInjection& injected = Injected();
    if (injected.times > 0) {
        --injected.times;
        return injected.err;
    }
    return ::link(from.constData(), to.constData()) == 0 ? 0 : errno;
}

bool CopyInstead(int err)
{
    return err == EXDEV || err == EPERM || err == EMLINK || err == ENOTSUP;
}

int CopyBytes(int in, int out)
{
    const auto block = MakeReadBuffer<char>(size_t(kCopyBlock));
    for (;;) {
        const qint64 got = ReadFully(in, block.get(), kCopyBlock);
        if (got < 0)
            return errno;
        if (got > 0 && !WriteFully(out, block.get(), got))
            return errno;
        if (got < kCopyBlock)
            return 0;
    }
}

int CopyFile(const QByteArray& from, const QByteArray& to)
{
    // A FIFO put in the file's place since it was looked at must not hang the
    // run. O_NONBLOCK stays: regular files ignore it (ReadFully copes if not).
    const int in = ::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        return errno;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return EINVAL;
    }
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    int err = out < 0 ? errno : CopyBytes(in, out);
    if (err == 0) {
        CopyExtendedAttributes(in, out);
        // Last: the times as they were before this copy read the file.
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
    }
    ::close(in);
    if (out >= 0 && ::close(out) != 0 && err == 0)
        err = errno;
    if (err != 0 && out >= 0)
        ::unlink(to.constData());
    return err;
}

void SetOwnerAndMode(int fd, uid_t uid, gid_t gid, mode_t mode, int attributesFrom)
{
    // Changing the owner clears setuid, setgid and file capabilities, so the
    // attributes follow it and the mode comes last.
    struct stat st;
    if (::fstat(fd, &st) == 0 && (st.st_uid != uid || st.st_gid != gid)) {
        if (::fchown(fd, uid, gid) != 0)
            (void)::fchown(fd, uid_t(-1), gid);
    }
    if (attributesFrom >= 0)
        CopyExtendedAttributes(attributesFrom, fd);
    ::fchmod(fd, mode & 07777);
}

void CopyTimes(int from, int fd)
{
    struct stat st;
    if (::fstat(from, &st) != 0)
        return;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(fd, times);
}

} // namespace quorvane
