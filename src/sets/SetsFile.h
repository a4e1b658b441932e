#pragma once
// The text-file form of the set list.
#include <QString>
#include <QStringList>

namespace quorvane {

class Prompts;

// Appends the sets found in lines: empty lines and lines without separator are
// skipped; otherwise piece 0 (before the first separator) goes to finds and
// piece 1 (up to the second separator or the end) to replaces.
void AppendSetsFromLines(const QStringList& lines, const QString& separator,
                         QStringList& finds, QStringList& replaces);

// Reads a sets file in any encoding class with the given separator and appends
// its sets; throws Failure when the file cannot be read.
void LoadSetsFile(const QString& path, const QString& separator,
                  QStringList& finds, QStringList& replaces);

// Bytes of a sets file: find + "::" + replace + CR LF per set, UTF-8 without a
// mark; empty for an empty list. Sets beyond the shorter list are not written.
QByteArray SetsFileBytes(const QStringList& finds, const QStringList& replaces);

// Writes the sets to path. When something already exists there, asks first
// and writes nothing unless the answer is Yes. The file is replaced atomically,
// so a failed save leaves an existing file as it was; throws Failure then.
void WriteSetsFile(const QString& path, const QStringList& finds,
                   const QStringList& replaces, Prompts& prompts);

} // namespace quorvane
