#pragma once
// Groups the commits of many small results: finished temporary files wait here
// and are made durable with one file-system sync instead of one sync per file,
// then renamed over their targets in the order they were added. A result is
// never renamed before it is on disk, and a target is either replaced whole or
// left as it was. Reading a waiting result's target has no side effect: the
// run asks isPending() and lands the results before it reads such a file.
// A group stands for one run: the first write of its run into a folder clears
// that folder of stale temporary files (see engine/write/TempFiles.h). With a
// backup attached, the file each result replaces is kept before the rename, and
// a result whose old file cannot be kept is not renamed. A group may be used
// from several threads at once: a group of results lands without the lock,
// while others add to the next one, and one group lands at a time.
#include "engine/files/FileError.h"
#include "engine/write/TempFiles.h"
#include "engine/write/WriteTarget.h"

#include <QSet>
#include <QString>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace quorvane {

class AtomicFile;
class GroupBackup;

struct CommitFailure {
    QString path;          // the output path as the caller gave it
    FileError error;       // what failed
};

class CommitGroup {
public:
    // Flushes by itself once maxFiles results or maxBytes of them are waiting,
    // or sooner when their open descriptors would run short.
    explicit CommitGroup(int maxFiles = 2048, qint64 maxBytes = qint64(256) << 20);
    // Flushes what is still waiting; failures then reach only the files' own
    // callbacks, so callers that count failures should flush() first.
    ~CommitGroup();
    CommitGroup(const CommitGroup&) = delete;
    CommitGroup& operator=(const CommitGroup&) = delete;

    // Syncs and renames everything waiting. Returns every failure since the
    // previous flush() call, including those of flushes made on the group's own
    // initiative; each was also passed to its file's callback.
    std::vector<CommitFailure> flush();
    // Syncs and renames everything waiting, as the group does on its own
    // initiative: the failures stay for flush() to return.
    void commitWaiting();
    // Drops every waiting result: the targets stay as they were.
    void discard();

    // True when a result for the file that path resolves to is waiting.
    bool isPending(const QString& path) const;
    // Before the file path names is read or written again: lands every waiting
    // result when one of them is for that file, so it is seen as the run left
    // it. True when results landed. maybeLink false: the caller has just seen
    // that path is no symbolic link, so it is not looked at again.
    bool landBefore(const QString& path, bool maybeLink = true);
    // Results waiting or being landed.
    int pendingCount() const;
    // later true: a full group waits in adopt() for landDue() instead of
    // landing there, unless its descriptors would pass the budget, so the
    // caller can tell its own file's outcome before the group lands.
    void setLandLater(bool later) { m_landLater = later; }
    // Lands the waiting results when they make a full group and no other
    // group is landing.
    void landDue();
    // For the run's atomic files (AtomicFile::setSweep).
    StaleTempSweep& sweep() { return m_sweep; }
    // Readies a new atomic file of this group's run before its first append.
    void prepare(AtomicFile& file);
    // Keeps the files the run replaces in backup (nullptr: none kept). Set it
    // before the run's first file is prepared; it must outlive the group or be
    // unset before the group's last flush.
    void setBackup(GroupBackup* backup) { m_backup = backup; }

    // Takes a finished (unsynced) temporary file destined for its target;
    // onFailure, if set, receives what failed should its commit fail. The
    // files waiting land in the order of their order keys (the run's entry
    // indexes), ties in the order taken, so workers finishing out of turn do
    // not change the order of landing, backups or their records.
    void adopt(std::unique_ptr<AtomicFile> file, const QString& path,
               std::function<void(const FileError&)> onFailure, qsizetype order = -1);

private:
    struct Entry;
    bool pending(const QString& path, bool maybeLink = true) const;
    bool full() const;   // m_lock held
    // Lands every waiting result, after any group another thread is landing;
    // hold is released while the results land.
    void commitAll(std::unique_lock<std::mutex>& hold);
    void land(std::vector<Entry>& entries, std::vector<CommitFailure>& failures);
    void commitBatch(std::vector<Entry>& entries, std::vector<CommitFailure>& failures);
    void fail(Entry& entry, const FileError& error, std::vector<CommitFailure>& failures);

    mutable std::mutex m_lock;   // over everything below
    std::condition_variable m_landed;   // a group has landed
    bool m_landing = false;             // a thread is landing a group
    int m_landingCount = 0;             // of results in it
    QSet<QString> m_landingTargets;     // its targets and their names, still pending
    QSet<QString> m_landingNames;
    int m_maxFiles;
    qint64 m_maxBytes;
    qint64 m_bytes = 0;
    std::vector<Entry> m_entries;
    QSet<QString> m_targets;
    QSet<QString> m_names;   // the targets' file names, to pass most paths by cheaply
    std::vector<CommitFailure> m_failures;
    StaleTempSweep m_sweep;
    // The run's target folders, resolved once for its files and isPending().
    std::shared_ptr<TargetFolders> m_folders = std::make_shared<TargetFolders>();
    GroupBackup* m_backup = nullptr;
    bool m_landLater = false;
};

} // namespace quorvane
