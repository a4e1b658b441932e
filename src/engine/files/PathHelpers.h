#pragma once
// Small path and file helpers. Paths use '/' as the only separator; nothing here
// resolves relative paths, case or links, and nothing shows a message: failures
// become a negative answer, and so does a path holding a NUL character.
#include <QString>

namespace quorvane {

// True when the path's modification time can be read (files and folders). A
// result still waiting to replace the file is put in place first.
bool FileExists(const QString& path);
// True for an existing folder, with or without a trailing '/'; false for "" and files.
bool FolderExists(const QString& path);
// Everything after the last '/'; the whole path without one; "" when it ends with '/'.
QString FileNameOfPath(const QString& path);
// Collapses each non-overlapping "//" to "/" in one pass. A leading single '/'
// stays single; a leading run of two or more becomes exactly two.
QString NormalizePath(const QString& path);
// Where a source's result goes in an output folder: the folder (given a '/'
// when it lacks one) joined with the source's file name, then normalized.
QString OutputPathInFolder(const QString& folder, const QString& source);
// Size in bytes of a regular file that can be opened for reading; -1 otherwise.
// A result still waiting to replace the file is put in place first.
qint64 FileSize2(const QString& path);

} // namespace quorvane
