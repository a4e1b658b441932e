#pragma once
// Atomic replacement of one file: the new content goes to a temporary file in
// the target's folder, which is synced and then renamed over the target. The
// target is never seen half-written, and a failure leaves it untouched with no
// temporary file behind.
#include <QString>
#include <string>
#include <sys/types.h>

namespace quorvane {

// The file a write to path really lands in: symbolic links followed (so a link
// stays a link and its target is written) and the folder made canonical when it
// exists. Also the identity under which pending writes are compared.
QString ResolveWriteTarget(const QString& path);

class AtomicFile {
public:
    explicit AtomicFile(const QString& target);
    ~AtomicFile();   // discards unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends to the new content. Short pieces gather in memory (up to 1 MB),
    // so a small file that ends up not written never creates a temporary file;
    // a piece of 256 KB or more is written out as it stands. False on failure.
    bool append(const char* data, qint64 len);
    // Finishes the temporary file: everything written, the existing target's
    // owner, group, extended attributes and mode bits (setuid/setgid included)
    // copied onto it as far as allowed, synced when sync is true, and closed.
    bool finish(bool sync);
    // Renames the finished temporary file over the target. On failure the
    // temporary file is removed and the target is untouched.
    bool commit();
    // Drops the temporary file, if any; the target stays as it was.
    void discard();

    const QString& finalPath() const { return m_final; }
    dev_t device() const { return m_device; }
    qint64 size() const { return m_size; }
    // errno of the failure that made a call return false.
    int errorNumber() const { return m_errno; }

private:
    bool openTemp();
    bool flushBuffer();
    bool writeOut(const char* data, qint64 len);
    bool fail();

    QString m_final;
    QByteArray m_tempPath;
    int m_fd = -1;
    int m_errno = 0;
    dev_t m_device = 0;
    qint64 m_size = 0;
    qint64 m_written = 0;   // bytes in the temporary file
    qint64 m_kicked = 0;    // bytes already sent on their way to disk
    std::string m_buffer;
    bool m_finished = false;
};

} // namespace quorvane
