#pragma once
// Name matching and ordering shared by the folder listings: directory
// wildcards that behave the same on every machine, and one stable name order.
#include <QByteArray>
#include <QString>

namespace quorvane {

// True when name matches the directory wildcard pattern: case-insensitive,
// '*' any run of characters, '?' exactly one; a trailing ".*" also matches no
// dot at all, so "*.*" matches every name.
bool MatchesWildcard(const QString& name, const QString& pattern);

// A folder entry's name with the key it is sorted by.
struct OrderedName {
    QString name;      // decoded name
    QByteArray raw;    // the bytes the file system holds
    QString folded;    // case-folded name, the primary key
};

// Fills folded from name.
OrderedName MakeOrderedName(const QByteArray& raw);
// Name order ignoring case; equal folded names are ordered by their raw bytes.
bool NameLess(const OrderedName& a, const OrderedName& b);

} // namespace quorvane
