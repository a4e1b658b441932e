#include "filelist/FolderListing.h"

#include "engine/text/TextCodec.h"
#include "filelist/NameOrder.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

bool isAscii(const QByteArray& bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Length of the valid UTF-8 sequence at the start of bytes, 0 when there is none.
qsizetype validSequenceLength(QByteArrayView bytes)
{
    const auto lead = static_cast<unsigned char>(bytes.front());
    const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || length > bytes.size())
        return 0;
    return IsUtf8Name(bytes.first(length)) ? length : 0;
}

} // namespace

bool IsUtf8Name(QByteArrayView raw)
{
    return raw.isValidUtf8();
}

QString EscapedName(QByteArrayView raw)
{
    QString out;
    while (!raw.isEmpty()) {
        const qsizetype n = validSequenceLength(raw);
        if (n > 0) {
            out += QString::fromUtf8(raw.first(n));
            raw = raw.sliced(n);
        } else {
            out += QStringLiteral("\\x")
                + QString::number(static_cast<unsigned char>(raw.front()), 16).toUpper().rightJustified(2, u'0');
            raw = raw.sliced(1);
        }
    }
    return out;
}

bool IsOpenablePath(const QByteArray& path)
{
    struct stat st {};
    return !path.isEmpty() && stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

FolderReadResult ReadFolder(const QByteArray& path, std::vector<RawEntry>& entries)
{
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.constData()));
    if (!dir) {
        const int e = errno;
        return (e == EACCES || e == EPERM || e == ENOENT || e == ENOTDIR)
            ? FolderReadResult::Unreadable
            : FolderReadResult::Broken;
    }
    for (;;) {
        errno = 0;
        const dirent* e = readdir(dir.get());
        if (!e)
            return errno == 0 ? FolderReadResult::Read : FolderReadResult::Broken;
        if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0)))
            continue;
        entries.push_back({QByteArray(e->d_name), e->d_type});
    }
}

QStringList MatchFiles(const QByteArray& dirPath, const std::vector<RawEntry>& entries,
                       const QStringList& patterns, std::vector<QByteArray>* undecodable)
{
    // Files of a folder we may list but not pass through cannot be opened.
    if (access(dirPath.constData(), X_OK) != 0)
        return {};
    std::vector<WildcardPattern> wildcards;
    for (const QString& pattern : patterns)
        wildcards.emplace_back(pattern);
    // A scan may meet 100,000 files: names are only folded when a pattern
    // needs it, and decoded once they match.
    const bool everyName = std::any_of(wildcards.begin(), wildcards.end(),
                                       [](const WildcardPattern& w) { return w.matchesEverything(); });
    std::vector<OrderedName> found;
    for (const RawEntry& e : entries) {
        if (e.type == DT_DIR)
            continue;
        if (!everyName) {
            const QByteArray key = FoldedName(e.name);
            if (std::none_of(wildcards.begin(), wildcards.end(),
                             [&key](const WildcardPattern& w) { return w.matchesKey(key); }))
                continue;
        }
        OrderedName order;   // its key is not needed again
        order.raw = e.name;
        order.name = Utf8Text(e.name);
        order.upper = OrderUpper(e.name);
        // Only names that convert back to the same bytes can be opened by path
        // later; the others are handed back so they are reported, not lost.
        const bool held = isAscii(e.name) || QFile::encodeName(order.name) == e.name;
        // The full path must reach the file the way the batch will open it. For
        // a file its folder lists as regular that fails only where the path is
        // longer than the system accepts, which its length tells without a stat
        // (or even building it: a scan may keep 100,000 files).
        if (e.type == DT_REG ? dirPath.size() + e.name.size() >= PATH_MAX : !IsOpenablePath(dirPath + e.name))
            continue;
        if (!held) {
            if (undecodable)
                undecodable->push_back(dirPath + e.name);
            continue;
        }
        found.push_back(std::move(order));
    }
    std::sort(found.begin(), found.end(), NameLess);

    QStringList out;
    out.reserve(qsizetype(found.size()));
    for (OrderedName& f : found)
        out.append(std::move(f.name));
    return out;
}

QStringList ListMatchingFiles(const QString& folder, const QString& pattern)
{
    QByteArray dirPath = QFile::encodeName(folder);
    if (!dirPath.endsWith('/'))
        dirPath += '/';
    std::vector<RawEntry> entries;
    if (ReadFolder(dirPath, entries) == FolderReadResult::Unreadable)
        return {};
    return MatchFiles(dirPath, entries, {pattern});
}

} // namespace quorvane
