#include "engine/backup/KeepFile.h"

#include "engine/files/FileAccess.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

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
    const auto block = std::make_unique<char[]>(size_t(kCopyBlock));
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
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    int err = out < 0 ? errno : CopyBytes(in, out);
    ::close(in);
    if (out >= 0 && ::close(out) != 0 && err == 0)
        err = errno;
    if (err != 0 && out >= 0)
        ::unlink(to.constData());
    return err;
}

void SetOwnerAndMode(int fd, uid_t uid, gid_t gid, mode_t mode)
{
    // Changing the owner clears setuid and setgid, so the mode comes last.
    struct stat st;
    if (::fstat(fd, &st) == 0 && (st.st_uid != uid || st.st_gid != gid)) {
        if (::fchown(fd, uid, gid) != 0)
            (void)::fchown(fd, uid_t(-1), gid);
    }
    ::fchmod(fd, mode & 07777);
}

} // namespace quorvane
