#pragma once
// Moving a file's bytes between the backup store and the folders of a run: a
// hard link where the file system allows one, a streamed copy otherwise.
#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace quorvane {

// For tests: the next `times` hard links the backup store makes (keeping a
// file, or putting one back) fail with err without reaching the system. EXDEV
// stands for a store on another file system.
void InjectBackupLinkFailure(int err, int times = 1);

// link(2) through the test hook. Returns 0 or the errno value.
int LinkFile(const QByteArray& from, const QByteArray& to);
// True when a link failing with err may be made a copy instead: another file
// system (EXDEV), one without hard links or that refuses this one (EPERM,
// ENOTSUP), or a file at its link limit (EMLINK).
bool CopyInstead(int err);

// Copies the regular file from into a new file to (mode 0600; it must not
// exist): its bytes, its extended attributes (those the store's file system
// takes) and its access and modification times. Returns 0 or the errno value
// (EINVAL for a from that is no regular file), to then removed.
int CopyFile(const QByteArray& from, const QByteArray& to);
// Copies the rest of descriptor in to out. Returns 0 or the errno value.
int CopyBytes(int in, int out);
// Gives the open file fd the owner, group and mode bits given, as far as the
// caller's rights allow (the group alone where the owner is refused), and the
// extended attributes of the file attributesFrom unless it is -1.
void SetOwnerAndMode(int fd, uid_t uid, gid_t gid, mode_t mode, int attributesFrom = -1);
// Gives fd the access and modification times of the file from.
void CopyTimes(int from, int fd);


} // namespace quorvane
