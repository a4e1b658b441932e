#pragma once
// A real file as the file system knows it: its device and inode, whatever
// path (a link, another hard link) reaches it.
#include <QHashFunctions>
#include <sys/types.h>

namespace quorvane {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool known() const { return inode != 0; }
    bool operator==(const FileIdentity&) const = default;
};

inline size_t qHash(const FileIdentity& id, size_t seed = 0) noexcept
{
    return qHashMulti(seed, quint64(id.device), quint64(id.inode));
}

} // namespace quorvane
