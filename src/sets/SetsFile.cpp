#include "sets/SetsFile.h"

#include "engine/files/PathHelpers.h"
#include "engine/text/TextCodec.h"
#include "shell/Failure.h"
#include "shell/Prompts.h"

#include <QSaveFile>

namespace quorvane {

void AppendSetsFromLines(const QStringList& lines, const QString& separator,
                         QStringList& finds, QStringList& replaces)
{
    // An empty separator would match everywhere; callers refuse it first.
    if (separator.isEmpty())
        return;
    finds.reserve(finds.size() + lines.size());
    replaces.reserve(replaces.size() + lines.size());
    // The find text is what comes before the first separator, the replace
    // text what lies between it and the next one (or the end); the pieces are
    // cut out directly rather than splitting every line into a list.
    for (const QString& line : lines) {
        const qsizetype first = line.indexOf(separator, 0, Qt::CaseSensitive);
        if (first < 0)
            continue;
        const qsizetype from = first + separator.size();
        const qsizetype next = line.indexOf(separator, from, Qt::CaseSensitive);
        finds << line.left(first);
        replaces << line.mid(from, next < 0 ? -1 : next - from);
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
