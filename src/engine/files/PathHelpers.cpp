#include "engine/files/PathHelpers.h"

#include "engine/files/FileAccess.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

bool FileExists(const QString& path)
{
    if (path.isEmpty() || !UsablePath(path))
        return false;
    struct stat st;
    return ::stat(NativePath(path).constData(), &st) == 0;
}

bool FolderExists(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && UsablePath(path) && ::stat(NativePath(path).constData(), &st) == 0
        && S_ISDIR(st.st_mode);
}

QString FileNameOfPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString OutputPathInFolder(const QString& folder, const QString& source)
{
    const QString joint = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return NormalizePath(joint + FileNameOfPath(source));
}

// One left-to-right pass: each non-overlapping "//" becomes "/", so three
// slashes become two and four become two.
static QString CollapsePairs(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out.append(text[i]);
        if (text[i] == QLatin1Char('/') && i + 1 < text.size() && text[i + 1] == QLatin1Char('/'))
            ++i;
    }
    return out;
}

QString NormalizePath(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return CollapsePairs(path);
    qsizetype first = 1;
    while (first < path.size() && path[first] == QLatin1Char('/'))
        ++first;
    // A rooted path keeps its single slash; a leading run of two or more
    // becomes exactly two.
    const QString lead = first == 1 ? QStringLiteral("/") : QStringLiteral("//");
    return lead + CollapsePairs(QStringView(path).mid(first));
}

qint64 FileSize2(const QString& path)
{
    struct stat st;
    const int fd = OpenRegularForReading(path, &st);
    if (fd < 0)
        return -1;
    ::close(fd);
    return qint64(st.st_size);
}

} // namespace quorvane
