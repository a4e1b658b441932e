#include "SetsFile.h"

#include "Failure.h"
#include "PathHelpers.h"
#include "Prompts.h"
#include "TextCodec.h"

#include <QSaveFile>

namespace quorvane {

void AppendSetsFromLines(const QStringList& lines, const QString& separator,
                         QStringList& finds, QStringList& replaces)
{
    // An empty separator would match everywhere; callers refuse it first.
    if (separator.isEmpty())
        return;
    for (const QString& line : lines) {
        if (line.isEmpty() || !line.contains(separator, Qt::CaseSensitive))
            continue;
        const QStringList pieces = line.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
        finds << pieces.at(0);
        replaces << pieces.at(1);
    }
}

void LoadSetsFile(const QString& path, const QString& separator,
                  QStringList& finds, QStringList& replaces)
{
    QStringList lines;
    QString error;
    if (!ReadTextFile(path, lines, &error))
        throw Failure(error.isEmpty() ? QStringLiteral("File not found") : error);
    AppendSetsFromLines(lines, separator, finds, replaces);
}

QByteArray SetsFileBytes(const QStringList& finds, const QStringList& replaces)
{
    const qsizetype count = std::min(finds.size(), replaces.size());
    QByteArray bytes;
    for (qsizetype i = 0; i < count; ++i)
        bytes += (finds.at(i) + "::" + replaces.at(i)).toUtf8() + "\r\n";
    return bytes;
}

void WriteSetsFile(const QString& path, const QStringList& finds,
                   const QStringList& replaces, Prompts& prompts)
{
    if (FileExists(path)
        && !prompts.question("Are you sure you wish to overwrite " + path + " ?", ApplicationTitle()))
        return;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(file.errorString());
    const QByteArray bytes = SetsFileBytes(finds, replaces);
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw Failure(why);
    }
    if (!file.commit())
        throw Failure(file.errorString());
}

} // namespace quorvane
