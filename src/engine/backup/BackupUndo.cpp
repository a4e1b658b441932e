// BackupStore::undo: a run's files put back, newest first.
#include "engine/backup/BackupStore.h"

#include "engine/backup/Manifest.h"
#include "engine/backup/Restore.h"
#include "engine/backup/RunLock.h"
#include "engine/files/FileAccess.h"

#include <QDir>
#include <QFileInfo>

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
    // An id is a bare folder name, never a way out of the store.
    if (runId.isEmpty() || runId.contains(QLatin1Char('/')) || runId == "." || runId == ".."
        || !QFileInfo::exists(manifestPath))
        return refuse("There is no run " + runId + " in " + m_folder + ".");
    RunLock lock(folder);
    if (!lock.held())
        return refuse("The run " + runId + " is still going.");
    std::optional<BackupManifest> manifest = ReadManifest(manifestPath);
    if (!manifest)
        return refuse("The record of the run " + runId + " cannot be read: " + manifestPath + ".");
    const std::optional<QCryptographicHash::Algorithm> algorithm = HashAlgorithmNamed(manifest->hashName);
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
        const QString why = Restore(folder, e, *algorithm);
        if (!why.isEmpty()) {
            report.add({e.path, e.path, 0, RunOutcome::Failed, why});
            continue;
        }
        if (!e.kept.isEmpty())
            ::unlink(NativePath(folder + QLatin1Char('/') + e.kept).constData());
        report.add({e.path, e.path, 0, e.kept.isEmpty() ? RunOutcome::Removed : RunOutcome::Restored, {}});
        done[size_t(i)] = true;
    }

    // What is left stays, to be tried again once its files are sorted out.
    qsizetype index = 0;
    std::erase_if(entries, [&](const BackupEntry&) { return done[size_t(index++)]; });
    QString why;
    if (entries.empty())
        QDir(folder).removeRecursively();
    else if (report.count(RunOutcome::Restored) + report.count(RunOutcome::Removed) > 0
             && !RewriteManifest(manifestPath, *manifest, why) && problem)
        *problem = "The record of the run " + runId + " could not be updated: " + why;
    return report;
}

} // namespace quorvane
