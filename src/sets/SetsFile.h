#pragma once
// The text-file form of the set list: reading it, and the bytes it is saved as.
#include "engine/text/TextCodec.h"

#include <QString>
#include <QStringList>

namespace quorvane {

// Appends the sets found in lines: empty lines and lines without separator are
// skipped; otherwise piece 0 (before the first separator) goes to finds and
// piece 1 (up to the second separator or the end) to replaces.
void AppendSetsFromLines(const QStringList& lines, const QString& separator,
                         QStringList& finds, QStringList& replaces);

// What reading a sets file found besides its sets.
struct SetsFileRead {
    qsizetype sets = 0;        // sets appended
    qsizetype textLines = 0;   // lines that are not empty, with or without the separator
    // Lines of a file read as UTF-8 whose bytes are not UTF-8: their 1-based
    // number and bytes, ascending. They give no set (their text would not be
    // the file's).
    std::vector<RawLine> notUtf8;
};

// Reads a sets file in any encoding class with the given separator and appends
// its sets; throws Failure when the file cannot be read.
SetsFileRead LoadSetsFile(const QString& path, const QString& separator,
                          QStringList& finds, QStringList& replaces);

// Bytes of a sets file: find + "::" + replace + CR LF per set, UTF-8 without a
// mark; empty for an empty list. Sets beyond the shorter list are not written.
QByteArray SetsFileBytes(const QStringList& finds, const QStringList& replaces);

// Index of the first set that a sets file would not give back as it is (its
// line split at "::" yields other texts, a text holds a line break, or the
// file would start with a byte-order mark); -1 when every set comes back whole.
qsizetype FirstSetNotRoundTripping(const QStringList& finds, const QStringList& replaces);

} // namespace quorvane
