#include "engine/files/FileAccess.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

QByteArray NativePath(const QString& path)
{
    return QFile::encodeName(path);
}

FileIdentity IdentityOf(const QString& path)
{
    struct stat st;
    if (!UsablePath(path) || ::stat(NativePath(path).constData(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino};
}

bool UsablePath(const QString& path)
{
    if (!path.contains(QChar(0)))
        return true;
    errno = kNulInPath;
    return false;
}

int OpenRegularForReading(const QString& path, struct stat* opened, const struct stat* seen)
{
    if (path.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    if (!UsablePath(path))
        return -1;
    // Devices are never opened at all (opening some has side effects); should
    // the path change in between, O_NONBLOCK keeps a FIFO without writer from
    // hanging the open and the type check on the descriptor turns it away.
    const QByteArray native = NativePath(path);
    struct stat st;
    if (!seen && ::stat(native.constData(), &st) != 0)
        return -1;
    if (!S_ISREG((seen ? *seen : st).st_mode)) {
        errno = EINVAL;
        return -1;
    }
    int fd;
    do {
        fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    // O_NONBLOCK stays: regular files ignore it, and a read that meets it
    // after all clears it then (ReadFully, ReadAt), which costs nothing here.
    if (opened)
        *opened = st;
    return fd;
}

PathLook LookAt(const QByteArray& native)
{
    return LookAtIn(AT_FDCWD, native);
}

PathLook LookAtIn(int folderFd, const QByteArray& name)
{
    PathLook look;
    if (::fstatat(folderFd, name.constData(), &look.st, AT_SYMLINK_NOFOLLOW) != 0)
        return look;
    look.link = S_ISLNK(look.st.st_mode);
    look.taken = !look.link || ::fstatat(folderFd, name.constData(), &look.st, 0) == 0;
    return look;
}

namespace {

// A read that failed with err is worth trying again: an interrupted one, or
// one refused on a descriptor left non-blocking, which is then made blocking.
bool ReadAgain(int fd, int err)
{
    if (err == EINTR)
        return true;
    if (err != EAGAIN)
        return false;
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_NONBLOCK) && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Reads up to len bytes (at offset, or from the file position when offset is
// negative), retrying short reads, EINTR and EAGAIN, until enough are in.
qint64 ReadLoop(int fd, void* buffer, qint64 len, qint64 enough, qint64 offset)
{
    char* p = static_cast<char*>(buffer);
    qint64 done = 0;
    while (done < len && (enough < 0 || done < enough)) {
        const ssize_t n = offset < 0 ? ::read(fd, p + done, size_t(len - done))
                                     : ::pread(fd, p + done, size_t(len - done), off_t(offset + done));
        if (n < 0) {
            if (ReadAgain(fd, errno))
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

qint64 ReadFully(int fd, void* buffer, qint64 len, qint64 enough)
{
    return ReadLoop(fd, buffer, len, enough, -1);
}

qint64 ReadAt(int fd, void* buffer, qint64 len, qint64 offset)
{
    return ReadLoop(fd, buffer, len, -1, offset);
}

bool WriteFully(int fd, const void* buffer, qint64 len)
{
    const char* p = static_cast<const char*>(buffer);
    while (len > 0) {
        const ssize_t n = ::write(fd, p, size_t(len));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        len -= n;
    }
    return true;
}

static QString SystemText(int err)
{
    if (err == kNulInPath)
        return QStringLiteral("Invalid file name: it contains a NUL character");
    return QString::fromLocal8Bit(std::strerror(err));
}

QString DescribeReadError(int err)
{
    switch (err) {
    case ENOENT: return QStringLiteral("File not found");
    case ENOTDIR: return QStringLiteral("Path not found");
    case EACCES: case EPERM: case EROFS: return QStringLiteral("Permission denied");
    case EINVAL: return QStringLiteral("Not a regular file");
    case kMalformedText: return QStringLiteral("Not valid text");
    case kPatternFailed: return QStringLiteral("The pattern could not be applied");
    default: return SystemText(err);
    }
}

QString DescribeWriteError(int err)
{
    switch (err) {
    case ENOENT: case ENOTDIR: return QStringLiteral("Path not found");
    case EACCES: case EPERM: case EROFS: return QStringLiteral("Permission denied");
    case EINVAL: return QStringLiteral("Not a regular file");
    default: return SystemText(err);
    }
}

QString DescribeFileError(const FileError& error)
{
    const int err = error.number;
    switch (error.stage) {
    case FileStage::None: return QString();
    case FileStage::Open:
    case FileStage::Read:
        return (err == kMalformedText || err == kPatternFailed) && !error.detail.isEmpty() ? error.detail
                                                                                         : DescribeReadError(err);
    case FileStage::KeepBackup: return QStringLiteral("cannot keep a backup: ") + SystemText(err);
    case FileStage::Spool: return error.detail;
    case FileStage::CreateTemp:
    case FileStage::Rename:
        // The folder, not the target, refuses here (a read-only folder, or
        // another user's file in a sticky one): say where, or "Permission
        // denied" puzzles about a target that may be written.
        if (err == EACCES || err == EPERM || err == EROFS) {
            const QString folder = QFileInfo(error.path).absolutePath();
            return (error.stage == FileStage::CreateTemp ? QStringLiteral("cannot create a temporary file in ")
                                                         : QStringLiteral("cannot replace a file in "))
                   + folder + QStringLiteral(": ") + DescribeWriteError(err);
        }
        return DescribeWriteError(err);
    case FileStage::Write:
    case FileStage::Sync: return DescribeWriteError(err);
    }
    return DescribeWriteError(err);
}

QString ReportReason(const FileError& error)
{
    // A backup's or a spool's error is about another file than the row's.
    const bool plain = error.stage != FileStage::KeepBackup && error.stage != FileStage::Spool;
    if (plain && error.number == ENOENT)
        return SystemText(ENOENT);
    if (plain && error.number == ENOTDIR)
        return SystemText(error.reading() ? ENOTDIR : ENOENT);
    return DescribeFileError(error);
}

} // namespace quorvane
