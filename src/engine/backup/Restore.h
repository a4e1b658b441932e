#pragma once
// Putting back one file of a run kept in the backup store.
#include "engine/backup/Manifest.h"
#include "engine/files/ContentHash.h"
#include "engine/report/RunReport.h"

#include <QString>

namespace quorvane {

struct RestoreResult {
    RunOutcome outcome = RunOutcome::Failed;   // Restored, Removed or Failed
    QString reason;   // why it failed; for a file found already as before the run, that
};

// Puts back entry of the run kept in runFolder (runFd, its descriptor),
// provided entry.path still holds exactly what the run wrote (its size, then
// its hash by algorithm): the kept file, which must be a regular file and no
// link, is renamed over it from a temporary name in its folder (a hard link
// there where the file systems allow; a copy given the recorded owner, group
// and mode and the kept file's extended attributes and times otherwise), and
// leaves the store; a file the run created is removed. A file that holds what
// was kept instead (the run never put its result in place), or a file the run
// created that is gone, counts as put back already. Otherwise the file is left
// as it is and the reason says why ("changed since the run", "no longer
// exists", "its backup is missing", "its backup is not a regular file", "its
// backup has changed", a system error).
RestoreResult Restore(int runFd, const QString& runFolder, const BackupEntry& entry,
                      HashKind algorithm);

} // namespace quorvane
