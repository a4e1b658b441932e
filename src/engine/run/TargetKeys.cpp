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
    const QString folder = info.absolutePath();
    auto found = m_realFolders.constFind(folder);
    if (found == m_realFolders.cend()) {
        const QByteArray real = RealPath(NativePath(folder));
        if (real.isEmpty())
            return {};
        found = m_realFolders.insert(folder, real);
    }
    keys.push_back("p" + *found + '/' + NativePath(name));
    return keys;
}

} // namespace quorvane
