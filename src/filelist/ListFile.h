#pragma once
// List files: one path per line, read as raw UTF-8 text.
#include <QString>
#include <QStringList>

namespace quorvane {

// Entries of the list file at path: a line ends at CR or CR LF, and each line is
// further split at every LF; a final LF adds no empty entry and a leading UTF-8
// mark is dropped. Empty lines in the middle give empty entries. Throws Failure
// when the file cannot be read.
QStringList ReadListFileEntries(const QString& path);

} // namespace quorvane
