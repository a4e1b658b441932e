#include "engine/write/CommitGroup.h"

#include "engine/files/FileAccess.h"
#include "engine/write/AtomicWrite.h"
#include "engine/write/GroupBackup.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

struct CommitGroup::Entry {
    std::unique_ptr<AtomicFile> file;
    QString path;
    std::function<void(const FileError&)> onFailure;
    qsizetype order = -1;
};

CommitGroup::CommitGroup(int maxFiles, qint64 maxBytes)
    : m_maxFiles(std::max(1, std::min(maxFiles, HeldTempBudget()))), m_maxBytes(maxBytes)
{
}

CommitGroup::~CommitGroup()
{
    std::unique_lock<std::mutex> hold(m_lock);
    commitAll(hold);
}

static QString NameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

static bool IsLink(const QString& path)
{
    struct stat st;
    return ::lstat(NativePath(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool CommitGroup::isPending(const QString& path) const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return pending(path);
}

bool CommitGroup::pending(const QString& path, bool maybeLink) const
{
    // Results being landed count as waiting until they stand.
    if ((m_targets.isEmpty() && m_landingTargets.isEmpty()) || !UsablePath(path))
        return false;
    // Resolving makes only the folder canonical unless the path itself is a
    // link, so a path whose name no target has is not pending.
    const QString name = NameOf(path);
    if (!m_names.contains(name) && !m_landingNames.contains(name) && !(maybeLink && IsLink(path)))
        return false;
    const QString target = ResolveWriteTarget(path, m_folders.get(), maybeLink);
    return m_targets.contains(target) || m_landingTargets.contains(target);
}

bool CommitGroup::landBefore(const QString& path, bool maybeLink)
{
    std::unique_lock<std::mutex> hold(m_lock);
    if (!pending(path, maybeLink))
        return false;
    commitAll(hold);
    return true;
}

void CommitGroup::commitWaiting()
{
    std::unique_lock<std::mutex> hold(m_lock);
    commitAll(hold);
}

int CommitGroup::pendingCount() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return int(m_entries.size()) + m_landingCount;
}

void CommitGroup::adopt(std::unique_ptr<AtomicFile> file, const QString& path,
                        std::function<void(const FileError&)> onFailure, qsizetype order)
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_bytes += file->size();
    m_targets.insert(file->finalPath());
    m_names.insert(NameOf(file->finalPath()));
    m_entries.push_back(Entry{std::move(file), path, std::move(onFailure), order});
    // While another thread lands a group, this one goes on working: the new
    // group waits, unless its descriptors and the landing one's would pass
    // the budget.
    const bool overBudget = int(m_entries.size()) + m_landingCount >= HeldTempBudget();
    if (full() && (overBudget || (!m_landLater && !m_landing)))
        commitAll(hold);
}

bool CommitGroup::full() const
{
    return int(m_entries.size()) >= m_maxFiles || m_bytes >= m_maxBytes;
}

void CommitGroup::landDue()
{
    std::unique_lock<std::mutex> hold(m_lock);
    if (full() && !m_landing)
        commitAll(hold);
}

std::vector<CommitFailure> CommitGroup::flush()
{
    std::unique_lock<std::mutex> hold(m_lock);
    commitAll(hold);
    return std::exchange(m_failures, {});
}

void CommitGroup::discard()
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_landed.wait(hold, [this] { return !m_landing; });
    m_entries.clear();   // each AtomicFile removes its temporary file
    m_targets.clear();
    m_names.clear();
    m_bytes = 0;
}

