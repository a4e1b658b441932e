#pragma once
// A finished temporary file made to stand for the target it replaces: the
// target's owner, group, extended attributes and mode, and whether closing it
// can still report a failed write.
#include <QByteArray>
#include <sys/stat.h>
#include <sys/types.h>

namespace quorvane {

// Gives the temporary file fd, owned by owner and group as made, the existing
// target's owner, group, extended attributes and mode bits (setuid/setgid
// included) as far as allowed; seen, if given, is the target's stat. A target
// that does not exist gives the mode a new file would have.
void CopyMetadata(const QByteArray& target, int fd, uid_t owner, gid_t group, const struct stat* seen);

// True when closing a file of device dev (fd one of its files) may report a
// failed write, as on network file systems. Safe from any thread.
bool CloseMayFail(int fd, dev_t dev);

} // namespace quorvane
