// BackupStore::undo: a run's files put back, newest first.
#include "engine/backup/BackupStore.h"

#include "engine/backup/Manifest.h"
#include "engine/backup/Restore.h"
#include "engine/backup/RunLock.h"
#include "engine/backup/StoreFiles.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane {

std::optional<RunReport> BackupStore::undo(const QString& runId, const std::function<void()>& yield,
                                           const std::function<bool()>& cancelled, QString* problem)
{
    const auto refuse = [&](const QString& why) -> std::optional<RunReport> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const QString folder = runFolder(runId);
    const QString manifestPath = folder + QLatin1Char('/') + kManifestName;
    const QString noRun = "There is no run " + runId + " in " + m_folder + ".";
    // An id is a bare folder name, never a way out of the store.
    if (runId.isEmpty() || runId.contains(QLatin1Char('/')) || runId == "." || runId == "..")
        return refuse(noRun);
    RunLock lock(folder);
    if (lock.noFolder())
        return refuse(noRun);
    if (!lock.held())
        return refuse("The run " + runId + " is still going.");
    if (::faccessat(lock.fd(), kManifestName, F_OK, AT_SYMLINK_NOFOLLOW) != 0)
        return refuse(noRun);
    QString unreadable;
    std::optional<BackupManifest> manifest = ReadManifest(manifestPath, &unreadable);
    if (manifest && manifest->id != runId) {
        manifest.reset();
        unreadable = QStringLiteral("damaged record");
    }
    if (!manifest)
        return refuse("The record of the run " + runId + " cannot be read (" + unreadable + "): " + manifestPath + ".");
    const std::optional<HashKind> algorithm = HashKindNamed(manifest->hashName);
    if (!algorithm)
        return refuse("The run " + runId + " was recorded by another version (" + manifest->hashName + ").");

    RunReport report;
    std::vector<BackupEntry>& entries = manifest->entries;
    std::vector<bool> done(entries.size(), false);
    // Newest first: a file the run wrote twice goes back one step at a time.
    for (qsizetype i = qsizetype(entries.size()) - 1; i >= 0; --i) {
        if (yield)
            yield();
        if (cancelled && cancelled()) {
            std::vector<QString> rest;
            for (qsizetype j = i; j >= 0; --j)
                rest.push_back(entries[size_t(j)].path);
            report.stopBefore(rest);
            break;
        }
        const BackupEntry& e = entries[size_t(i)];
        const RestoreResult result = Restore(lock.fd(), folder, e, *algorithm);
        report.add({e.path, e.path, 0, result.outcome, result.reason});
        done[size_t(i)] = result.outcome != RunOutcome::Failed;
    }
    // A damaged record is never acted on: what it names is unknown, so it
    // stays, and the run with it.
    for (const DamagedRecord& d : manifest->damaged) {
        const QString where = manifestPath + " line " + QString::number(d.line);
        report.add({where, where, 0, RunOutcome::Failed, QStringLiteral("damaged record")});
    }

    // What is left stays, to be tried again once its files are sorted out.
    qsizetype index = 0;
    std::erase_if(entries, [&](const BackupEntry&) { return done[size_t(index++)]; });
    QString why;
    if (entries.empty() && manifest->damaged.empty())
        RemoveRun(lock.fd(), folder, {});
    else if (std::find(done.begin(), done.end(), true) != done.end() && !RewriteManifest(manifestPath, *manifest, why)
             && problem)
        *problem = "The record of the run " + runId + " could not be updated: " + why;
    return report;
}

} // namespace quorvane
