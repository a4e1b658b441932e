#include "engine/backup/LastRun.h"

#include "engine/backup/StoreFiles.h"
#include "engine/files/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
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
    QString why;
    ReplaceStoreFile(storeFolder + QLatin1Char('/') + kLastRunName, QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n',
                     why);
}

std::optional<LastRunNote> ReadLastRunNote(const QString& storeFolder)
{
    // Neither a link nor a FIFO planted in its place is followed or waited on.
    const int fd = OpenStoreFile(AT_FDCWD, NativePath(storeFolder + QLatin1Char('/') + kLastRunName));
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(file.read(4096)).object();
    const QDateTime started = QDateTime::fromString(o.value("started").toString(), Qt::ISODateWithMs);
    if (!started.isValid())
        return std::nullopt;
    return LastRunNote{started, o.value("run").toString()};
}

} // namespace quorvane
