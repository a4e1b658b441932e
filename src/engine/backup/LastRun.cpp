#include "engine/backup/LastRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <sys/stat.h>

namespace quorvane {

void WriteLastRunNote(const QString& storeFolder, const LastRunNote& note)
{
    QJsonObject o{{"started", note.started.toUTC().toString(Qt::ISODateWithMs)}};
    if (!note.runId.isEmpty())
        o.insert("run", note.runId);
    // A run without backups may be the first to need the store: it is made
    // as its runs' folders are, for the owner alone.
    QDir().mkpath(QFileInfo(storeFolder).absolutePath());
    ::mkdir(QFile::encodeName(storeFolder).constData(), 0700);
    QSaveFile file(storeFolder + QLatin1Char('/') + kLastRunName);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
        file.commit();
    }
}

std::optional<LastRunNote> ReadLastRunNote(const QString& storeFolder)
{
    QFile file(storeFolder + QLatin1Char('/') + kLastRunName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(file.read(4096)).object();
    const QDateTime started = QDateTime::fromString(o.value("started").toString(), Qt::ISODateWithMs);
    if (!started.isValid())
        return std::nullopt;
    return LastRunNote{started, o.value("run").toString()};
}

} // namespace quorvane
