#pragma once
// Atomic replacement of one file: the new content goes to a temporary file in
// the target's folder, which is synced and then renamed over the target. The
// target is never seen half-written, and a failure leaves it untouched with no
// temporary file behind. The temporary file stays open, and so held (see
// engine/write/TempFiles.h), until it is renamed or dropped.
#include "engine/files/ContentHash.h"
#include "engine/files/FileError.h"
#include "engine/files/FileIdentity.h"
#include "engine/write/WriteTarget.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <sys/stat.h>
#include <sys/types.h>

namespace quorvane {

class StaleTempSweep;
class TargetCompare;
class WriteBehind;

// What would make a write of a result to target fail before any byte is
// written, as AtomicFile would tell it: a target that may not be replaced
// (read-only, a folder, a device) or a folder that refuses the temporary file.
// Empty when none is seen now; a write may still fail later (a full disk).
FileError WriteForecast(const QString& target);

// For tests: after `after` more that succeed, the next `times` creations of a
// temporary file (CreateTemp), writes to one (Write) or renames over the
// target (Rename) fail with err without reaching the system.
enum class WriteStep { CreateTemp, Write, Rename };
void InjectWriteFailure(WriteStep step, int err, int times = 1, int after = 0);

// An existing target is replaced only when it is a regular file the user may
// write to (or a link leading to one): a folder, FIFO, device, socket or link
// loop at the target makes the write fail and stays as it is. The target is
// resolved (ResolveWriteTarget) once, when first needed: a file a run leaves
// alone never costs the resolution.
class AtomicFile {
public:
    explicit AtomicFile(const QString& target);
    ~AtomicFile();   // discards unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends to the new content. Short pieces gather in memory (up to 1 MB),
    // so a small file that ends up not written never creates a temporary file;
    // a piece of 256 KB or more is written out as it stands. Past the first
    // 2 MB, the gathered memory is written on a thread of its own while the
    // caller goes on. False on failure (a failed write may show a call later).
    bool append(const char* data, qint64 len);
    // The content will be about bytes long: the memory it gathers in is taken
    // once, at its size (up to 1 MB), by the first append, instead of growing
    // piece by piece. Call before the first append.
    void expectBytes(qint64 bytes);
    // Before the temporary file is made, sweep clears its folder of stale
    // temporary files (once per folder and sweep). Call before the first append.
    void setSweep(StaleTempSweep* sweep) { m_sweep = sweep; }
    // The run's known folders, used when the target is resolved.
    void setFolders(std::shared_ptr<TargetFolders> folders) { m_folders = std::move(folders); }
    // Finishes the temporary file: everything written, the existing target's
    // owner, group, extended attributes and mode bits (setuid/setgid included)
    // copied onto it as far as allowed, synced when sync is true. Its
    // descriptor stays open (one per finished file) until commit or discard.
    bool finish(bool sync);
    // Renames the finished temporary file over the target and closes it. On
    // failure the temporary file is removed and the target is untouched.
    bool commit();
    // Drops the temporary file, if any; the target stays as it was.
    void discard();

    // In place: the caller has just read the file the target's path reaches
    // and saw st (links followed); pathIsLink tells whether the path itself is
    // a symbolic link. Call before the first append. st then stands for the
    // existing target until the temporary file is made: its type and size, and
    // the owner and mode bits finish() copies. Spares looking at it again.
    void assumeTarget(const struct stat& st, bool pathIsLink);

    // From now on compares what is appended with the existing target's bytes
    // (call before the first append), so sameAsTarget() can tell an identical
    // result without reading it back. targetFd, if not -1, is an open
    // descriptor of the target (the source read in place) to compare with;
    // it must stay open until sameAsTarget() or discard().
    void compareWithTarget(int targetFd = -1);
    // After the last append: true when compareWithTarget() was called and the
    // whole content equals the target's. Ends the comparison.
    bool sameAsTarget();

    // A long result, as it starts to be written behind, tells announce the
    // size of the regular file it will replace, and tells it the same size
    // negated once it is renamed over that file or dropped: a run can make room
    // for the old file's backup while the result is still being written.
    // Call before the first append.
    void setAnnounce(std::function<void(qint64)> announce) { m_announce = std::move(announce); }

    // From now on hashes everything written (call before the first append),
    // so what is written can be recorded without reading it back.
    void hashContent(HashKind kind);
    // After finish(): the hash of the whole content, or empty when not hashed.
    const QByteArray& contentHash() const { return m_digest; }

    // The resolved target; empty for a path refused at once (empty, or holding a NUL).
    const QString& finalPath() const;
    dev_t device() const { return m_device; }
    // After finish(): the device and inode the result will have once committed.
    const FileIdentity& identity() const { return m_identity; }
    qint64 size() const { return m_size; }
    // errno of the failure that made a call return false.
    int errorNumber() const { return m_errno; }
    // That failure as a short text. A folder that refuses the temporary file
    // gives "cannot create a temporary file in FOLDER: Permission denied", one
    // that refuses the rename (another user's file in a sticky folder) "cannot
    // replace a file in FOLDER: Permission denied".
    QString errorText() const;
    // That failure as a value: the stage (creating the temporary file, writing,
    // syncing, renaming) and errno, with the resolved target as its path.
    FileError error() const;

private:
    bool openTemp();
    bool flushBuffer();
    // Writes to the temporary file (made first); fails the file on failure.
    bool writeOut(const char* data, qint64 len);
    // The write itself, with the comparison and hash: false with errno set,
    // the file left as it is. On the write-behind thread once there is one.
    bool writeChunk(const char* data, qint64 len);
    // Waits for what is written behind and ends the thread; fails the file
    // when a write failed.
    bool settleBehind();
    bool fail();
    TargetCompare* compare();
    // Announces the size of the file the target names (setAnnounce), once.
    void announce();
    // Takes back what announce() told.
    void withdraw();

    QString m_target;                 // as given
    mutable QString m_final;          // resolved, once asked for
    mutable bool m_resolved = false;
    std::shared_ptr<TargetFolders> m_folders;
    QByteArray m_tempPath;
    int m_fd = -1;
    int m_errno = 0;
    int m_refusal = 0;   // why the target path itself is unusable
    enum class Step { Other, CreateTemp, Sync, Rename } m_failedStep = Step::Other;
    struct stat m_assumed {};   // the target as the caller saw it (assumeTarget)
    bool m_targetAssumed = false;
    bool m_assumedLink = true;
    int m_compareFd = -1;
    dev_t m_device = 0;
    uid_t m_tempOwner = 0;   // the temporary file's owner and group as made
    gid_t m_tempGroup = 0;
    FileIdentity m_identity;
    qint64 m_size = 0;
    qint64 m_written = 0;   // bytes in the temporary file
    qint64 m_kicked = 0;    // bytes already sent on their way to disk
    std::string m_buffer;
    qint64 m_expected = 0;   // expectBytes(), until the first append takes it
    std::function<void(qint64)> m_announce;
    qint64 m_announced = 0;  // the bytes told and not yet taken back
    std::unique_ptr<TargetCompare> m_compare;
    bool m_compareWanted = false;   // m_compare is made when first fed
    std::unique_ptr<ContentHash> m_hash;
    QByteArray m_digest;
    std::unique_ptr<WriteBehind> m_behind;   // a long result's writing thread
    StaleTempSweep* m_sweep = nullptr;
    bool m_finished = false;
};

} // namespace quorvane
