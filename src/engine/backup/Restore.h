#pragma once
// Putting back one file of a run kept in the backup store.
#include "engine/backup/Manifest.h"

#include <QCryptographicHash>
#include <QString>

namespace quorvane {

// Puts back entry of the run kept in runFolder, provided entry.path still holds
// exactly what the run wrote (its size, then its hash by algorithm): the kept
// file is renamed over it from a temporary name in its folder (a hard link
// there where the file systems allow, a copy given the recorded owner, group
// and mode otherwise); a file the run created is removed. Returns empty on
// success, else why the file was left as it is ("changed since the run", "no
// longer exists", "its backup is missing", a system error).
QString Restore(const QString& runFolder, const BackupEntry& entry, QCryptographicHash::Algorithm algorithm);

} // namespace quorvane
