#include "engine/write/AtomicWrite.h"

#include "engine/files/FileAccess.h"
#include "engine/write/TargetCompare.h"
#include "engine/write/TempFiles.h"
#include "engine/write/TempMetadata.h"
#include "engine/write/WriteBehind.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorvane {

namespace {

constexpr qint64 kBufferBytes = 1 << 20;
// A piece this long is written as it stands rather than copied into the buffer.
constexpr qint64 kDirectBytes = 1 << 18;
// Large results start their way to disk while later parts are still being
// made, so the final sync has little left to wait for.
constexpr qint64 kWritebackStep = qint64(8) << 20;
// Once this much of a result is written, the rest is written on a thread of
// its own while the owner goes on making it: a result this long is worth the
// thread, and most files never get there.
constexpr qint64 kBehindFrom = qint64(2) << 20;

// Why an existing target must not be replaced, as an errno value, or 0. Links
// are followed: a loop fails here with ELOOP. seen, if given, is the target's
// stat, taken just now.
int TargetRefusal(const QByteArray& target, bool checkAccess, const struct stat* seen = nullptr)
{
    struct stat st;
    if (seen)
        st = *seen;
    else if (::stat(target.constData(), &st) != 0)
        return errno == ENOENT ? 0 : errno;   // a new file, or a path that leads nowhere
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;   // a FIFO, device or socket is never replaced by a file
    // A read-only target stays protected even though the rename would be
    // allowed by its folder.
    if (checkAccess && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return errno;
    return 0;
}

struct Injection {
    WriteStep step = WriteStep::Write;
    int err = 0;
    int times = 0;
    int after = 0;
};

Injection& Injected()
{
    static Injection injection;
    return injection;
}

// True (with errno set) when a test has asked this step to fail.
bool InjectedFailure(WriteStep step)
{
    Injection& i = Injected();
    if (i.times <= 0 || i.step != step)
        return false;
    if (i.after > 0) {
        --i.after;
        return false;
    }
    --i.times;
    errno = i.err;
    return true;
}

} // namespace

void InjectWriteFailure(WriteStep step, int err, int times, int after)
{
    Injected() = Injection{step, err, times, after};
}

FileError WriteForecast(const QString& target)
{
    if (target.isEmpty() || !UsablePath(target))
        return {FileStage::Write, target.isEmpty() ? ENOENT : kNulInPath, target};
    const QString final = ResolveWriteTarget(target);
    if (const int refusal = TargetRefusal(NativePath(final), true))
        return {FileStage::Write, refusal, final};
    const QByteArray folder = NativePath(QFileInfo(final).absolutePath());
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return {FileStage::CreateTemp, errno, final};
    return {};
}

AtomicFile::AtomicFile(const QString& target) : m_target(target)
{
    if (target.isEmpty())
        m_refusal = ENOENT;
    else if (!UsablePath(target))
        m_refusal = kNulInPath;
    m_resolved = m_refusal != 0;
}

const QString& AtomicFile::finalPath() const
{
    if (!m_resolved) {
        m_final = ResolveWriteTarget(m_target, m_folders.get(), m_assumedLink);
        m_resolved = true;
    }
    return m_final;
}

void AtomicFile::assumeTarget(const struct stat& st, bool pathIsLink)
{
    m_assumed = st;
    m_targetAssumed = m_refusal == 0;
    m_assumedLink = pathIsLink;
}

TargetCompare* AtomicFile::compare()
{
    if (m_compareWanted && !m_compare)
        m_compare = std::make_unique<TargetCompare>(finalPath(), m_compareFd);
    return m_compare.get();
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail()
{
    m_errno = errno;
    discard();
    return false;
}

bool AtomicFile::openTemp()
{
    if (m_fd >= 0)
        return true;
    if (m_refusal) {
        errno = m_refusal;
        return fail();
    }
    const struct stat* seen = m_targetAssumed ? &m_assumed : nullptr;
    if (const int refusal = TargetRefusal(NativePath(finalPath()), true, seen)) {
        errno = refusal;
        return fail();
    }
    // A short fixed name: the target's own name plus a suffix could exceed the
    // file system's name length limit.
    const QByteArray folder = NativePath(QFileInfo(finalPath()).absolutePath());
    if (m_sweep)
        m_sweep->clearOnce(folder);
    struct stat held;
    m_fd = InjectedFailure(WriteStep::CreateTemp) ? -1 : CreateHeldTemp(folder, m_tempPath, &held);
    if (m_fd < 0) {
        m_tempPath.clear();
        m_failedStep = Step::CreateTemp;
        return fail();
    }
    m_device = held.st_dev;
    m_identity = {held.st_dev, held.st_ino};
    m_tempOwner = held.st_uid;
    m_tempGroup = held.st_gid;
    return true;
}

bool AtomicFile::writeOut(const char* data, qint64 len)
{
    return openTemp() && (writeChunk(data, len) || fail());
}

bool AtomicFile::writeChunk(const char* data, qint64 len)
{
    if (TargetCompare* c = compare())
        c->feed(data, len);
    if (m_hash)
        m_hash->addData(QByteArrayView(data, len));
    if (InjectedFailure(WriteStep::Write) || !WriteFully(m_fd, data, len))
        return false;
    m_written += len;
    if (m_written - m_kicked >= kWritebackStep) {
        ::sync_file_range(m_fd, m_kicked, m_written - m_kicked, SYNC_FILE_RANGE_WRITE);
        m_kicked = m_written;
    }
    return true;
}

bool AtomicFile::flushBuffer()
{
    if (m_buffer.empty())
        return true;
    if (!m_behind && m_written >= kBehindFrom) {
        // The temporary file is open (bytes are in it). From here on only the
        // thread touches it, the comparison and the hash, until settleBehind().
        m_behind = std::make_unique<WriteBehind>(
            [this](const std::string& chunk) { return writeChunk(chunk.data(), qint64(chunk.size())); });
        announce();
    }
    if (m_behind)
        return m_behind->put(m_buffer) || fail();
    if (!writeOut(m_buffer.data(), qint64(m_buffer.size())))
        return false;
    m_buffer.clear();
    return true;
}

bool AtomicFile::settleBehind()
{
    if (!m_behind)
        return true;
    const bool written = m_behind->settle();
    if (!written)
        return fail();
    m_behind.reset();
    return true;
}

void AtomicFile::expectBytes(qint64 bytes)
{
    // Growing by doubling would copy the content about twice over, each time
    // into memory the system has to hand out afresh.
    // Taken by the first append: a file left alone appends nothing.
    m_expected = bytes;
}

bool AtomicFile::append(const char* data, qint64 len)
{
    if (m_errno)
        return false;
    m_size += len;
    // Written behind, a long piece is copied like any other: the thread
    // writes it after this returns.
    if (len >= kDirectBytes && !m_behind)
        return flushBuffer() && writeOut(data, len);
    if (qint64(m_buffer.size()) + len > kBufferBytes && !flushBuffer())
        return false;
    if (m_expected > 0)
        m_buffer.reserve(size_t(std::min(std::exchange(m_expected, 0), kBufferBytes)));
    m_buffer.append(data, size_t(len));
    return true;
}

bool AtomicFile::finish(bool sync)
{
    if (m_errno)
        return false;
    if (!openTemp() || !flushBuffer() || !settleBehind())
        return false;
    std::string().swap(m_buffer);   // a finished file may wait long in a group
    m_compare.reset();
    m_compareWanted = false;
    m_compareFd = -1;
    if (m_hash)
        m_digest = std::exchange(m_hash, nullptr)->result();
    CopyMetadata(NativePath(finalPath()), m_fd, m_tempOwner, m_tempGroup, m_targetAssumed ? &m_assumed : nullptr);
    if (sync && ::fsync(m_fd) != 0) {
        m_failedStep = Step::Sync;
        return fail();
    }
    // Closing is where some file systems (NFS) report a failed write. A
    // duplicate shares the lock and keeps the file held until its commit.
    if (!CloseMayFail(m_fd, m_device)) {
        m_finished = true;
        return true;
    }
    const int keep = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (keep < 0)
        return fail();
    if (::close(std::exchange(m_fd, keep)) != 0)
        return fail();
    m_finished = true;
    return true;
}

bool AtomicFile::commit()
{
    if (!m_finished) {
        if (!m_errno)
            m_errno = EINVAL;
        return false;
    }
    // Checked again: a file may wait long in a group, and rename would replace
    // whatever stands at the target by then.
    const QByteArray finalNative = NativePath(finalPath());
    if (const int refusal = TargetRefusal(finalNative, false)) {
        errno = refusal;
        return fail();
    }
    if (InjectedFailure(WriteStep::Rename) || ::rename(m_tempPath.constData(), finalNative.constData()) != 0) {
        m_failedStep = Step::Rename;
        return fail();
    }
    m_tempPath.clear();
    ::close(std::exchange(m_fd, -1));
    m_finished = false;
    withdraw();
    return true;
}

void AtomicFile::announce()
{
    if (!m_announce || m_announced)
        return;
    struct stat st = m_assumed;
    if (!m_targetAssumed && ::stat(NativePath(finalPath()).constData(), &st) != 0)
        return;   // nothing there yet: the result creates its target
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        m_announced = st.st_size;
        m_announce(m_announced);
    }
}

void AtomicFile::withdraw()
{
    if (m_announced)
        m_announce(-std::exchange(m_announced, 0));
}

void AtomicFile::discard()
{
    m_behind.reset();   // before the temporary file goes
    // Removed while still held, so no sweep ever finds it unheld.
    if (!m_tempPath.isEmpty()) {
        ::unlink(m_tempPath.constData());
        m_tempPath.clear();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_finished = false;
    m_buffer.clear();
    m_compare.reset();
    m_compareWanted = false;
    m_compareFd = -1;
    withdraw();
}

void AtomicFile::compareWithTarget(int targetFd)
{
    m_compare.reset();
    m_compareWanted = m_refusal == 0;
    m_compareFd = targetFd;
}

void AtomicFile::hashContent(HashKind kind)
{
    m_hash = std::make_unique<ContentHash>(kind);
    m_digest.clear();
}

bool AtomicFile::sameAsTarget()
{
    // What is written behind is compared there: that ends first.
    const bool settled = settleBehind();
    const bool wanted = std::exchange(m_compareWanted, false) && settled && m_errno == 0;
    // Most results that differ differ in size, which needs no reading.
    struct stat st;
    if (wanted && m_targetAssumed)
        st = m_assumed;
    bool same = wanted && (m_targetAssumed || ::stat(NativePath(finalPath()).constData(), &st) == 0)
                && st.st_size == m_size;
    if (same) {
        if (!m_compare)
            m_compare = std::make_unique<TargetCompare>(finalPath(), m_compareFd);
        m_compare->feed(m_buffer.data(), qint64(m_buffer.size()));
        same = m_compare->same();
    }
    m_compare.reset();
    m_compareFd = -1;
    return same;
}

FileError AtomicFile::error() const
{
    if (m_errno == 0)
        return {};
    switch (m_failedStep) {
    case Step::CreateTemp: return {FileStage::CreateTemp, m_errno, finalPath()};
    case Step::Sync: return {FileStage::Sync, m_errno, finalPath()};
    case Step::Rename: return {FileStage::Rename, m_errno, finalPath()};
    case Step::Other: break;
    }
    return {FileStage::Write, m_errno, finalPath()};
}

QString AtomicFile::errorText() const
{
    return DescribeFileError(error());
}

} // namespace quorvane
