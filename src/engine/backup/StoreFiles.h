#pragma once
// Reaching what the backup store holds without trusting it: a run's folder,
// its manifest and its kept files are never reached through a symbolic link,
// a kept file must be a regular file (a FIFO planted there would hang an
// ordinary open), and a run is removed name by name, only the names its
// record gives.
#include "engine/files/ContentHash.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvane {

// Opens the run folder at path, which must be a folder and no link. Returns
// its descriptor, or -1 with errno set (ELOOP or ENOTDIR for a link or a file).
int OpenRunFolder(const QString& path);

// Opens name (relative to the folder dirFd, or a path with AT_FDCWD) for
// reading when it is a regular file and no link; never blocks. Returns the
// descriptor, or -1 with errno set (ELOOP for a link, EINVAL for any other
// kind of file).
int OpenStoreFile(int dirFd, const QByteArray& name);

// Why a kept file could not be opened, for undo's rows: "its backup is
// missing" (ENOENT), "its backup is not a regular file" (a link, a FIFO, a
// folder), else the system's words.
QString KeptFileProblem(int err);

// Removes the run in folder path (runFd its descriptor): the files named by
// kept, its manifest, then the folder itself if nothing else is left in it.
// Anything else stays where it is. True once the manifest is gone, so the
// store no longer lists the run.
bool RemoveRun(int runFd, const QString& path, const QStringList& kept);

// Replaces the file at path by one holding bytes, atomically: a temporary
// file beside it, synced, renamed over the name itself (a link there is
// replaced, never written through). False with why set.
bool ReplaceStoreFile(const QString& path, const QByteArray& bytes, QString& why);

// Hashes the whole of fd by algorithm (read from its start, its offset left
// alone). Empty when it cannot be read.
QByteArray HashOfFile(int fd, HashKind kind);

} // namespace quorvane
