#pragma once
// The text-file form of the set list.
#include <QString>
#include <QStringList>

namespace quorvane {

// Appends the sets found in lines: empty lines and lines without separator are
// skipped; otherwise piece 0 (before the first separator) goes to finds and
// piece 1 (up to the second separator or the end) to replaces.
void AppendSetsFromLines(const QStringList& lines, const QString& separator,
                         QStringList& finds, QStringList& replaces);

// Reads a sets file in any encoding class with the given separator and appends
// its sets; throws Failure when the file cannot be read.
void LoadSetsFile(const QString& path, const QString& separator,
                  QStringList& finds, QStringList& replaces);

} // namespace quorvane
