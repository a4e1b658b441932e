#pragma once
// The record of one run in the backup store: a file of JSON lines in the run's
// folder. The first line names the run; each later line records a file the run
// replaced or created, or marks an earlier record dropped (its result was never
// put in place). Lines are only ever appended while the run goes, so a line
// cut short by a crash is skipped on reading; undo rewrites the file whole.
#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace quorvane {

inline constexpr char kManifestName[] = "manifest.jsonl";

struct BackupEntry {
    qint64 number = 0;      // 1, 2, ... in the order the run replaced files
    QString path;           // the file written: a resolved write target
    QString kept;           // the old file's name in the run's folder; empty: the run created path
    bool copied = false;    // kept as a copy (another file system), not as a hard link
    uint mode = 0;          // the old file's permission bits, owner and group
    uint uid = 0;
    uint gid = 0;
    qint64 keptBytes = 0;   // the old file's size
    qint64 size = 0;        // what the run wrote: its size and hash (hex)
    QByteArray hash;
};

struct BackupManifest {
    QString id;
    QDateTime started;      // UTC
    QString description;
    QString hashName;       // the algorithm of the entries' hashes, e.g. "Blake2b_256"
    std::vector<BackupEntry> entries;   // the ones not dropped, in run order
};

QByteArray ManifestHeadLine(const BackupManifest& manifest);
QByteArray ManifestEntryLine(const BackupEntry& entry);
QByteArray ManifestDropLine(qint64 number);

// The manifest at path; nullopt when it cannot be read or has no head line.
std::optional<BackupManifest> ReadManifest(const QString& path);
// Replaces the manifest at path atomically by the head and entries of manifest.
// False with why set.
bool RewriteManifest(const QString& path, const BackupManifest& manifest, QString& why);

// The algorithm a manifest names, or nullopt for one this program does not know.
std::optional<QCryptographicHash::Algorithm> HashAlgorithmNamed(const QString& name);

} // namespace quorvane
