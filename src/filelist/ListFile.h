#pragma once
// List files: one path per line, read as raw UTF-8 text.
#include <QString>
#include <QStringList>

namespace quorvane {

class FileListModel;
class Prompts;

// Entries of the list file at path: a line ends at CR or CR LF, and each line is
// further split at every LF; a final LF adds no empty entry and a leading UTF-8
// mark is dropped. Empty lines in the middle give empty entries. Throws Failure
// when the file cannot be read.
QStringList ReadListFileEntries(const QString& path);

// Appends the entries of the list file at path to model. A missing file shows
// "File not found" and adds nothing; a file that cannot be read throws Failure.
void LoadListFile(FileListModel& model, const QString& path, Prompts& prompts);

} // namespace quorvane
