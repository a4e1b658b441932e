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
    manifest.hashName = o.value("hash").toString();
    return true;
}

// The file's last whole line (its final LF left out); empty when none.
QByteArray LastLine(QFile& file)
{
    constexpr qint64 kTail = 4096;   // a totals line is some 40 bytes
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
    return Line({{"run", m.id},
                 {"started", m.started.toUTC().toString(Qt::ISODateWithMs)},
                 {"description", m.description},
                 {"hash", m.hashName}});
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

QByteArray ManifestTotalsLine(qint64 files, qint64 keptBytes)
{
    return Line({{"files", files}, {"keptBytes", keptBytes}});
}

std::optional<ManifestSummary> ReadManifestSummary(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    BackupManifest head;
    if (!ReadHead(QJsonDocument::fromJson(file.readLine()).object(), head))
        return std::nullopt;
    ManifestSummary summary{head.id, head.started, head.description};
    const QJsonObject totals = QJsonDocument::fromJson(LastLine(file)).object();
    if (totals.contains("files") && totals.contains("keptBytes")) {
        summary.files = totals.value("files").toInteger();
        summary.keptBytes = totals.value("keptBytes").toInteger();
        return summary;
    }
    const std::optional<BackupManifest> whole = ReadManifest(path);
    if (!whole)
        return std::nullopt;
    summary.files = qint64(whole->entries.size());
    for (const BackupEntry& e : whole->entries)
        summary.keptBytes += e.keptBytes;
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
        file.write(ManifestTotalsLine(qint64(manifest.entries.size()), keptBytes));
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
