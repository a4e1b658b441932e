#include "sets/SetsFile.h"

#include "engine/text/TextCodec.h"
#include "shell/Failure.h"

#include <algorithm>

namespace quorvane {

namespace {
const QString kSaveSeparator = QStringLiteral("::");
} // namespace

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

SetsFileRead LoadSetsFile(const QString& path, const QString& separator,
                          QStringList& finds, QStringList& replaces)
{
    QStringList lines;
    QString error;
    SetsFileRead read;
    if (!ReadTextFile(path, lines, &error, nullptr, &read.notUtf8))
        throw Failure(error.isEmpty() ? QStringLiteral("File not found") : error);
    // Emptied, a line that is not UTF-8 is skipped like any empty line.
    for (const RawLine& bad : read.notUtf8)
        lines[bad.first - 1].clear();
    read.textLines = std::count_if(lines.cbegin(), lines.cend(), [](const QString& line) { return !line.isEmpty(); })
                     + qsizetype(read.notUtf8.size());
    const qsizetype before = finds.size();
    AppendSetsFromLines(lines, separator, finds, replaces);
    read.sets = finds.size() - before;
    return read;
}

QByteArray SetsFileBytes(const QStringList& finds, const QStringList& replaces)
{
    const qsizetype count = std::min(finds.size(), replaces.size());
    QByteArray bytes;
    for (qsizetype i = 0; i < count; ++i)
        bytes += (finds.at(i) + kSaveSeparator + replaces.at(i)).toUtf8() + "\r\n";
    return bytes;
}

qsizetype FirstSetNotRoundTripping(const QStringList& finds, const QStringList& replaces)
{
    // "::" inside a text, or a find text ending in ':', moves the split; a line
    // break would cut the line; a mark at the file's start is read as the
    // mark of a UTF-8 file and dropped.
    const qsizetype count = std::min(finds.size(), replaces.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString line = finds.at(i) + kSaveSeparator + replaces.at(i);
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r'))
            || (i == 0 && line.startsWith(QChar(0xfeff))))
            return i;
        QStringList find;
        QStringList replace;
        AppendSetsFromLines({line}, kSaveSeparator, find, replace);
        if (find.constFirst() != finds.at(i) || replace.constFirst() != replaces.at(i))
            return i;
    }
    return -1;
}

} // namespace quorvane
