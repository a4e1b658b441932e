#include "engine/run/TargetKeys.h"

#include "engine/files/FileAccess.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane {

namespace {

QByteArray RealPath(const QByteArray& native)
{
    char real[PATH_MAX];
    return ::realpath(native.constData(), real) ? QByteArray(real) : QByteArray();
}

QByteArray IdentityKey(const struct stat& st)
{
    QByteArray key(1 + sizeof st.st_dev + sizeof st.st_ino, Qt::Uninitialized);
    key[0] = 'i';
    std::memcpy(key.data() + 1, &st.st_dev, sizeof st.st_dev);
    std::memcpy(key.data() + 1 + sizeof st.st_dev, &st.st_ino, sizeof st.st_ino);
    return key;
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
    m_heldReal = realFolder(folder);
    m_heldFd = m_heldReal.isEmpty() ? -1 : ::open(NativePath(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

std::vector<QByteArray> TargetKeys::of(const QString& path)
{
    if (path.isEmpty() || !UsablePath(path))
        return {};
    const qsizetype cut = path.lastIndexOf(u'/');
    const QStringView name = QStringView(path).mid(cut + 1);
    if (name.isEmpty() || name == u"." || name == u"..")
        return {};
    const QString folder = cut < 0 ? QStringLiteral(".") : cut == 0 ? QStringLiteral("/") : path.left(cut);
    if (folder != m_heldFolder || m_heldReal.isEmpty())
        hold(folder);
    const QByteArray native = NativePath(path);
    const QByteArray nativeName = native.mid(native.lastIndexOf('/') + 1);
    std::vector<QByteArray> keys;
    struct stat st;
    bool link = false;
    const bool seen = m_heldFd >= 0 ? LookAtIn(m_heldFd, nativeName, native, st, link) : LookAt(native, st, link);
    if (seen)
        keys.push_back(IdentityKey(st));
    if (link) {
        // Written through, a link's target is what changes.
        const QByteArray real = RealPath(native);
        if (real.isEmpty())
            return {};
        keys.push_back("p" + real);
        return keys;
    }
    if (m_heldReal.isEmpty())
        return {};
    keys.push_back("p" + (m_heldReal == "/" ? QByteArray() : m_heldReal) + '/' + nativeName);
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
