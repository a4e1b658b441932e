#include "engine/backup/StoreFiles.h"

#include "engine/backup/Manifest.h"
#include "engine/files/FileAccess.h"
#include "engine/files/ForEachIndex.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

int OpenRunFolder(const QString& path)
{
    int fd;
    do {
        fd = ::open(NativePath(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int OpenStoreFile(int dirFd, const QByteArray& name)
{
    int fd;
    do {
        fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    // Regular files ignore O_NONBLOCK; cleared so later reads are plain.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

QString KeptFileProblem(int err)
{
    if (err == ENOENT)
        return QStringLiteral("its backup is missing");
    if (err == ELOOP || err == EINVAL || err == ENOTDIR)
        return QStringLiteral("its backup is not a regular file");
    return DescribeReadError(err);
}

bool RemoveRun(int runFd, const QString& path, const QStringList& kept)
{
    // Removing a kept file frees its blocks, most of the cost, outside the
    // folder's lock: a run of thousands goes on every core.
    ForEachIndex(size_t(kept.size()),
                 [&](size_t i) { ::unlinkat(runFd, NativePath(kept[qsizetype(i)]).constData(), 0); });
    if (::unlinkat(runFd, kManifestName, 0) != 0 && errno != ENOENT)
        return false;
    // rmdir leaves a folder that still holds anything, and never follows a link.
    ::rmdir(NativePath(path).constData());
    return true;
}

bool ReplaceStoreFile(const QString& path, const QByteArray& bytes, QString& why)
{
    QByteArray temp = NativePath(path) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    bool ok = fd >= 0 && WriteFully(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    const int err = errno;
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        why = DescribeWriteError(errno);
    } else if (!ok) {
        why = DescribeWriteError(err);
    }
    if (ok && ::rename(temp.constData(), NativePath(path).constData()) != 0) {
        ok = false;
        why = DescribeWriteError(errno);
    }
    if (!ok && fd >= 0)
        ::unlink(temp.constData());
    return ok;
}

QByteArray HashOfFile(int fd, HashKind kind)
{
    constexpr qint64 kBlock = qint64(1) << 18;
    const auto block = MakeReadBuffer<char>(size_t(kBlock));
    ContentHash hash(kind);
    for (qint64 at = 0;;) {
        const qint64 got = ReadAt(fd, block.get(), kBlock, at);
        if (got < 0)
            return {};
        hash.addData(QByteArrayView(block.get(), got));
        if (got < kBlock)
            return hash.result();
        at += got;
    }
}

} // namespace quorvane
