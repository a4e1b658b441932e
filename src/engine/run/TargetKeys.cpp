#include "engine/run/TargetKeys.h"

#include "engine/files/FileAccess.h"

#include <QFileInfo>

#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace quorvane {

namespace {

QByteArray RealPath(const QByteArray& native)
{
    char real[PATH_MAX];
    return ::realpath(native.constData(), real) ? QByteArray(real) : QByteArray();
}

} // namespace

std::vector<QByteArray> TargetKeys::of(const QString& path)
{
    if (path.isEmpty() || !UsablePath(path))
        return {};
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    const QByteArray native = NativePath(path);
    std::vector<QByteArray> keys;
    struct stat st;
    bool link = false;
    if (LookAt(native, st, link))
        keys.push_back("i" + QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino)));
    if (link) {
        // Written through, a link's target is what changes.
        const QByteArray real = RealPath(native);
        if (real.isEmpty())
            return {};
        keys.push_back("p" + real);
        return keys;
    }
    // Folders repeat from entry to entry: each is resolved once. The run
    // makes files, never folders behind links, so a folder's answer holds.
    const qsizetype cut = path.lastIndexOf(u'/');
    const QByteArray real = realFolder(cut < 0 ? QStringLiteral(".") : cut == 0 ? QStringLiteral("/") : path.left(cut));
    if (real.isEmpty())
        return {};
    keys.push_back("p" + (real == "/" ? QByteArray() : real) + '/' + NativePath(name));
    return keys;
}

QByteArray TargetKeys::realFolder(const QString& folder)
{
    // Keyed by the folder as given: the run never changes its working folder.
    const auto found = m_realFolders.constFind(folder);
    if (found != m_realFolders.cend())
        return *found;
    // A folder that is no link is its parent's real path and its name: one
    // lstat, where resolving it whole would read every folder above it again.
    QByteArray real;
    const qsizetype cut = folder.lastIndexOf(u'/');
    const QString name = folder.mid(cut + 1);
    if (cut > 0 && !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")) {
        const QByteArray above = realFolder(folder.left(cut));
        struct stat st;
        if (!above.isEmpty() && ::lstat(NativePath(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            real = (above == "/" ? QByteArray() : above) + '/' + NativePath(name);
    }
    if (real.isEmpty())
        real = RealPath(NativePath(folder));
    // A folder not there yet (an output folder a run makes) is asked again.
    if (!real.isEmpty())
        m_realFolders.insert(folder, real);
    return real;
}

} // namespace quorvane
