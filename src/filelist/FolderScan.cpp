#include "filelist/FolderScan.h"

#include "filelist/FolderListing.h"

#include <QFile>
#include <QStringDecoder>

#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

bool startsWithDot(const QByteArray& name) { return !name.isEmpty() && name.at(0) == '.'; }

// The last name of a path, ignoring one trailing '/'.
QByteArray lastName(const QByteArray& path)
{
    QByteArray p = path;
    if (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p.mid(p.lastIndexOf('/') + 1);
}

} // namespace

QStringList ListFilesOfFolder(const QString& folder, const QString& pattern)
{
    return ListMatchingFiles(folder, pattern);
}

bool HasUnsafeNameChar(const QByteArray& rawName)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(rawName);
    if (decoder.hasError())
        return true;
    for (char32_t c : text.toUcs4()) {
        if (c < 32 || (c >= 127 && c <= 159) || c == U'?')
            return true;
    }
    return false;
}

bool IsVersionControlName(QByteArrayView rawName, bool folder)
{
    if (!folder)
        return rawName == ".git";
    for (const char* name : {".git", ".hg", ".svn", ".bzr", "_darcs", "CVS"})
        if (rawName == name)
            return true;
    return false;
}

int FileAttributes(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    if (p.isEmpty() || lstat(p.constData(), &st) != 0)
        return -1;
    int value = 0;
    if (startsWithDot(lastName(p)))
        value |= kAttrHidden;
    if (!(st.st_mode & S_IWUSR))
        value |= kAttrReadOnly;
    mode_t kind = st.st_mode;
    if (S_ISLNK(st.st_mode)) {
        value |= kAttrReparsePoint;
        struct stat target {};
        kind = stat(p.constData(), &target) == 0 ? target.st_mode : 0;
    }
    if (S_ISDIR(kind))
        value |= kAttrDirectory;
    else if (S_ISREG(kind))
        value |= kAttrArchive;
    return value;
}

} // namespace quorvane
