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
    std::lock_guard<std::mutex> hold(m_lock);
    commitAll();
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
    if (m_targets.isEmpty() || !UsablePath(path))
        return false;
    // Resolving makes only the folder canonical unless the path itself is a
    // link, so a path whose name no target has is not pending.
    if (!m_names.contains(NameOf(path)) && !(maybeLink && IsLink(path)))
        return false;
    return m_targets.contains(ResolveWriteTarget(path, m_folders.get(), maybeLink));
}

bool CommitGroup::landBefore(const QString& path, bool maybeLink)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (!pending(path, maybeLink))
        return false;
    commitAll();
    return true;
}

void CommitGroup::commitWaiting()
{
    std::lock_guard<std::mutex> hold(m_lock);
    commitAll();
}

int CommitGroup::pendingCount() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return int(m_entries.size());
}

void CommitGroup::adopt(std::unique_ptr<AtomicFile> file, const QString& path,
                        std::function<void(const FileError&)> onFailure, qsizetype order)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_bytes += file->size();
    m_targets.insert(file->finalPath());
    m_names.insert(NameOf(file->finalPath()));
    m_entries.push_back(Entry{std::move(file), path, std::move(onFailure), order});
    if (int(m_entries.size()) >= m_maxFiles || m_bytes >= m_maxBytes)
        commitAll();
}

std::vector<CommitFailure> CommitGroup::flush()
{
    std::lock_guard<std::mutex> hold(m_lock);
    commitAll();
    return std::exchange(m_failures, {});
}

void CommitGroup::discard()
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_entries.clear();   // each AtomicFile removes its temporary file
    m_targets.clear();
    m_names.clear();
    m_bytes = 0;
}

void CommitGroup::commitAll()
{
    std::vector<Entry> entries = std::exchange(m_entries, {});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.order < b.order; });
    m_targets.clear();
    m_names.clear();
    m_bytes = 0;
    if (!m_backup) {
        commitBatch(entries);
        return;
    }
    // Each result's old file is kept before any rename of its batch. A target
    // that comes again must be kept only once the earlier result stands there,
    // so a batch ends before it.
    std::vector<Entry> batch;
    QSet<QString> seen;
    for (Entry& e : entries) {
        if (seen.contains(e.file->finalPath())) {
            commitBatch(batch);
            batch.clear();
            seen.clear();
        }
        seen.insert(e.file->finalPath());
        batch.push_back(std::move(e));
    }
    commitBatch(batch);
}

void CommitGroup::fail(Entry& e, const FileError& error)
{
    e.file->discard();
    m_failures.push_back(CommitFailure{e.path, error});
    if (e.onFailure)
        e.onFailure(error);
}

void CommitGroup::commitBatch(std::vector<Entry>& entries)
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
        fail(e, error);
    }
}

void CommitGroup::prepare(AtomicFile& file)
{
    std::lock_guard<std::mutex> hold(m_lock);
    file.setSweep(&m_sweep);
    file.setFolders(m_folders);
    if (m_backup)
        file.hashContent(m_backup->hashKind());
}

} // namespace quorvane
