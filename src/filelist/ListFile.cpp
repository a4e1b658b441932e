#include "filelist/ListFile.h"

#include "engine/text/TextCodec.h"
#include "filelist/FolderListing.h"
#include "shell/Failure.h"

#include <QFile>
#include <QFileInfo>

namespace quorvane {

namespace {

// Files one line: an entry, or a line no name can be, or one no text can hold.
void add(ListFileEntries& read, qsizetype line, QByteArrayView text)
{
    if (text.contains('\0'))
        read.nulLines.push_back(line);
    else if (!IsUtf8Name(text))
        read.undecodableLines.emplace_back(line, text.toByteArray());
    else
        read.entries.append(Utf8Text(text));
}

} // namespace

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
    return ParseListFile(std::move(bytes));
}

ListFileEntries ParseListFile(QByteArray bytes)
{
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
        add(read, line, text);
        if (i + 1 < bytes.size() && bytes.at(i) == '\r' && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    return read;
}

ListFileEntries ParseNulList(const QByteArray& bytes)
{
    ListFileEntries read;
    qsizetype start = 0;
    qsizetype line = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\0', start);
        if (end < 0)
            end = bytes.size();
        add(read, ++line, QByteArrayView(bytes.constData() + start, end - start));
        start = end + 1;
    }
    return read;
}

QString NulLineReason(qsizetype line)
{
    return QStringLiteral("line %1: a file name cannot hold a NUL character").arg(line);
}

} // namespace quorvane
