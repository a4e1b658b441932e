#include "engine/backup/BackupStore.h"

#include "engine/backup/LastRun.h"
#include "engine/backup/Manifest.h"
#include "engine/backup/RunLock.h"
#include "engine/backup/StoreFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

QString DefaultBackupFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/quorvane/backups";
}

BackupStore::BackupStore(QString folder) : m_folder(std::move(folder)) {}

QString BackupStore::runFolder(const QString& runId) const
{
    return m_folder + QLatin1Char('/') + runId;
}

QString BackupStore::ready() const
{
    // Folder by folder from the root, so the failure names its true cause.
    const QString absolute = QDir::cleanPath(QDir(m_folder).absolutePath());
    QByteArray path;
    for (const QString& part : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += '/' + QFile::encodeName(part);
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            return QString::fromLocal8Bit(std::strerror(errno));
    }
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return QString::fromLocal8Bit(std::strerror(ENOTDIR));
    if (::access(path.constData(), W_OK | X_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

std::unique_ptr<BackupRun> BackupStore::beginRun(const QString& description, BackupRunMode mode)
{
    // Runs of one process begun within a millisecond still get ids of their
    // own, in the order they began; other processes differ by their id.
    static qint64 lastMs = 0;
    const QDateTime started = QDateTime::currentDateTimeUtc();
    lastMs = std::max(lastMs + 1, started.toMSecsSinceEpoch());
    const QString id = QDateTime::fromMSecsSinceEpoch(lastMs, Qt::UTC).toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"))
                       + QLatin1Char('-') + QString::number(QCoreApplication::applicationPid());
    return std::unique_ptr<BackupRun>(new BackupRun(id, runFolder(id), started, description, mode));
}

std::vector<BackupRunInfo> BackupStore::runs() const
{
    return listRuns({});
}

std::vector<BackupRunInfo> BackupStore::listRuns(const QString& skipId) const
{
    std::vector<BackupRunInfo> runs;
    // A link among the runs is none of the store's: it could lead anywhere.
    const QStringList ids =
        QDir(m_folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& id : ids) {
        if (id == skipId)
            continue;
        const std::optional<ManifestSummary> run = ReadManifestSummary(runFolder(id) + '/' + kManifestName);
        if (run)
            runs.push_back({id, run->started, run->description, run->mode, run->files, run->keptBytes, run->folder});
    }
    std::sort(runs.begin(), runs.end(), [](const BackupRunInfo& a, const BackupRunInfo& b) { return a.id > b.id; });
    return runs;
}

std::optional<QDateTime> BackupStore::lastRunWithoutBackups(const std::vector<BackupRunInfo>& runs) const
{
    const std::optional<LastRunNote> note = ReadLastRunNote(m_folder);
    // A run noted with its id kept backups, even once undone or pruned.
    if (!note || !note->runId.isEmpty())
        return std::nullopt;
    // A run of another process may have kept backups since, its note lost to ours.
    if (!runs.empty() && runs.front().started >= note->started)
        return std::nullopt;
    return note->started;
}

qint64 BackupStore::prune(const BackupLimits& limits, const QString& keepRunId, qint64 keepRunBytes)
{
    // A run still going is read whole to be sized, unless its size is given.
    const bool sized = keepRunBytes >= 0 && !keepRunId.isEmpty();
    const std::vector<BackupRunInfo> all = listRuns(sized ? keepRunId : QString());
    qint64 count = qint64(all.size()) + (sized ? 1 : 0);
    qint64 bytes = sized ? keepRunBytes : 0;
    for (const BackupRunInfo& run : all)
        bytes += run.bytes;
    for (auto run = all.rbegin(); run != all.rend(); ++run) {
        if (count <= limits.runs && bytes <= limits.bytes)
            break;
        if (run->id == keepRunId)
            continue;
        // Only the files the run's record names go, and the folder once that
        // leaves it empty; a run with a damaged record stays whole.
        const QString folder = runFolder(run->id);
        RunLock lock(folder);
        if (!lock.held())
            continue;
        const std::optional<BackupManifest> manifest = ReadManifest(folder + QLatin1Char('/') + kManifestName);
        if (!manifest || manifest->id != run->id || !manifest->damaged.empty())
            continue;
        QStringList kept;
        for (const BackupEntry& e : manifest->entries) {
            if (!e.kept.isEmpty())
                kept << e.kept;
        }
        if (!RemoveRun(lock.fd(), folder, kept))
            continue;
        --count;
        bytes -= run->bytes;
    }
    return limits.bytes - bytes;
}

} // namespace quorvane
