// The folder-tree scan and the collection of a tree's files built on it.
#include "FolderScan.h"

#include "ErrorReport.h"
#include "FolderListing.h"
#include "NameOrder.h"
#include "PathHelpers.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quorvane {

namespace {

const char* const kScanProcedure = "AddFolder.GetSubDirectories2016";

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

enum class Enumeration { Done, Unreadable, Broken };

bool isFolder(const QByteArray& path)
{
    struct stat st {};
    return stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRoot(const QByteArray& path) { return path == "/"; }

// Hidden system folders (and such folders that are links) are not entered.
// Nothing here ever carries the system bit, so this only keeps the rule's shape.
bool isExcludedFolder(const QString& folder)
{
    const int value = FileAttributes(folder);
    return value == 22 || value == 1046;
}

bool acceptedName(const QByteArray& raw)
{
    return raw != "." && raw != ".." && raw.size() <= NAME_MAX && !HasUnsafeNameChar(raw)
        && !raw.contains('?');
}

// Subfolder names of path in name order. Links to folders are not followed:
// a link back up the tree would otherwise make the scan endless.
Enumeration subfolders(const QByteArray& path, std::vector<OrderedName>& out, const Yield& yield)
{
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.constData()));
    if (!dir) {
        const int e = errno;
        return (e == EACCES || e == EPERM || e == ENOENT || e == ENOTDIR) ? Enumeration::Unreadable
                                                                          : Enumeration::Broken;
    }
    const int fd = dirfd(dir.get());
    Enumeration result = Enumeration::Done;
    for (;;) {
        errno = 0;
        dirent* e = readdir(dir.get());
        if (!e) {
            if (errno != 0)
                result = Enumeration::Broken;
            break;
        }
        bool folder = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st {};
            folder = fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (!folder)
            continue;
        if (yield)
            yield();
        const QByteArray raw(e->d_name);
        if (acceptedName(raw))
            out.push_back(MakeOrderedName(raw));
    }
    std::sort(out.begin(), out.end(), NameLess);
    return result;
}

// Runs one step; failures other than unreadable folders are reported (or
// thrown when there is no one to show them) and the scan goes on.
void guarded(Prompts* prompts, int step, const std::function<void()>& body)
{
    try {
        body();
    } catch (const Failure& f) {
        if (!prompts)
            throw;
        ReportFailure(*prompts, f.text, kScanProcedure, step, kScanProject);
    } catch (const std::exception& e) {
        if (!prompts)
            throw Failure(QString::fromLocal8Bit(e.what()));
        ReportFailure(*prompts, QString::fromLocal8Bit(e.what()), kScanProcedure, step, kScanProject);
    }
}

} // namespace

void GetSubDirectories2016(QStringList& folders, bool recurse, Prompts* prompts,
                           const Yield& yield)
{
    // Level by level; each level is examined completely before the next one,
    // and folders that cannot be read are dropped from the level holding them.
    std::deque<QStringList> deeper;
    QStringList* level = &folders;
    for (;;) {
        QStringList next;
        const QStringList snapshot = *level;
        for (const QString& v : snapshot) {
            guarded(prompts, 100, [&] {
                const QByteArray path = QFile::encodeName(v);
                if (!isFolder(path) || path.size() >= PATH_MAX)
                    return;
                if (yield)
                    yield();
                if (!isRoot(path) && isExcludedFolder(v))
                    return;
                std::vector<OrderedName> names;
                if (subfolders(path, names, yield) == Enumeration::Unreadable) {
                    level->removeOne(v);
                    return;
                }
                const QString base = v.endsWith('/') ? v : v + '/';
                for (const OrderedName& n : names)
                    next.append(base + n.name + '/');
            });
        }
        if (next.isEmpty())
            break;
        deeper.push_back(std::move(next));
        if (!recurse)
            break;
        level = &deeper.back();
    }

    for (const QStringList& found : deeper) {
        for (const QString& w : found) {
            guarded(prompts, 102, [&] {
                const QByteArray path = QFile::encodeName(w);
                if (!isFolder(path))
                    return;
                if (yield)
                    yield();
                if (isRoot(path) || !isExcludedFolder(w))
                    folders.append(w);
            });
        }
    }
}

QStringList CollectFolderFiles(const QString& folder, const QString& extension,
                               const Yield& yield, Prompts* prompts)
{
    if (folder.isEmpty())
        return {};
    QStringList folders{folder.endsWith('/') ? folder : folder + '/'};
    GetSubDirectories2016(folders, true, prompts, yield);

    const QString pattern = "*." + extension;
    QStringList paths;
    for (QString f : folders) {
        f.chop(1); // the root becomes "", which joins to "/name"
        for (const ListedFile& file : ListMatchingFiles(f, pattern, true)) {
            if (file.name.startsWith('~') || file.hiddenArchiveOnly)
                continue;
            paths.append(NormalizePath(f + '/' + file.name));
        }
    }
    return paths;
}

} // namespace quorvane
