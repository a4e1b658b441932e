#pragma once
// List files: one path per line, read as raw UTF-8 text.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace quorvane {

// What a list file gives: its entries, and the lines left out because they hold
// a NUL character (no file name can; the system would cut the path there).
struct ListFileEntries {
    QStringList entries;
    std::vector<qsizetype> nulLines;   // 1-based line numbers, ascending
    // Lines whose bytes are not UTF-8 (a text cannot hold such a name): the
    // 1-based line number and the line's bytes, ascending.
    std::vector<std::pair<qsizetype, QByteArray>> undecodableLines;
};

// Entries of the list file at path: CR LF, LF and a lone CR each end a line, a
// final line end adds no empty entry and a leading UTF-8 mark is dropped (a mark
// at the start of a later line is kept). Empty lines in the middle give empty
// entries. Throws Failure when the file cannot be read.
ListFileEntries ReadListFile(const QString& path);
// The same for a list's bytes already read.
ListFileEntries ParseListFile(QByteArray bytes);
// Entries of a list of names each ended by a NUL byte (as find -print0 writes
// them); the last may lack its NUL. Names are taken byte for byte: no mark or
// line end is special. "Lines" are the names' 1-based numbers.
ListFileEntries ParseNulList(const QByteArray& bytes);

// Why one refused line of a list file was not added, for reports of the form
// "list-file: reason": "line N: a file name cannot hold a NUL character".
QString NulLineReason(qsizetype line);

} // namespace quorvane
