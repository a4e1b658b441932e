// The folder-tree scan and the collection of a tree's files built on it.
#include "filelist/FolderScan.h"

#include "engine/files/PathHelpers.h"
#include "filelist/FolderListing.h"
#include "filelist/NameOrder.h"
#include "shell/Failure.h"

#include <QFile>

#include <algorithm>
#include <climits>
#include <deque>
#include <dirent.h>
#include <sys/stat.h>

namespace quorvane {

namespace {

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
    constexpr int hiddenSystemFolder = kAttrHidden | kAttrSystem | kAttrDirectory;
    const int value = FileAttributes(folder);
    return value == hiddenSystemFolder || value == (hiddenSystemFolder | kAttrReparsePoint);
}

bool acceptedName(const QByteArray& raw)
{
    return raw != "." && raw != ".." && raw.size() <= NAME_MAX && !HasUnsafeNameChar(raw)
        && !raw.contains('?');
}

// True when options leave out the subfolder or file called raw.
bool excluded(const ScanOptions* options, const QByteArray& raw, bool folder)
{
    if (!options)
        return false;
    if (folder && options->skipHiddenFolders && raw.startsWith('.'))
        return true;
    if (options->excludes.isEmpty())
        return false;
    const QByteArray key = FoldedName(raw);
    for (const QString& pattern : options->excludes) {
        if (WildcardPattern(pattern).matchesKey(key))
            return true;
    }
    return false;
}

// Accepted subfolder names among entries, in name order. Links to folders are
// not followed: a link back up the tree would otherwise make the scan endless.
// Subfolders left out only because their names are not UTF-8 go to undecodable.
std::vector<OrderedName> subfolders(const QByteArray& path, const std::vector<RawEntry>& entries,
                                    const Yield& yield, const ScanOptions* options,
                                    std::vector<QByteArray>* undecodable)
{
    std::vector<OrderedName> out;
    for (const RawEntry& e : entries) {
        bool folder = e.type == DT_DIR;
        if (e.type == DT_UNKNOWN) {
            struct stat st {};
            folder = lstat(QByteArray(path + e.name).constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (!folder)
            continue;
        if (yield)
            yield();
        if (excluded(options, e.name, true))
            continue;
        if (acceptedName(e.name))
            out.push_back(MakeOrderedName(e.name));
        else if (undecodable && !IsUtf8Name(e.name))
            undecodable->push_back(path + e.name + '/');
    }
    std::sort(out.begin(), out.end(), NameLess);
    return out;
}

// Runs one step; failures other than unreadable folders go to failed (or are
// thrown when no one takes them) and the scan goes on.
void guarded(const ScanFailed& failed, int step, const std::function<void()>& body)
{
    try {
        body();
    } catch (const Failure& f) {
        if (!failed)
            throw;
        failed(step, f.text);
    } catch (const std::exception& e) {
        if (!failed)
            throw Failure(QString::fromLocal8Bit(e.what()));
        failed(step, QString::fromLocal8Bit(e.what()));
    }
}

// The scan itself; keep, when given, receives the entries of every folder read.
void scanTree(QStringList& folders, bool recurse, const ScanFailed& failed, const Yield& yield,
              FolderReads* keep, const ScanOptions* options = nullptr,
              std::vector<QByteArray>* undecodable = nullptr)
{
    // Level by level; each level is examined completely before the next one,
    // and folders that cannot be read are dropped from the level holding them.
    std::deque<QStringList> deeper;
    QStringList* level = &folders;
    for (;;) {
        QStringList next;
        const QStringList snapshot = *level;
        for (const QString& v : snapshot) {
            guarded(failed, 100, [&] {
                const QByteArray path = QFile::encodeName(v);
                if (!isFolder(path) || path.size() >= PATH_MAX)
                    return;
                if (yield)
                    yield();
                if (!isRoot(path) && isExcludedFolder(v))
                    return;
                const QByteArray dirPath = path.endsWith('/') ? path : path + '/';
                std::vector<RawEntry> entries;
                if (ReadFolder(dirPath, entries) == FolderReadResult::Unreadable) {
                    level->removeOne(v);
                    return;
                }
                const QString base = v.endsWith('/') ? v : v + '/';
                for (const OrderedName& n : subfolders(dirPath, entries, yield, options, undecodable))
                    next.append(base + n.name + '/');
                if (keep)
                    keep->insert(base, std::move(entries));
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
            guarded(failed, 102, [&] {
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

} // namespace

void GetSubDirectories2016(QStringList& folders, bool recurse, const ScanFailed& failed,
                           const Yield& yield)
{
    scanTree(folders, recurse, failed, yield, nullptr);
}

QStringList CollectFolderFiles(const QString& folder, const QString& extension,
                               const Yield& yield, const ScanFailed& failed, const ScanOptions& options,
                               std::vector<QByteArray>* undecodable)
{
    if (folder.isEmpty())
        return {};
    QStringList folders{folder.endsWith('/') ? folder : folder + '/'};
    FolderReads reads;
    std::vector<QByteArray> unheld;
    scanTree(folders, true, failed, yield, &reads, &options, &unheld);

    const QString pattern = "*." + extension;
    QStringList paths;
    for (QString f : folders) {
        const auto read = reads.constFind(f);
        f.chop(1); // the root becomes "", which joins to "/name"
        // Folders the scan has read already are not read a second time.
        const std::vector<ListedFile> files = read != reads.constEnd()
            ? MatchFiles(QFile::encodeName(f) + '/', *read, pattern, true, &unheld)
            : ListMatchingFiles(f, pattern, true);
        // Names hold no '/', so only the folder part can bring a doubled one.
        const bool normalize = QString(f + '/').contains(u"//");
        for (const ListedFile& file : files) {
            if (file.name.startsWith('~') || file.hiddenArchiveOnly
                || (!options.excludes.isEmpty() && excluded(&options, QFile::encodeName(file.name), false)))
                continue;
            QString path;
            path.reserve(f.size() + 1 + file.name.size());
            path.append(f).append(u'/').append(file.name);
            paths.append(normalize ? NormalizePath(path) : std::move(path));
        }
    }
    if (undecodable) {
        std::sort(unheld.begin(), unheld.end());
        undecodable->insert(undecodable->end(), unheld.begin(), unheld.end());
    }
    return paths;
}

} // namespace quorvane
