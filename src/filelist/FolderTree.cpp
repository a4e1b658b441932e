// The folder-tree scan and the collection of a tree's files built on it.
#include "filelist/FolderScan.h"

#include "engine/files/PathHelpers.h"
#include "filelist/FolderListing.h"
#include "engine/files/ForEachIndex.h"
#include "filelist/NameOrder.h"
#include "shell/Failure.h"

#include <QFile>

#include <algorithm>
#include <climits>
#include <deque>
#include <exception>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>

namespace quorvane {

namespace {

using Links = ScanOptions::Links;

bool isFolder(const QByteArray& path, struct stat& st)
{
    return stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFolder(const QByteArray& path)
{
    struct stat st {};
    return isFolder(path, st);
}

// True when the entry of type type at full is a folder the scan may enter:
// a real one, or a link to one when links are followed.
bool entersAsFolder(const QByteArray& full, unsigned char type, bool follow)
{
    if (type == DT_DIR)
        return true;
    if (type != DT_UNKNOWN && !(follow && type == DT_LNK))
        return false;
    struct stat st {};
    if (lstat(full.constData(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode) && (!follow || stat(full.constData(), &st) != 0))
        return false;
    return S_ISDIR(st.st_mode);
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
    if (folder && !options->includeVcs && IsVersionControlName(raw, true))
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
// followed only when options ask for it (the scan then guards against loops).
// Subfolders left out only because their names are not UTF-8 go to
// undecodable.
std::vector<OrderedName> subfolders(const QByteArray& path, const std::vector<RawEntry>& entries,
                                    const Yield& yield, const ScanOptions* options,
                                    std::vector<QByteArray>* undecodable)
{
    const bool follow = options && options->links == Links::All;
    std::vector<OrderedName> out;
    for (const RawEntry& e : entries) {
        if (!entersAsFolder(path + e.name, e.type, follow))
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

// Drops from the entries of folder dirPath the files options leave out
// whatever their names: links when none are followed, and a .git file.
void dropUnlistedFiles(const QByteArray& dirPath, std::vector<RawEntry>& entries, const ScanOptions& options)
{
    const bool noLinks = options.links == Links::None;
    if (!noLinks && options.includeVcs)
        return;
    std::erase_if(entries, [&](const RawEntry& e) {
        if (e.type == DT_DIR)
            return false;
        if (!options.includeVcs && IsVersionControlName(e.name, false))
            return true;
        if (!noLinks || (e.type != DT_LNK && e.type != DT_UNKNOWN))
            return false;
        struct stat st {};
        return e.type == DT_LNK || (lstat(QByteArray(dirPath + e.name).constData(), &st) == 0 && S_ISLNK(st.st_mode));
    });
}

// Regular and writable by its owner (a link: when followed, by the file it
// names): a file so named that it is hidden then has the value 34.
bool isWritableFile(const QByteArray& path, bool follow)
{
    struct stat st {};
    const int read = follow ? stat(path.constData(), &st) : lstat(path.constData(), &st);
    return read == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR);
}

// A folder as the file system knows it, whatever path reaches it.
using FolderId = std::pair<dev_t, ino_t>;

// True when the folder v (ending with '/') is one of the folders above it in
// the scan, which only a link back up the tree can bring; entered holds the
// folders entered so far.
bool loopsBack(const QString& v, const FolderId& id, const QHash<QString, FolderId>& entered)
{
    QString above = v;
    for (;;) {
        const qsizetype cut = above.lastIndexOf(u'/', above.size() - 2);
        if (cut < 0)
            return false;
        above.truncate(cut + 1);
        const auto found = entered.constFind(above);
        if (found == entered.constEnd())
            return false;   // above the folder scanned
        if (*found == id)
            return true;
    }
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

// One folder of a level as read for the scan, before it joins the scan's
// results.
struct LevelRead {
    // Gone: no longer a folder; Dropped: a loop back up the tree, or unreadable.
    enum class Fate { Gone, Dropped, Read };
    Fate fate = Fate::Gone;
    FolderId id{};
    std::vector<RawEntry> entries;       // its files (the folders left out as options say)
    std::vector<OrderedName> subfolders;
    std::vector<QByteArray> undecodable;
    std::exception_ptr thrown;
};

// Reads the folder v of a level: whether it is still a folder, whether it
// loops back above itself (follow: entered holds the folders of the levels
// before), its subfolders and its files. Only reads, so the folders of one
// level can be read side by side when no yield asks for the window's thread.
void readLevelFolder(const QString& v, LevelRead& r, const Yield& yield, const ScanOptions* options,
                     const QHash<QString, FolderId>* entered)
{
    try {
        const QByteArray path = QFile::encodeName(v);
        struct stat st {};
        if (!isFolder(path, st) || path.size() >= PATH_MAX)
            return;   // gone since its parent was read
        if (yield)
            yield();
        r.id = {st.st_dev, st.st_ino};
        if (entered && loopsBack(v, r.id, *entered)) {
            r.fate = LevelRead::Fate::Dropped;
            return;
        }
        const QByteArray dirPath = path.endsWith('/') ? path : path + '/';
        if (ReadFolder(dirPath, r.entries) == FolderReadResult::Unreadable) {
            r.fate = LevelRead::Fate::Dropped;
            return;
        }
        r.subfolders = subfolders(dirPath, r.entries, yield, options, &r.undecodable);
        if (options)
            dropUnlistedFiles(dirPath, r.entries, *options);
        r.fate = LevelRead::Fate::Read;
    } catch (...) {
        r.thrown = std::current_exception();
    }
}

// Folders of one level read side by side, when there are enough to be worth
// the threads.
constexpr qsizetype kParallelLevel = 8;

// The scan itself; keep, when given, receives the entries of every folder read.
void scanTree(QStringList& folders, bool recurse, const ScanFailed& failed, const Yield& yield,
              FolderReads* keep, const ScanOptions* options = nullptr,
              std::vector<QByteArray>* undecodable = nullptr)
{
    // Level by level; each level is examined completely before the next one,
    // and folders that cannot be read are dropped from the level holding them.
    // Through links a path can go on for ever: a folder that is one of the
    // folders above it is dropped.
    const bool follow = options && options->links == Links::All;
    QHash<QString, FolderId> entered;
    std::deque<QStringList> deeper;
    QStringList* level = &folders;
    for (;;) {
        QStringList next;
        const QStringList snapshot = *level;
        // Joins folder i's read to the scan, in the level's order, so that the
        // results and the failures told do not depend on how it was read.
        const auto join = [&](qsizetype i, LevelRead& r) {
            const QString& v = snapshot[i];
            guarded(failed, 100, [&] {
                if (r.thrown)
                    std::rethrow_exception(r.thrown);
                // A subfolder gone since its parent was read is dropped here,
                // so the listing below need not ask again.
                if (r.fate == LevelRead::Fate::Gone) {
                    if (level != &folders)
                        level->removeOne(v);
                    return;
                }
                if (r.fate == LevelRead::Fate::Dropped) {
                    level->removeOne(v);
                    return;
                }
                if (follow)
                    entered.insert(v, r.id);
                if (undecodable)
                    undecodable->insert(undecodable->end(), r.undecodable.begin(), r.undecodable.end());
                const QString base = v.endsWith('/') ? v : v + '/';
                for (const OrderedName& n : r.subfolders)
                    next.append(base + n.name + '/');
                if (keep)
                    keep->insert(base, std::move(r.entries));
            });
        };
        // Hidden system folders would not be entered, but no folder here
        // carries the system attribute (FileAttributes never sets it), so no
        // call is spent asking.
        const QHash<QString, FolderId>* above = follow ? &entered : nullptr;
        if (yield || snapshot.size() < kParallelLevel) {
            for (qsizetype i = 0; i < snapshot.size(); ++i) {
                LevelRead r;
                readLevelFolder(snapshot[i], r, yield, options, above);
                join(i, r);
            }
        } else {
            std::vector<LevelRead> reads(size_t(snapshot.size()));
            ForEachIndex(reads.size(), [&](size_t i) {
                readLevelFolder(snapshot[qsizetype(i)], reads[i], {}, options, above);
            });
            for (qsizetype i = 0; i < snapshot.size(); ++i)
                join(i, reads[size_t(i)]);
        }
        if (next.isEmpty())
            break;
        deeper.push_back(std::move(next));
        if (!recurse)
            break;
        level = &deeper.back();
    }

    // Scanning a level checked its folders, so with recurse every level was;
    // without, the one level found was never scanned.
    for (const QStringList& found : deeper) {
        for (const QString& w : found) {
            guarded(failed, 102, [&] {
                if (!recurse && !isFolder(QFile::encodeName(w)))
                    return;
                if (yield)
                    yield();
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

QStringList CollectFolderFiles(const QString& folder, const QStringList& extensions,
                               const Yield& yield, const ScanFailed& failed, const ScanOptions& options,
                               std::vector<QByteArray>* undecodable)
{
    if (folder.isEmpty())
        return {};
    QStringList folders{folder.endsWith('/') ? folder : folder + '/'};
    FolderReads reads;
    std::vector<QByteArray> unheld;
    scanTree(folders, true, failed, yield, &reads, &options, &unheld);

    QStringList patterns;
    for (const QString& extension : extensions)
        patterns.append("*." + extension);
    const bool follow = options.links == Links::All;
    // One folder's files as paths; entries, when the scan read the folder, are
    // freed once matched, so the paths reuse their memory.
    const auto listFolder = [&](QString f, std::vector<RawEntry>* entries, std::vector<QByteArray>& names) {
        f.chop(1); // the root becomes "", which joins to "/name"
        const QByteArray dirPath = QFile::encodeName(f) + '/';
        // Folders the scan has read already are not read a second time.
        std::vector<RawEntry> late;
        if (!entries) {
            if (ReadFolder(dirPath, late) == FolderReadResult::Unreadable)
                return QStringList();
            dropUnlistedFiles(dirPath, late, options);
        }
        const QStringList found = MatchFiles(dirPath, entries ? *entries : late, patterns, &names);
        if (entries)
            std::vector<RawEntry>().swap(*entries);
        // Names hold no '/', so only the folder part can bring a doubled one.
        const bool normalize = QString(f + '/').contains(u"//");
        QStringList paths;
        paths.reserve(found.size());
        for (const QString& name : found) {
            if (!options.hidden
                && (name.startsWith('~')
                    || (name.startsWith('.') && isWritableFile(dirPath + QFile::encodeName(name), follow))))
                continue;
            if (!options.excludes.isEmpty() && excluded(&options, QFile::encodeName(name), false))
                continue;
            QString path;
            path.reserve(f.size() + 1 + name.size());
            path.append(f).append(u'/').append(name);
            paths.append(normalize ? NormalizePath(path) : std::move(path));
        }
        return paths;
    };
    // Folder by folder, side by side when there are enough, joined in the
    // scan's order.
    struct Listed {
        std::vector<RawEntry>* entries = nullptr;   // as the scan read them; null: read here
        QStringList paths;
        std::vector<QByteArray> unheld;
        std::exception_ptr thrown;
    };
    std::vector<Listed> listed(size_t(folders.size()));
    for (qsizetype i = 0; i < folders.size(); ++i) {
        if (const auto read = reads.find(folders[i]); read != reads.end())
            listed[size_t(i)].entries = &*read;
    }
    const auto list = [&](size_t i) {
        Listed& l = listed[i];
        try {
            l.paths = listFolder(folders.at(qsizetype(i)), l.entries, l.unheld);
        } catch (...) {
            l.thrown = std::current_exception();
        }
    };
    if (listed.size() < size_t(kParallelLevel)) {
        for (size_t i = 0; i < listed.size(); ++i)
            list(i);
    } else {
        ForEachIndex(listed.size(), list);
    }
    QStringList paths;
    for (Listed& l : listed) {
        if (l.thrown)
            std::rethrow_exception(l.thrown);
        paths.append(std::move(l.paths));
        unheld.insert(unheld.end(), l.unheld.begin(), l.unheld.end());
    }
    if (undecodable) {
        std::sort(unheld.begin(), unheld.end());
        undecodable->insert(undecodable->end(), unheld.begin(), unheld.end());
    }
    return paths;
}

} // namespace quorvane
