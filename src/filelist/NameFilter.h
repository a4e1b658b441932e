#pragma once
// The two name filters of the file list.
#include "filelist/FolderScan.h"

#include <QString>

namespace quorvane {

class FileListModel;

// Removes every entry whose lower-cased text contains the lower-cased search
// text. Positions are collected first, with yield between entries, and then
// removed from the last to the first.
void RemoveEntriesContaining(FileListModel& list, const QString& search, const Yield& yield);
// Same, removing every entry that does not contain the search text.
void RemoveEntriesNotContaining(FileListModel& list, const QString& search, const Yield& yield);

} // namespace quorvane
