#include "engine/backup/Manifest.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace quorvane {

namespace {

QByteArray Line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

constexpr char kInPlace[] = "in place";
constexpr char kOutputFolder[] = "output folder";

BackupRunMode ModeNamed(const QString& name)
{
    if (name == QLatin1String(kInPlace))
        return BackupRunMode::InPlace;
    if (name == QLatin1String(kOutputFolder))
        return BackupRunMode::OutputFolder;
    return BackupRunMode::Unrecorded;
}

// The common folder of the entries' paths.
QString EntriesFolder(const std::vector<BackupEntry>& entries)
{
    QStringList paths;
    paths.reserve(qsizetype(entries.size()));
    for (const BackupEntry& e : entries)
        paths << e.path;
    return CommonFolder(paths);
}

BackupEntry EntryFrom(const QJsonObject& o)
{
    BackupEntry e;
    e.number = o.value("n").toInteger();
    e.path = o.value("path").toString();
    e.kept = o.value("kept").toString();
    e.copied = o.value("copied").toBool();
    e.mode = uint(o.value("mode").toInteger());
    e.uid = uint(o.value("uid").toInteger());
    e.gid = uint(o.value("gid").toInteger());
    e.keptBytes = o.value("keptBytes").toInteger();
    e.size = o.value("size").toInteger();
    e.hash = o.value("hash").toString().toLatin1();
    return e;
}

// Fills the head's fields of manifest from the first line; false when it is none.
bool ReadHead(const QJsonObject& o, BackupManifest& manifest)
{
    if (!o.contains("run"))
        return false;
    manifest.id = o.value("run").toString();
    manifest.started = QDateTime::fromString(o.value("started").toString(), Qt::ISODateWithMs);
    manifest.description = o.value("description").toString();
    manifest.mode = ModeNamed(o.value("mode").toString());
    manifest.hashName = o.value("hash").toString();
    return true;
}

// The file's last whole line (its final LF left out); empty when none.
QByteArray LastLine(QFile& file)
{
    constexpr qint64 kTail = 8192;   // a totals line is some 40 bytes and its folder
    const qint64 size = file.size();
    if (!file.seek(std::max<qint64>(0, size - kTail)))
        return {};
    QByteArray tail = file.read(kTail);
    if (!tail.endsWith('\n'))
        return {};   // cut short
    tail.chop(1);
    return tail.mid(tail.lastIndexOf('\n') + 1);
}

} // namespace

QByteArray ManifestHeadLine(const BackupManifest& m)
{
    QJsonObject o{{"run", m.id},
                  {"started", m.started.toUTC().toString(Qt::ISODateWithMs)},
                  {"description", m.description},
                  {"hash", m.hashName}};
    if (m.mode != BackupRunMode::Unrecorded)
        o.insert("mode", QLatin1String(m.mode == BackupRunMode::InPlace ? kInPlace : kOutputFolder));
    return Line(o);
}

QByteArray ManifestEntryLine(const BackupEntry& e)
{
    QJsonObject o{{"n", e.number}, {"path", e.path}, {"size", e.size}, {"hash", QString::fromLatin1(e.hash)}};
    if (e.kept.isEmpty()) {
        o.insert("created", true);
        return Line(o);
    }
    o.insert("kept", e.kept);
    if (e.copied)
        o.insert("copied", true);
    o.insert("mode", qint64(e.mode));
    o.insert("uid", qint64(e.uid));
    o.insert("gid", qint64(e.gid));
    o.insert("keptBytes", e.keptBytes);
    return Line(o);
}

QByteArray ManifestDropLine(qint64 number)
{
    return Line({{"drop", number}});
}

QByteArray ManifestTotalsLine(qint64 files, qint64 keptBytes, const QString& folder)
{
    return Line({{"files", files}, {"keptBytes", keptBytes}, {"folder", folder}});
}

QString CommonFolder(const QStringList& files)
{
    if (files.isEmpty())
        return {};
    // Folders as their text up to the last '/', the root as the empty text.
    const auto folderOf = [](const QString& path) { return path.left(std::max<qsizetype>(0, path.lastIndexOf('/'))); };
    QString common = folderOf(files.front());
    for (const QString& file : files) {
        const QString folder = folderOf(file);
        while (!common.isEmpty() && folder != common && !folder.startsWith(common + QLatin1Char('/')))
            common.truncate(std::max<qsizetype>(0, common.lastIndexOf('/')));
    }
    return common.isEmpty() && files.front().startsWith('/') ? QStringLiteral("/") : common;
}

std::optional<ManifestSummary> ReadManifestSummary(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    BackupManifest head;
    if (!ReadHead(QJsonDocument::fromJson(file.readLine()).object(), head))
        return std::nullopt;
    ManifestSummary summary;
    summary.id = head.id;
    summary.started = head.started;
    summary.description = head.description;
    summary.mode = head.mode;
    const QJsonObject totals = QJsonDocument::fromJson(LastLine(file)).object();
    if (totals.contains("files") && totals.contains("keptBytes") && totals.contains("folder")) {
        summary.files = totals.value("files").toInteger();
        summary.keptBytes = totals.value("keptBytes").toInteger();
        summary.folder = totals.value("folder").toString();
        return summary;
    }
    const std::optional<BackupManifest> whole = ReadManifest(path);
    if (!whole)
        return std::nullopt;
    summary.files = qint64(whole->entries.size());
    for (const BackupEntry& e : whole->entries)
        summary.keptBytes += e.keptBytes;
    summary.folder = EntriesFolder(whole->entries);
    return summary;
}

std::optional<BackupManifest> ReadManifest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<BackupManifest> manifest;
    QSet<qint64> dropped;
    while (!file.atEnd()) {
        const QJsonObject o = QJsonDocument::fromJson(file.readLine()).object();
        if (o.isEmpty())
            continue;   // a line cut short
        if (!manifest) {
            manifest.emplace();
            if (!ReadHead(o, *manifest))
                return std::nullopt;
        } else if (o.contains("drop")) {
            dropped.insert(o.value("drop").toInteger());
        } else if (o.contains("n")) {
            manifest->entries.push_back(EntryFrom(o));
        }
    }
    if (manifest && !dropped.isEmpty())
        std::erase_if(manifest->entries, [&](const BackupEntry& e) { return dropped.contains(e.number); });
    return manifest;
}

bool RewriteManifest(const QString& path, const BackupManifest& manifest, QString& why)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(ManifestHeadLine(manifest));
        qint64 keptBytes = 0;
        for (const BackupEntry& e : manifest.entries) {
            file.write(ManifestEntryLine(e));
            keptBytes += e.keptBytes;
        }
        file.write(ManifestTotalsLine(qint64(manifest.entries.size()), keptBytes, EntriesFolder(manifest.entries)));
        if (file.commit())
            return true;
    }
    why = file.errorString();
    return false;
}

std::optional<QCryptographicHash::Algorithm> HashAlgorithmNamed(const QString& name)
{
    static const struct {
        const char* name;
        QCryptographicHash::Algorithm algorithm;
    } known[] = {
        {"Blake2b_256", QCryptographicHash::Blake2b_256},
        {"Sha1", QCryptographicHash::Sha1},
        {"Sha256", QCryptographicHash::Sha256},
        {"Md5", QCryptographicHash::Md5},
    };
    for (const auto& k : known) {
        if (name == QLatin1String(k.name))
            return k.algorithm;
    }
    return std::nullopt;
}

} // namespace quorvane
