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

// A wildcard pattern prepared once for matching many names.
class WildcardPattern {
public:
    explicit WildcardPattern(const QString& pattern);
    // Same answer as MatchesWildcard for a name already case-folded.
    bool matchesFolded(QStringView foldedName) const;
    // Same, for the UTF-8 key of FoldedName.
    bool matchesKey(const QByteArray& key) const;
    // True for a pattern every name matches ("*", "*.*").
    bool matchesEverything() const { return m_matchesAll; }

private:
    QString m_pattern;        // case-folded
    QString m_withoutDotStar; // the pattern less a trailing ".*", else empty
    bool m_hasDotStar = false;
    bool m_matchesAll = false;
};

// A folder entry's name with the keys it is matched and sorted by.
struct OrderedName {
    QString name;      // decoded name, a leading U+FEFF kept
    QByteArray raw;    // the bytes the file system holds
    QByteArray key;    // the case-folded name in UTF-8, for wildcard matching
    QByteArray upper;  // OrderUpper(raw): the primary sort key
};

// Decodes raw and makes its keys.
OrderedName MakeOrderedName(const QByteArray& raw);
// The case-folded form of raw, as UTF-8 (ASCII names are simply lower-cased).
QByteArray FoldedName(const QByteArray& raw);
// The upper-case form of raw, as UTF-8 (ASCII names are simply upper-cased).
QByteArray UpperName(const QByteArray& raw);
// The sort key OrderedName::upper holds: UpperName(raw), or nothing for an
// ASCII name, which NameLess upper-cases as it compares (no copy per name).
QByteArray OrderUpper(const QByteArray& raw);
// Name order ignoring case, by upper-case forms, so "[ \ ] ^ _ `" come after
// the letters: A, b, myfile, my_file, Z, [x], _a. Equal upper-case forms are
// ordered by their raw bytes.
bool NameLess(const OrderedName& a, const OrderedName& b);

} // namespace quorvane
