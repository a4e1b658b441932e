#pragma once
// The user's choices about keeping backups of replaced files, shared by the
// window and the command line: whether to keep them, and how many runs and
// how many bytes of backups the store keeps before pruning the oldest.
#include <QString>
#include <QtGlobal>

namespace quorvane {

struct BackupChoices {
    bool keep = true;
    int runs = 50;
    qint64 megabytes = 2048;   // 2 GiB
    qint64 bytes() const { return megabytes << 20; }
    bool operator==(const BackupChoices&) const = default;
};

// Stored under "Keep Backups" ("True"/"False"), "Backup Runs" and "Backup
// Megabytes"; a value that cannot be read, or a limit below 1, gives the default.
BackupChoices ReadBackupChoices();
// Throws Failure if the store refuses.
void WriteBackupChoices(const BackupChoices& choices);

} // namespace quorvane
