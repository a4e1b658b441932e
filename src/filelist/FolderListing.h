#pragma once
// One read of a folder, shared by the folder-tree scan and the file listing so
// that each folder of a tree is read once and each file examined once.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace quorvane {

// A folder entry as the file system lists it; type is readdir's d_type.
struct RawEntry {
    QByteArray name;
    unsigned char type;
};

enum class FolderReadResult { Read, Unreadable, Broken };

// True when path, as system bytes, reaches a regular file (links followed).
// Never opens the file, so it never blocks.
bool IsOpenablePath(const QByteArray& path);

// Reads every entry of path except "." and ".." into entries. Unreadable when
// the folder is missing or we may not read it; Broken when reading stopped
// part way (entries then holds what was read).
FolderReadResult ReadFolder(const QByteArray& path, std::vector<RawEntry>& entries);

// Entries of the folders read during a tree scan, by the folder's path as listed
// (ending with '/').
using FolderReads = QHash<QString, std::vector<RawEntry>>;

// The openable files among entries of folder dirPath (ending with '/') that
// match one of patterns, in name order (see ListFilesOfFolder). A text cannot
// hold a name that is not UTF-8, so such files are left out; when undecodable
// is given, their full raw paths are appended to it.
QStringList MatchFiles(const QByteArray& dirPath, const std::vector<RawEntry>& entries,
                       const QStringList& patterns, std::vector<QByteArray>* undecodable = nullptr);

// True when raw is valid UTF-8 (the only names a path text can hold).
bool IsUtf8Name(QByteArrayView raw);

// raw as text for messages: valid UTF-8 as it is, every other byte as \xHH.
QString EscapedName(QByteArrayView raw);

// Reads folder and matches its files; empty when the folder cannot be read.
QStringList ListMatchingFiles(const QString& folder, const QString& pattern);

} // namespace quorvane
