#pragma once
// One read of a folder, shared by the public listing and the folder-tree
// collection so that each folder is read once and each file examined once.
#include <QString>

#include <vector>

namespace quorvane {

struct ListedFile {
    QString name;
    // Only filled when asked for: the attribute value is exactly hidden plus archive.
    bool hiddenArchiveOnly = false;
};

// The openable files of folder matching pattern, in name order (see
// ListFilesOfFolder). Empty when the folder cannot be read.
std::vector<ListedFile> ListMatchingFiles(const QString& folder, const QString& pattern,
                                          bool wantHiddenArchive);

} // namespace quorvane
