#include "engine/backup/Restore.h"

#include "engine/backup/KeepFile.h"
#include "engine/files/FileAccess.h"
#include "engine/write/TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quorvane {

namespace {

const QString kChanged = QStringLiteral("changed since the run");
const QString kGone = QStringLiteral("no longer exists");
const QString kMissing = QStringLiteral("its backup is missing");

// Why path no longer holds what the run wrote, or empty when it does.
QString Drift(const BackupEntry& entry, QCryptographicHash::Algorithm algorithm)
{
    const int fd = OpenRegularForReading(entry.path);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return kGone;
        return errno == EINVAL ? kChanged : DescribeReadError(errno);
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (file.size() != entry.size)
        return kChanged;
    QCryptographicHash hash(algorithm);
    if (!hash.addData(&file))
        return DescribeReadError(EIO);
    return hash.result().toHex() == entry.hash ? QString() : kChanged;
}

// A temporary name of the form the write sweep knows, in folder.
QByteArray TempName(const QByteArray& folder)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = folder + "/.quorvane-";
    for (int i = 0; i < 6; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof(letters) - 1))];
    return name;
}

QByteArray FolderOf(const QString& path)
{
    return NativePath(QFileInfo(path).absolutePath());
}

// Links the kept file back under the target's name. Returns 0 or the errno value.
int PutBackLink(const QByteArray& kept, const QString& path)
{
    // Held under its lock, so a sweep in the target's folder takes the
    // temporary name for another run's and leaves it.
    const int held = ::open(kept.constData(), O_RDONLY | O_CLOEXEC);
    if (held < 0 && errno == ENOENT)
        return ENOENT;
    if (held >= 0)
        ::flock(held, LOCK_EX | LOCK_NB);
    QByteArray temp;
    int err = EEXIST;
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        temp = TempName(FolderOf(path));
        err = LinkFile(kept, temp);
    }
    if (err == 0 && ::rename(temp.constData(), NativePath(path).constData()) != 0) {
        err = errno;
        ::unlink(temp.constData());
    }
    if (held >= 0)
        ::close(held);
    return err;
}

// Copies the kept file to a temporary file beside the target, gives it the
// old file's owner, group and mode and renames it over the target.
int PutBackCopy(const QByteArray& kept, const BackupEntry& entry)
{
    const int in = ::open(kept.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    QByteArray temp;
    const int out = CreateHeldTemp(FolderOf(entry.path), temp);
    int err = out < 0 ? errno : CopyBytes(in, out);
    ::close(in);
    if (err == 0) {
        SetOwnerAndMode(out, uid_t(entry.uid), gid_t(entry.gid), mode_t(entry.mode));
        if (::fsync(out) != 0 || ::rename(temp.constData(), NativePath(entry.path).constData()) != 0)
            err = errno;
    }
    if (err != 0 && out >= 0)
        ::unlink(temp.constData());
    if (out >= 0)
        ::close(out);
    return err;
}

} // namespace

QString Restore(const QString& runFolder, const BackupEntry& entry, QCryptographicHash::Algorithm algorithm)
{
    if (const QString drift = Drift(entry, algorithm); !drift.isEmpty())
        return drift;
    if (entry.kept.isEmpty())
        return ::unlink(NativePath(entry.path).constData()) == 0 ? QString() : DescribeWriteError(errno);
    const QString keptPath = runFolder + QLatin1Char('/') + entry.kept;
    const QByteArray kept = NativePath(keptPath);
    // A copy in the store was made with the store's owner and mode, so it goes
    // back as a copy given the old ones.
    int err = entry.copied ? EXDEV : PutBackLink(kept, entry.path);
    if (err != 0 && CopyInstead(err))
        err = PutBackCopy(kept, entry);
    if (err == ENOENT && !QFileInfo::exists(keptPath))
        return kMissing;
    return err == 0 ? QString() : DescribeWriteError(err);
}

} // namespace quorvane
