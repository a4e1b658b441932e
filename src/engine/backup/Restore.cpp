#include "engine/backup/Restore.h"

#include "engine/backup/KeepFile.h"
#include "engine/backup/StoreFiles.h"
#include "engine/files/FileAccess.h"
#include "engine/write/TempFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

const QString kChanged = QStringLiteral("changed since the run");
const QString kGone = QStringLiteral("no longer exists");
const QString kAlreadyBack = QStringLiteral("already as before the run");
const QString kAlreadyGone = QStringLiteral("already gone");

// Why path no longer holds what the run wrote, or empty when it does.
QString Drift(const BackupEntry& entry, HashKind algorithm)
{
    struct stat st;
    const int fd = OpenRegularForReading(entry.path, &st);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return kGone;
        return errno == EINVAL ? kChanged : DescribeReadError(errno);
    }
    const bool sized = st.st_size == entry.size;
    const QByteArray hash = sized ? HashOfFile(fd, algorithm) : QByteArray();
    ::close(fd);
    if (!sized)
        return kChanged;
    if (hash.isEmpty())
        return DescribeReadError(EIO);
    return hash.toHex() == entry.hash ? QString() : kChanged;
}

// True when path holds what the kept file holds: the very file, or the same bytes.
bool HoldsKept(const QString& path, int kept, HashKind algorithm)
{
    struct stat mine, theirs;
    const int fd = OpenRegularForReading(path, &mine);
    if (fd < 0)
        return false;
    bool same = ::fstat(kept, &theirs) == 0;
    if (same && (mine.st_dev != theirs.st_dev || mine.st_ino != theirs.st_ino)) {
        const QByteArray hash = HashOfFile(fd, algorithm);
        same = mine.st_size == theirs.st_size && !hash.isEmpty() && hash == HashOfFile(kept, algorithm);
    }
    ::close(fd);
    return same;
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

// Links the kept file (open as kept, named keptPath) back under the target's
// name. Returns 0 or the errno value.
int PutBackLink(int kept, const QByteArray& keptPath, const QString& path)
{
    // Held under its lock, so a sweep in the target's folder takes the
    // temporary name for another run's and leaves it.
    ::flock(kept, LOCK_EX | LOCK_NB);
    QByteArray temp;
    int err = EEXIST;
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        temp = TempName(FolderOf(path));
        err = LinkFile(keptPath, temp);
    }
    if (err != 0)
        return err;
    // The name may have been swapped since it was opened: only the file
    // checked goes back.
    struct stat linked, checked;
    if (::lstat(temp.constData(), &linked) != 0 || ::fstat(kept, &checked) != 0 || linked.st_dev != checked.st_dev
        || linked.st_ino != checked.st_ino)
        err = EINVAL;
    else if (::rename(temp.constData(), NativePath(path).constData()) != 0)
        err = errno;
    if (err != 0)
        ::unlink(temp.constData());
    return err;
}

// Copies the kept file to a temporary file beside the target, gives it the
// old file's owner, group, mode, extended attributes and times and renames it
// over the target.
int PutBackCopy(int kept, const BackupEntry& entry)
{
    if (::lseek(kept, 0, SEEK_SET) != 0)
        return errno;
    QByteArray temp;
    const int out = CreateHeldTemp(FolderOf(entry.path), temp);
    int err = out < 0 ? errno : CopyBytes(kept, out);
    if (err == 0) {
        SetOwnerAndMode(out, uid_t(entry.uid), gid_t(entry.gid), mode_t(entry.mode), kept);
        CopyTimes(kept, out);
        if (::fsync(out) != 0 || ::rename(temp.constData(), NativePath(entry.path).constData()) != 0)
            err = errno;
    }
    if (err != 0 && out >= 0)
        ::unlink(temp.constData());
    if (out >= 0)
        ::close(out);
    return err;
}

// Puts back the kept file of entry, open as kept, over a target that holds
// what the run wrote. Empty or why not.
QString PutBack(int runFd, const QString& runFolder, const BackupEntry& entry, int kept)
{
    struct stat st;
    if (::fstat(kept, &st) != 0)
        return DescribeReadError(errno);
    if (st.st_size != entry.keptBytes)
        return QStringLiteral("its backup has changed");
    // A copy in the store was made with the store's owner and mode, so it goes
    // back as a copy given the old ones.
    int err = entry.copied ? EXDEV : PutBackLink(kept, NativePath(runFolder + QLatin1Char('/') + entry.kept), entry.path);
    if (err != 0 && CopyInstead(err))
        err = PutBackCopy(kept, entry);
    if (err == EINVAL)
        return KeptFileProblem(err);
    if (err != 0)
        return DescribeWriteError(err);
    ::unlinkat(runFd, NativePath(entry.kept).constData(), 0);
    return {};
}

} // namespace

RestoreResult Restore(int runFd, const QString& runFolder, const BackupEntry& entry,
                      HashKind algorithm)
{
    const QString drift = Drift(entry, algorithm);
    if (entry.kept.isEmpty()) {
        if (drift.isEmpty()) {
            if (::unlink(NativePath(entry.path).constData()) != 0)
                return {RunOutcome::Failed, DescribeWriteError(errno)};
            return {RunOutcome::Removed, {}};
        }
        return drift == kGone ? RestoreResult{RunOutcome::Removed, kAlreadyGone} : RestoreResult{RunOutcome::Failed, drift};
    }
    const int kept = OpenStoreFile(runFd, NativePath(entry.kept));
    if (kept < 0)
        return {RunOutcome::Failed, drift.isEmpty() ? KeptFileProblem(errno) : drift};
    RestoreResult result{RunOutcome::Failed, drift};
    if (drift.isEmpty()) {
        result.reason = PutBack(runFd, runFolder, entry, kept);
        if (result.reason.isEmpty())
            result.outcome = RunOutcome::Restored;
    } else if (drift == kChanged && HoldsKept(entry.path, kept, algorithm)) {
        // The run was stopped between keeping the file and replacing it.
        ::unlinkat(runFd, NativePath(entry.kept).constData(), 0);
        result = {RunOutcome::Restored, kAlreadyBack};
    }
    ::close(kept);
    return result;
}

} // namespace quorvane
