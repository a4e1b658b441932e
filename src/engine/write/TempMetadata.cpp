#include "engine/write/TempMetadata.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <linux/magic.h>
#include <map>
#include <mutex>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace quorvane {

namespace {

mode_t ProcessUmask()
{
    static const mode_t mask = [] {
        // The kernel shows the umask without changing it; setting and restoring
        // it is the fallback for kernels that do not.
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("Umask:"))
                    return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
            }
        }
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

// Copies the extended attributes of path onto fd; attributes the file system or
// the caller's rights refuse are skipped.
void CopyExtendedAttributes(const QByteArray& path, int fd)
{
    ssize_t len = ::listxattr(path.constData(), nullptr, 0);
    if (len <= 0)
        return;
    std::vector<char> names(size_t(len) + 1);
    len = ::listxattr(path.constData(), names.data(), names.size());
    if (len <= 0)
        return;
    std::vector<char> value;
    for (ssize_t i = 0; i < len; i += ssize_t(std::strlen(names.data() + i)) + 1) {
        const char* name = names.data() + i;
        ssize_t vlen = ::getxattr(path.constData(), name, nullptr, 0);
        if (vlen < 0)
            continue;
        value.resize(size_t(vlen) + 1);
        vlen = ::getxattr(path.constData(), name, value.data(), value.size());
        if (vlen >= 0)
            ::fsetxattr(fd, name, value.data(), size_t(vlen), 0);
    }
}

} // namespace

// Order matters: changing the owner clears setuid/setgid, so the mode comes last.
void CopyMetadata(const QByteArray& target, int fd, uid_t owner, gid_t group, const struct stat* seen)
{
    struct stat st;
    if (seen) {
        st = *seen;
    } else if (::stat(target.constData(), &st) != 0) {
        ::fchmod(fd, 0666 & ~ProcessUmask());   // a new file, as creat() would make it
        return;
    }
    if (owner != st.st_uid || group != st.st_gid) {
        if (::fchown(fd, st.st_uid, st.st_gid) != 0)
            (void)::fchown(fd, uid_t(-1), st.st_gid);   // not root: keep at least the group if allowed
    }
    CopyExtendedAttributes(target, fd);
    ::fchmod(fd, st.st_mode & 07777);
}

// The local file systems named here have no step at close that could fail;
// each device is asked once.
bool CloseMayFail(int fd, dev_t dev)
{
    static std::mutex lock;
    static std::map<dev_t, bool> known;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (const auto found = known.find(dev); found != known.end())
            return found->second;
    }
    struct statfs fs;
    bool may = true;
    if (::fstatfs(fd, &fs) == 0) {
        switch (fs.f_type) {
        case EXT4_SUPER_MAGIC:   // also ext2 and ext3
        case TMPFS_MAGIC:
        case XFS_SUPER_MAGIC:
        case RAMFS_MAGIC:
            may = false;
            break;
        default:
            break;
        }
    }
    std::lock_guard<std::mutex> hold(lock);
    known.emplace(dev, may);
    return may;
}

} // namespace quorvane
