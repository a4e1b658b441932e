#include "engine/backup/Manifest.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

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
            if (!o.contains("run"))
                return std::nullopt;
            manifest.emplace();
            manifest->id = o.value("run").toString();
            manifest->started = QDateTime::fromString(o.value("started").toString(), Qt::ISODateWithMs);
            manifest->description = o.value("description").toString();
            manifest->hashName = o.value("hash").toString();
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
        for (const BackupEntry& e : manifest.entries)
            file.write(ManifestEntryLine(e));
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