void CommitGroup::commitAll(std::unique_lock<std::mutex>& hold)
{
    // One group lands at a time, in the order the groups were taken.
    m_landed.wait(hold, [this] { return !m_landing; });
    if (m_entries.empty())
        return;
    std::vector<Entry> entries = std::exchange(m_entries, {});
    m_landingTargets = std::exchange(m_targets, {});
    m_landingNames = std::exchange(m_names, {});
    m_landingCount = int(entries.size());
    m_bytes = 0;
    m_landing = true;
    // The syncs, backups and renames run without the lock, so other threads
    // add results and check targets meanwhile; a target of this group still
    // counts as pending until it stands.
    hold.unlock();
    std::vector<CommitFailure> failures;
    land(entries, failures);
    hold.lock();
    m_failures.insert(m_failures.end(), std::make_move_iterator(failures.begin()),
                      std::make_move_iterator(failures.end()));
    m_landingTargets.clear();
    m_landingNames.clear();
    m_landingCount = 0;
    m_landing = false;
    m_landed.notify_all();
}

void CommitGroup::land(std::vector<Entry>& entries, std::vector<CommitFailure>& failures)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.order < b.order; });
    if (!m_backup) {
        commitBatch(entries, failures);
        return;
    }
    // Each result's old file is kept before any rename of its batch. A target
    // that comes again must be kept only once the earlier result stands there,
    // so a batch ends before it.
    std::vector<Entry> batch;
    QSet<QString> seen;
    for (Entry& e : entries) {
        if (seen.contains(e.file->finalPath())) {
            commitBatch(batch, failures);
            batch.clear();
            seen.clear();
        }
        seen.insert(e.file->finalPath());
        batch.push_back(std::move(e));
    }
    commitBatch(batch, failures);
}

void CommitGroup::fail(Entry& e, const FileError& error, std::vector<CommitFailure>& failures)
{
    e.file->discard();
    failures.push_back(CommitFailure{e.path, error});
    if (e.onFailure)
        e.onFailure(error);
}

void CommitGroup::commitBatch(std::vector<Entry>& entries, std::vector<CommitFailure>& failures)
{
    if (entries.empty())
        return;
    // Kept files and their records go to disk with the same syncs as the
    // results, so none is renamed before its old file is safe.
    std::vector<qint64> keys(entries.size(), 0);
    std::vector<int> refused(entries.size(), 0);   // errno of a backup that could not be kept
    if (m_backup) {
        for (size_t i = 0; i < entries.size(); ++i) {
            const AtomicFile& file = *entries[i].file;
            keys[i] = m_backup->keep(file.finalPath(), file.size(), file.contentHash(), refused[i]);
        }
    }

    // One sync per file system makes every waiting result durable at once; it
    // costs about what a single fsync does, where a sync per file would dominate
    // a batch of small files.
    std::map<dev_t, int> syncError;
    for (const Entry& e : entries) {
        const dev_t dev = e.file->device();
        if (syncError.count(dev))
            continue;
        const int dir = ::open(NativePath(QFileInfo(e.file->finalPath()).absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int err = 0;
        if (dir < 0 || ::syncfs(dir) != 0)
            err = errno;
        if (dir >= 0)
            ::close(dir);
        syncError[dev] = err;
    }
    int unsynced = 0;
    if (m_backup && !m_backup->sync(unsynced)) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (keys[i] >= 0)
                refused[i] = unsynced;
        }
    }

    for (size_t i = 0; i < entries.size(); ++i) {
        Entry& e = entries[i];
        FileError error{FileStage::KeepBackup, refused[i], e.file->finalPath()};
        if (refused[i] == 0) {
            if (const int err = syncError[e.file->device()])
                error = {FileStage::Sync, err, e.file->finalPath()};
            else if (!e.file->commit())
                error = e.file->error();
            else
                continue;
        }
        if (keys[i] > 0)
            m_backup->drop(keys[i]);
        fail(e, error, failures);
    }
    if (m_backup)
        m_backup->landed();
}

void CommitGroup::prepare(AtomicFile& file)
{
    std::lock_guard<std::mutex> hold(m_lock);
    file.setSweep(&m_sweep);
    file.setFolders(m_folders);
    if (m_backup) {
        file.hashContent(m_backup->hashKind());
        file.setAnnounce([backup = m_backup](qint64 bytes) { backup->expect(bytes); });
    }
}

} // namespace quorvane
