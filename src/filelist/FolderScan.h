#pragma once
// Folder-level building blocks: listing a folder's files by wildcard, the
// breadth-first folder-tree scan, and the name and file tests they use.
#include <QString>
#include <QStringList>
#include <functional>

namespace quorvane {

// Names of the files (not folders) of folder that match the wildcard pattern
// (case-insensitive '*' and '?', "*.*" matches every name), openable ones only,
// in name order ignoring case, ties by exact bytes. folder may end with '/'.
QStringList ListFilesOfFolder(const QString& folder, const QString& pattern);

} // namespace quorvane
