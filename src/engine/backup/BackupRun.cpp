#include "engine/backup/BackupRun.h"

#include "engine/backup/KeepFile.h"
#include "engine/backup/LastRun.h"
#include "engine/backup/StoreFiles.h"
#include "engine/files/FileAccess.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorvane {

namespace {

// Hashing the result on the run's thread costs it no more than a fraction of
// writing it: about 10 GB/s against BLAKE2b's 570 MB/s (which the stores of
// earlier versions name, and which undo still reads).
constexpr HashKind kHash = HashKind::Xxh3_128;

} // namespace

BackupRun::BackupRun(QString id, QString folder, QDateTime started, QString description, BackupRunMode mode)
    : m_id(std::move(id)), m_folder(std::move(folder)), m_started(std::move(started)),
      m_description(std::move(description)), m_mode(mode)
{
}

BackupRun::~BackupRun()
{
    finish();
}

HashKind BackupRun::hashKind() const
{
    return kHash;
}

bool BackupRun::open(int& error)
{
    if (m_manifestFd >= 0)
        return true;
    QDir().mkpath(QFileInfo(m_folder).absolutePath());
    const QByteArray folder = NativePath(m_folder);
    // A run finished and then given more files goes on in its folder, unless
    // the folder went away with nothing in it.
    const bool fresh = ::mkdir(folder.constData(), 0700) == 0;
    if (!fresh && (errno != EEXIST || m_last == 0)) {
        error = errno;
        return false;
    }
    m_dirFd = OpenRunFolder(m_folder);
    if (m_dirFd >= 0)
        ::flock(m_dirFd, LOCK_EX);
    m_manifestFd = m_dirFd < 0 ? -1
                               : ::openat(m_dirFd, kManifestName, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC,
                                          0600);
    if (m_dirFd < 0 || m_manifestFd < 0) {
        error = errno;
        close();
        return false;
    }
    if (fresh) {
        BackupManifest head;
        head.id = m_id;
        head.started = m_started;
        head.description = m_description;
        head.mode = m_mode;
        head.hashName = HashKindName(kHash);
        m_head = ManifestHeadLine(head);
        m_pending.prepend(m_head);
        m_named = true;
    }
    return true;
}

qint64 BackupRun::keep(const QString& target, qint64 size, const QByteArray& hash, int& error)
{
    if (!open(error))
        return -1;
    BackupEntry e;
    e.path = target;
    e.size = size;
    e.hash = hash.toHex();
    const QByteArray native = NativePath(target);
    struct stat st;
    if (::stat(native.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return 0;   // never replaced: its rename fails
        e.number = ++m_last;
        e.kept = QString::number(e.number);
        e.mode = st.st_mode & 07777;
        e.uid = st.st_uid;
        e.gid = st.st_gid;
        e.keptBytes = st.st_size;
        const QByteArray keptPath = NativePath(m_folder + QLatin1Char('/') + e.kept);
        int err = LinkFile(native, keptPath);
        if (err != 0 && CopyInstead(err)) {
            err = CopyFile(native, keptPath);
            e.copied = m_copied = true;
        }
        if (err != 0) {
            error = err;
            return -1;
        }
        m_named = true;
        m_keptBytes += e.keptBytes;
        m_keptOf.insert(e.number, e.keptBytes);
    } else if (errno == ENOENT) {
        e.number = ++m_last;   // the run creates it
    } else {
        return 0;   // a path that leads nowhere: its rename fails as well
    }
    m_pending += ManifestEntryLine(e);
    m_pathOf.insert(e.number, target);
    ++m_files;
    m_noted = false;
    return e.number;
}

bool BackupRun::writePending(int& error)
{
    if (m_pending.isEmpty())
        return true;
    const QByteArray lines = std::exchange(m_pending, {});
    const off_t before = ::lseek(m_manifestFd, 0, SEEK_END);
    if (WriteFully(m_manifestFd, lines.constData(), lines.size()))
        return true;
    error = errno;
    // What did get written may end in half a line, which would read as a
    // damaged record: it is cut off again (its results are dropped, never put
    // in place). Failing that, the next lines start afresh.
    if (before >= 0 && ::ftruncate(m_manifestFd, before) == 0)
        m_pending = before == 0 ? m_head : QByteArray();
    else
        m_pending = "\n";
    return false;
}

bool BackupRun::sync(int& error)
{
    if (m_manifestFd < 0)
        return true;
    if (!writePending(error))
        return false;
    // Copies are many files of their own: one sync of the store's file system
    // covers them all.
    int rc = m_copied ? ::syncfs(m_manifestFd) : ::fdatasync(m_manifestFd);
    if (rc == 0 && m_named)
        rc = ::fsync(m_dirFd);
    if (rc != 0) {
        error = errno;
        return false;
    }
    m_copied = m_named = false;
    return true;
}

void BackupRun::drop(qint64 key)
{
    if (key <= 0)
        return;
    m_pending += ManifestDropLine(key);
    ::unlink(NativePath(m_folder + QLatin1Char('/') + QString::number(key)).constData());
    --m_files;
    m_keptBytes -= m_keptOf.take(key);
    m_pathOf.remove(key);
}

void BackupRun::landed()
{
    m_landedBytes.store(m_keptBytes, std::memory_order_release);
    if (m_files > 0)
        m_lasting.store(true, std::memory_order_release);
}

void BackupRun::expect(qint64 bytes)
{
    m_expectedBytes.fetch_add(bytes, std::memory_order_acq_rel);
    if (bytes > 0 && m_grown)
        m_grown();
}

void BackupRun::finish()
{
    close();
    if (m_noted)
        return;
    m_noted = true;
    WriteLastRunNote(QFileInfo(m_folder).absolutePath(), {m_started, m_files > 0 ? m_id : QString()});
}

void BackupRun::close()
{
    if (m_manifestFd >= 0) {
        int error = 0;
        if (m_files > 0)
            m_pending += ManifestTotalsLine(m_files, m_keptBytes, CommonFolder(m_pathOf.values()));
        if (writePending(error))
            ::fdatasync(m_manifestFd);
        ::close(std::exchange(m_manifestFd, -1));
    }
    if (m_dirFd < 0)
        return;
    if (m_files == 0)
        RemoveRun(m_dirFd, m_folder, {});   // every kept file went with its drop
    ::close(std::exchange(m_dirFd, -1));   // lets go of the lock
}

} // namespace quorvane
