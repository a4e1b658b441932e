#include "engine/run/TargetKeys.h"

#include "engine/files/FileAccess.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace quorvane {

namespace {

QByteArray RealPath(const QByteArray& native)
{
    char real[PATH_MAX];
    return ::realpath(native.constData(), real) ? QByteArray(real) : QByteArray();
}

// Identities and paths differ in the lowest bit, so one never meets the other.
quint64 IdentityKey(const struct stat& st)
{
    const quint64 both[2] = {quint64(st.st_dev), quint64(st.st_ino)};
    return XXH3_64bits(both, sizeof both) | 1;
}

quint64 PathKey(const char* path, size_t length)
{
    return XXH3_64bits(path, length) & ~quint64(1);
}

} // namespace

TargetKeys::~TargetKeys()
{
    if (m_heldFd >= 0)
        ::close(m_heldFd);
}

void TargetKeys::hold(const QString& folder)
{
    if (m_heldFd >= 0)
        ::close(m_heldFd);
    m_heldFolder = folder;
    const QByteArray real = realFolder(folder);
    m_heldPath.assign(real == "/" ? "" : real.constData());
    m_heldPath += '/';
    m_heldPrefix = real.isEmpty() ? 0 : qsizetype(m_heldPath.size());
    m_heldFd = real.isEmpty() ? -1 : ::open(NativePath(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

FileKeys TargetKeys::of(const QString& path, PathLook* look)
{
    if (path.isEmpty() || !UsablePath(path))
        return {};
    const qsizetype cut = path.lastIndexOf(u'/');
    const QStringView name = QStringView(path).mid(cut + 1);
    if (name.isEmpty() || name == u"." || name == u"..")
        return {};
    const QStringView folder = cut < 0 ? QStringView(u".") : cut == 0 ? QStringView(u"/") : QStringView(path).left(cut);
    if (folder != m_heldFolder || m_heldPrefix == 0)
        hold(folder.toString());
    const QByteArray nativeName = name.toLocal8Bit();
    FileKeys keys;
    const PathLook seen = m_heldFd >= 0 ? LookAtIn(m_heldFd, nativeName) : LookAt(NativePath(path));
    if (seen.taken) {
        keys.key[keys.count++] = IdentityKey(seen.st);
        if (look)
            *look = seen;
    }
    if (seen.link) {
        // Written through, a link's target is what changes.
        const QByteArray real = RealPath(NativePath(path));
        if (real.isEmpty())
            return {};
        keys.key[keys.count++] = PathKey(real.constData(), size_t(real.size()));
        return keys;
    }
    if (m_heldPrefix == 0)
        return {};
    m_heldPath.resize(size_t(m_heldPrefix));
    m_heldPath.append(nativeName.constData(), size_t(nativeName.size()));
    keys.key[keys.count++] = PathKey(m_heldPath.data(), m_heldPath.size());
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
