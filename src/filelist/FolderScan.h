#pragma once
// Folder-level building blocks: listing a folder's files by wildcard, the
// breadth-first folder-tree scan, and the name and file tests they use.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace quorvane {

// Lets the window process pending events during long loops; may be empty.
using Yield = std::function<void()>;

// Thrown by a yield to end a long list operation where it stands, because the
// window is closing. Not a std::exception, so the failure traps let it pass up
// to the window's handler; nothing is reported.
struct OperationAbandoned {};

// Told of a failed step of a tree scan: the step's number and the failure's text.
using ScanFailed = std::function<void(int step, const QString& description)>;

// Attribute values as the list filters compare them (whole values, not bits).
inline constexpr int kAttrReadOnly = 1;
inline constexpr int kAttrHidden = 2;
inline constexpr int kAttrSystem = 4;
inline constexpr int kAttrDirectory = 16;
inline constexpr int kAttrArchive = 32;
inline constexpr int kAttrReparsePoint = 1024;
// Hidden plus archive and nothing else: such files are left out of folder scans.
inline constexpr int kAttrHiddenArchive = kAttrHidden | kAttrArchive;

// Names of the files (not folders) of folder that match the wildcard pattern
// (case-insensitive '*' and '?', "*.*" matches every name), openable ones only,
// in name order ignoring case, ties by exact bytes. folder may end with '/'.
QStringList ListFilesOfFolder(const QString& folder, const QString& pattern);

// True when the raw file-system name is not valid UTF-8 or holds a code point
// below 32, from 127 to 159, or '?'. False for an empty name.
bool HasUnsafeNameChar(const QByteArray& rawName);

// Attribute value of path from its own metadata (links not followed, except to
// tell what a link points at): directory 16, hidden 2 for a name starting with
// '.', read-only 1 when the owner may not write, archive 32 for a regular file,
// reparse point 1024 for a symbolic link. -1 when path does not exist.
int FileAttributes(const QString& path);

// Extends folders (each ending with '/') with every folder below them, level by
// level: the folders of the first level in order of their parents and each
// parent's subfolders in name order, then the next level, and so on. Folders
// that cannot be read are removed without a message; other failures go to
// failed and the scan goes on, or are thrown as Failure when failed is empty.
// yield runs once per folder examined and once per subfolder found.
void GetSubDirectories2016(QStringList& folders, bool recurse, const ScanFailed& failed,
                           const Yield& yield);

// True for the names of version-control metadata: the folders .git, .hg,
// .svn, .bzr, _darcs and CVS, and (folder false) a .git file, as a worktree has.
bool IsVersionControlName(QByteArrayView rawName, bool folder);

// What a tree scan leaves out besides what it always does, and what it takes
// that it would leave out.
struct ScanOptions {
    QStringList excludes{};          // wildcards (as the name filter matches) for folder and file names
    bool skipHiddenFolders = false;  // folders whose name starts with '.'
    bool includeVcs = false;         // enter version-control folders and list .git files
    // Symbolic links met in the tree (the folder scanned itself is always
    // entered): Files lists a link to a file as the file it names and enters
    // no linked folder; None lists and enters no link; All lists links to
    // files and enters linked folders, except one that is (by device and
    // inode) a folder above it, so a link back up the tree never loops.
    enum class Links { Files, None, All };
    Links links = Links::Files;
    bool hidden = false;             // take names starting with '~' and writable dotfiles too
};

// Full paths (NormalizePath'd) of the files of folder's whole tree that match
// "*." + one of extensions, folder by folder in scan order. Unless options say
// otherwise, version-control folders are not entered and a .git file is not
// listed, and names starting with '~' and files whose attribute value is
// exactly hidden plus archive (a link: that of the file it names, when links
// are followed) are left out. "/" is accepted as folder. Failures as for
// GetSubDirectories2016. Files and subfolders whose names are not UTF-8
// cannot be listed: their raw paths are appended to undecodable, in byte
// order, when it is given.
QStringList CollectFolderFiles(const QString& folder, const QStringList& extensions,
                               const Yield& yield, const ScanFailed& failed = {},
                               const ScanOptions& options = {},
                               std::vector<QByteArray>* undecodable = nullptr);

// The same for one extension.
inline QStringList CollectFolderFiles(const QString& folder, const QString& extension,
                                      const Yield& yield, const ScanFailed& failed = {},
                                      const ScanOptions& options = {},
                                      std::vector<QByteArray>* undecodable = nullptr)
{
    return CollectFolderFiles(folder, QStringList{extension}, yield, failed, options, undecodable);
}

} // namespace quorvane
