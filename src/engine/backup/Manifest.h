#pragma once
// The record of one run in the backup store: a file of JSON lines in the run's
// folder. The first line names the run; each later line records a file the run
// replaced or created, or marks an earlier record dropped (its result was never
// put in place). A run that ends adds its totals and the common folder of its
// files as the last line, so listing the store reads two lines of each run
// instead of every record. Lines are only ever appended while the run goes,
// and undo rewrites the file whole, totals included.
//
// Each line ends with a checksum of its own bytes (engine/backup/ManifestLine.h),
// and the head says so ("format":2). A line whose checksum fails, or that lacks
// a key its kind needs, is a damaged record: it is never acted on and never
// dropped, so a run holding one stays in the store. Only a last line without
// its LF that fails is taken for one cut short by a crash (its result was never
// put in place) and skipped. A manifest recorded before lines had checksums is
// read as it is, but only when its head has neither checksum nor format and no
// line of it has a checksum: a damaged new manifest never passes for an old one.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace quorvane {

inline constexpr char kManifestName[] = "manifest.jsonl";

// Where a run put its results; Unrecorded for runs recorded before the mode was.
enum class BackupRunMode { Unrecorded, InPlace, OutputFolder };

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

// A line of a manifest refused as a damaged record.
struct DamagedRecord {
    int line = 0;      // counted from 1
    QByteArray text;   // as it stands, its LF left out
};

struct BackupManifest {
    QString id;
    QDateTime started;      // UTC
    QString description;
    BackupRunMode mode = BackupRunMode::Unrecorded;
    QString hashName;       // the algorithm of the entries' hashes (HashKindNamed), e.g. "Xxh3_128"
    std::vector<BackupEntry> entries;   // the ones not dropped, in run order
    std::vector<DamagedRecord> damaged;  // kept as they stand when the manifest is rewritten
};

// The mode a manifest's head names; Unrecorded for none this program knows.
BackupRunMode ManifestModeNamed(const QString& name);

QByteArray ManifestHeadLine(const BackupManifest& manifest);
QByteArray ManifestEntryLine(const BackupEntry& entry);
QByteArray ManifestDropLine(qint64 number);
// The totals of the records not dropped: how many, the old files' bytes, and
// the common folder of their paths (see CommonFolder).
QByteArray ManifestTotalsLine(qint64 files, qint64 keptBytes, const QString& folder);

// The deepest folder holding every one of files (absolute paths): "/a" for
// "/a/b/x" and "/a/c/y", "/a/b" for "/a/b/x" alone; empty for no file.
QString CommonFolder(const QStringList& files);

// A run as the store lists it: the manifest's head and totals.
struct ManifestSummary {
    QString id;
    QDateTime started;      // UTC
    QString description;
    BackupRunMode mode = BackupRunMode::Unrecorded;
    qint64 files = 0;       // records not dropped, damaged ones included
    qint64 keptBytes = 0;   // their old files' bytes
    QString folder;         // their common folder
};

// The summary of the manifest at path: from its head and, where its last line
// holds the totals, that line; otherwise (a run still going or cut short, or
// recorded before totals named the folder) counted from every record. nullopt as for ReadManifest.
std::optional<ManifestSummary> ReadManifestSummary(const QString& path);

// The manifest at path (a regular file, reached through no link at its end);
// nullopt when it cannot be read or its head is missing or damaged, with why
// set ("damaged record", or the system's words).
std::optional<BackupManifest> ReadManifest(const QString& path, QString* why = nullptr);
// Replaces the manifest at path atomically by the head, entries, damaged
// records (as they stand) and totals of manifest. False with why set.
bool RewriteManifest(const QString& path, const BackupManifest& manifest, QString& why);

} // namespace quorvane
