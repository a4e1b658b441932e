#pragma once
// The backup store: before a run replaces a file, the old file is kept here,
// so the run can be undone. Each run that replaced or created a file has a
// folder of its own, named by its id, with the kept files and a manifest (see
// engine/backup/Manifest.h) recording for each file where it was, where its
// old bytes are kept, and the size and hash of what the run wrote. Undo puts a
// file back only while it still holds exactly that. The store also notes the
// last run made, even one that kept nothing (engine/backup/LastRun.h).
#include "engine/backup/BackupRun.h"
#include "engine/report/RunReport.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorvane {

// The store's usual place: QStandardPaths::GenericDataLocation (so
// $XDG_DATA_HOME, by default ~/.local/share) + "/quorvane/backups", whatever
// the application's name.
QString DefaultBackupFolder();

struct BackupRunInfo {
    QString id;
    QDateTime started;     // UTC
    QString description;   // as given to beginRun
    BackupRunMode mode = BackupRunMode::Unrecorded;   // as given to beginRun
    qint64 files = 0;      // files replaced or created and not yet undone
    qint64 bytes = 0;      // bytes of the old files kept
    QString folder;        // the common folder of those files (CommonFolder)
};

// Hard links cost no space while the files are unchanged, so the count is
// generous: a long list fed through xargs becomes many runs.
struct BackupLimits {
    int runs = 50;
    qint64 bytes = qint64(2) << 30;
};

class BackupStore {
public:
    explicit BackupStore(QString folder = DefaultBackupFolder());

    const QString& folder() const { return m_folder; }

    // Makes the store's folder where it is missing. Empty when runs can keep
    // files there; otherwise why not, in the system's words ("Not a
    // directory"), so a run can be refused before any file fails for it.
    QString ready() const;

    // A new run, to attach to the run's commit group (CommitGroup::setBackup);
    // one attached to none records a run made without backups. Its id,
    // "20261208-071502-123-4821" (UTC time begun to the millisecond, the
    // process), is unique and sorts by time. Nothing is made on disk until it
    // keeps a file or finishes.
    std::unique_ptr<BackupRun> beginRun(const QString& description, BackupRunMode mode);

    // Every run in the store, newest first. A run still going is listed too.
    std::vector<BackupRunInfo> runs() const;

    // When the last run made kept no backup (they were off, or it replaced
    // nothing) and no run of runs (as runs() lists them) began after it: the
    // time it began (UTC). nullopt when the last run is runs' first, or unknown.
    std::optional<QDateTime> lastRunWithoutBackups(const std::vector<BackupRunInfo>& runs) const;

    // Puts back every file of the run, newest first, each atomically: the old
    // file as it was (bytes, owner, group, mode, extended attributes, times;
    // for a hard-linked backup the very file, other links included), and a
    // file the run created removed. Only a file that still holds exactly what
    // the run wrote is touched; one that holds what was kept, or a created one
    // that is gone, counts as put back already (see engine/backup/Restore.h);
    // any other gets a failed row saying why ("changed since the run", "no
    // longer exists"), as does each damaged record of the manifest ("damaged
    // record", its source the manifest and line), which is never acted on.
    // Rows are "restored", "removed", "failed", and "not reached" once
    // cancelled answers true (yield is called before each file). The files put
    // back leave the run; a run with none left and no damaged record leaves
    // the store. nullopt, with problem set, when runId names no run in the
    // store (a link among the runs is none), the run is still going or its
    // manifest cannot be read; a report with problem set when what is left of
    // the run could not be recorded.
    std::optional<RunReport> undo(const QString& runId, const std::function<void()>& yield = {},
                                  const std::function<bool()>& cancelled = {}, QString* problem = nullptr);

    // Removes the oldest runs until at most limits.runs remain and they keep at
    // most limits.bytes together. The run keepRunId, any run still going and
    // any run holding a damaged record are never removed; a run goes name by
    // name (engine/backup/StoreFiles.h: RemoveRun). keepRunBytes, when not
    // negative, stands for what keepRunId keeps (a run still going, counted
    // whether or not it is listed yet). Returns how many more bytes the store
    // may take within limits.bytes; negative when it is over them and nothing
    // more can go.
    qint64 prune(const BackupLimits& limits, const QString& keepRunId, qint64 keepRunBytes = -1);

private:
    QString runFolder(const QString& runId) const;
    // runs(), leaving out the run skipId (if any) unread.
    std::vector<BackupRunInfo> listRuns(const QString& skipId) const;

    QString m_folder;
};

} // namespace quorvane
