#include "FolderScan.h"

#include "FolderListing.h"
#include "NameOrder.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

bool startsWithDot(const QByteArray& name) { return !name.isEmpty() && name.at(0) == '.'; }

// Regular, not a link, owner may write, name hidden: the whole value is then 34.
bool isHiddenArchiveOnly(int dirFd, const char* name)
{
    struct stat st {};
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR);
}

// The last name of a path, ignoring one trailing '/'.
QByteArray lastName(const QByteArray& path)
{
    QByteArray p = path;
    if (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p.mid(p.lastIndexOf('/') + 1);
}

} // namespace

std::vector<ListedFile> ListMatchingFiles(const QString& folder, const QString& pattern,
                                          bool wantHiddenArchive)
{
    QByteArray dirPath = QFile::encodeName(folder);
    if (!dirPath.endsWith('/'))
        dirPath += '/';
    std::unique_ptr<DIR, DirCloser> dir(opendir(dirPath.constData()));
    if (!dir)
        return {};
    const int fd = dirfd(dir.get());

    struct Found {
        OrderedName order;
        bool hiddenArchiveOnly;
    };
    std::vector<Found> found;
    while (dirent* e = readdir(dir.get())) {
        const QByteArray raw(e->d_name);
        if (raw == "." || raw == "..")
            continue;
        // Only names that convert back to the same bytes can be opened by path later.
        OrderedName order = MakeOrderedName(raw);
        if (QFile::encodeName(order.name) != raw || !MatchesWildcard(order.name, pattern))
            continue;
        bool regular = e->d_type == DT_REG;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            regular = fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (!regular || faccessat(fd, e->d_name, R_OK, 0) != 0)
            continue;
        const bool hidden = wantHiddenArchive && startsWithDot(raw)
            && isHiddenArchiveOnly(fd, e->d_name);
        found.push_back({std::move(order), hidden});
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return NameLess(a.order, b.order); });

    std::vector<ListedFile> out;
    out.reserve(found.size());
    for (Found& f : found)
        out.push_back({std::move(f.order.name), f.hiddenArchiveOnly});
    return out;
}

QStringList ListFilesOfFolder(const QString& folder, const QString& pattern)
{
    QStringList names;
    for (ListedFile& f : ListMatchingFiles(folder, pattern, false))
        names.append(std::move(f.name));
    return names;
}

bool IsOpenableFile(const QString& path)
{
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    if (p.isEmpty() || stat(p.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return access(p.constData(), R_OK) == 0;
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
