#include "batch/Gather.h"

#include "batch/Streams.h"
#include "engine/files/PathHelpers.h"
#include "filelist/ExtensionSplit.h"
#include "filelist/FolderListing.h"
#include "filelist/FolderScan.h"
#include "filelist/ListFile.h"
#include "sets/SetsFile.h"
#include "shell/Failure.h"

#include <QFile>
#include <QHash>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::batch {

namespace {

const QString kNotUtf8 = QStringLiteral("the name is not valid UTF-8");

// The whole content of a list: "-" is standard input; a FIFO or a device such
// as /dev/stdin is read to its end like a file. 0, or the errno of the failure.
int readList(const QString& path, QByteArray& bytes)
{
    const bool standardInput = path == QLatin1String("-");
    const int fd = standardInput ? STDIN_FILENO : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    if (!standardInput)
        ::close(fd);
    return error;
}

// The names a folder's extensions match, for messages: "*.cpp, *.h"; "*" for any name.
QString Patterns(const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns.append(extension == u'*' ? extension : "*." + extension);
    return patterns.join(QLatin1String(", "));
}

// A folder's tree scanned once for every --folder naming it: its files for all
// their extensions together, or the failure that ended the scan.
struct SharedScan {
    QStringList extensions;
    bool scanned = false;
    QStringList files;
    std::vector<QByteArray> undecodable;
    std::optional<QString> failure;
};

// The folders named more than once, with the extensions asked of each.
QHash<QString, SharedScan> SharedScans(const BatchArguments& a)
{
    QHash<QString, int> uses;
    QHash<QString, SharedScan> scans;
    for (const Source& source : a.fileSources) {
        if (source.kind != Source::Kind::Folder)
            continue;
        ++uses[source.text];
        SharedScan& scan = scans[source.text];
        for (const QString& extension : source.extensions) {
            if (!scan.extensions.contains(extension))
                scan.extensions.append(extension);
        }
    }
    for (auto it = uses.cbegin(); it != uses.cend(); ++it) {
        if (it.value() < 2)
            scans.remove(it.key());
    }
    return scans;
}

} // namespace

int FolderError(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

bool GatherPairs(const BatchArguments& a, std::vector<Pair>& pairs, const std::function<void(const QString&)>& say)
{
    for (const Source& source : a.pairSources) {
        if (source.kind == Source::Kind::Pair) {
            pairs.push_back({source.text, source.second});
            continue;
        }
        QStringList finds, replaces;
        SetsFileRead read;
        try {
            read = LoadSetsFile(source.text, source.second, finds, replaces);
        } catch (const Failure& failure) {
            struct stat st {};
            const bool found = ::stat(QFile::encodeName(source.text).constData(), &st) == 0;
            say(found ? source.text + ": " + failure.text : PathReason(source.text, errno));
            return false;
        }
        // Pairs that are not what the file says, or none at all, are a mistake
        // the run would not show: refused as a command line without pairs is.
        for (const auto& [line, raw] : read.notUtf8)
            say(source.text
                + QStringLiteral(": line %1: %2: the text is not valid UTF-8").arg(line).arg(EscapedName(raw)));
        if (!read.notUtf8.empty())
            return false;
        if (read.sets == 0) {
            say(source.text
                + (read.textLines == 0 ? QStringLiteral(": holds no sets")
                                       : ": no line holds the separator \"" + source.second + "\" (use --separator)"));
            return false;
        }
        for (qsizetype i = 0; i < finds.size(); ++i)
            pairs.push_back({finds.at(i), replaces.at(i)});
    }
    return true;
}

std::vector<ListEntry> GatherFiles(const BatchArguments& a, const std::function<void(const QString&)>& say)
{
    std::vector<ListEntry> entries;
    // The same folder given with several extensions is walked once.
    QHash<QString, SharedScan> shared = SharedScans(a);
    const auto fail = [&](const QString& path, const QString& why) {
        say(path + ": " + why);
        entries.push_back({path, why});
    };
    for (const Source& source : a.fileSources) {
        try {
            switch (source.kind) {
            case Source::Kind::File:
                if (source.notUtf8)
                    fail(source.text, kNotUtf8);
                else
                    entries.push_back({source.text, {}});
                break;
            case Source::Kind::List: {
                QByteArray bytes;
                if (const int error = readList(source.text, bytes)) {
                    fail(source.text, SystemReason(error));
                    break;
                }
                const ListFileEntries read = a.nulSeparated ? ParseNulList(bytes) : ParseListFile(bytes);
                for (const QString& entry : read.entries)
                    entries.push_back({entry, {}});
                // Lines that name no file, or none a text can hold, are reported and failed.
                // Such a list is most often find -print0's, read without -0.
                for (const qsizetype line : read.nulLines)
                    fail(source.text, NulLineReason(line) + QStringLiteral(
                        "; give -0 for a list whose names each end with a NUL byte (find -print0)"));
                for (const auto& [line, raw] : read.undecodableLines)
                    fail(source.text, QStringLiteral("line %1: %2: %3").arg(line).arg(EscapedName(raw), kNotUtf8));
                break;
            }
            case Source::Kind::Folder: {
                if (const int error = FolderError(source.text)) {
                    fail(source.text, SystemReason(error));
                    break;
                }
                std::vector<QByteArray> undecodable;
                QStringList files;
                if (const auto scan = shared.find(source.text); scan != shared.end()) {
                    if (!scan->scanned) {
                        scan->scanned = true;
                        try {
                            scan->files = CollectFolderFiles(source.text, scan->extensions, {}, {}, a.scan,
                                                             &scan->undecodable);
                        } catch (const Failure& failure) {
                            scan->failure = failure.text;
                        }
                    }
                    if (scan->failure)
                        throw Failure(*scan->failure);
                    files = PathsWithExtensions(scan->files, source.extensions);
                    undecodable = RawPathsWithExtensions(scan->undecodable, source.extensions);
                } else {
                    files = CollectFolderFiles(source.text, source.extensions, {}, {}, a.scan, &undecodable);
                }
                for (const QString& file : files)
                    entries.push_back({file, {}, source.text});
                for (const QByteArray& raw : undecodable)
                    fail(EscapedName(raw), kNotUtf8);
                // Not a failure of its own: the run goes on with the other sources.
                if (files.isEmpty() && undecodable.empty())
                    say(source.text + ": no file matches " + Patterns(source.extensions));
                break;
            }
            default:
                break;
            }
        } catch (const Failure& failure) {
            fail(source.text, failure.text);
        }
    }
    return entries;
}

} // namespace quorvane::batch
