#include "filelist/ListFile.h"

#include "engine/text/TextCodec.h"
#include "shell/Failure.h"

#include <QFile>
#include <QFileInfo>

namespace quorvane {

ListFileEntries ReadListFile(const QString& path)
{
    // Only regular files: opening a FIFO for reading would wait for a writer forever.
    if (!QFileInfo(path).isFile())
        throw Failure(QFileInfo::exists(path) ? "Path/File access error" : "File not found");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.error() == QFileDevice::PermissionsError ? "Permission denied"
                                                                    : "Path/File access error");
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure("Input past end of file");
    file.close();

    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    // A closing line end (CR, CR LF or LF) ends the last line; it does not start an empty one.
    const qsizetype closing = bytes.endsWith("\r\n") ? 2
        : (bytes.endsWith('\n') || bytes.endsWith('\r')) ? 1 : 0;
    bytes.chop(closing);
    ListFileEntries read;
    if (bytes.isEmpty() && closing == 0)
        return read;

    qsizetype start = 0;
    qsizetype line = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes.at(i) != '\r' && bytes.at(i) != '\n')
            continue;
        ++line;
        const QByteArrayView text(bytes.constData() + start, i - start);
        if (text.contains('\0'))
            read.nulLines.push_back(line);
        else
            read.entries.append(Utf8Text(text));
        if (i + 1 < bytes.size() && bytes.at(i) == '\r' && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    return read;
}

QString NulLineReason(qsizetype line)
{
    return QStringLiteral("line %1: a file name cannot hold a NUL character").arg(line);
}

} // namespace quorvane
