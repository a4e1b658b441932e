#include "filelist/NameOrder.h"

#include "engine/text/TextCodec.h"

#include <algorithm>

namespace quorvane {

namespace {

// Length in units of the character starting at i, so '?' stands for one
// character even outside the BMP. An ASCII name's characters are its bytes.
qsizetype charLength(QStringView text, qsizetype i)
{
    return (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
}

qsizetype charLength(QByteArrayView, qsizetype)
{
    return 1;
}

char16_t unitAt(QStringView text, qsizetype i) { return text[i].unicode(); }
char16_t unitAt(QByteArrayView ascii, qsizetype i) { return char16_t(ascii[i]); }

// Name is a QStringView, or a QByteArrayView of an ASCII name (matched
// without converting it).
template <typename Name>
bool matchFolded(Name name, QStringView pattern)
{
    qsizetype n = 0, p = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'?') {
            n += charLength(name, n);
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && pattern[p].unicode() == unitAt(name, n)) {
            ++n;
            ++p;
        } else if (starP >= 0) {
            // Let the last star swallow one more character and retry.
            starN += charLength(name, starN);
            n = starN;
            p = starP + 1;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool isAsciiBytes(QByteArrayView raw)
{
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool onlyStars(QStringView text)
{
    for (QChar c : text)
        if (c != u'*')
            return false;
    return true;
}

} // namespace

WildcardPattern::WildcardPattern(const QString& pattern) : m_pattern(pattern.toCaseFolded())
{
    // "name.*" also takes names without any extension, as directory listings do.
    m_hasDotStar = m_pattern.endsWith(u".*");
    if (m_hasDotStar)
        m_withoutDotStar = m_pattern.chopped(2);
    m_matchesAll = (!m_pattern.isEmpty() && onlyStars(m_pattern))
        || (m_hasDotStar && !m_withoutDotStar.isEmpty() && onlyStars(m_withoutDotStar));
}

bool WildcardPattern::matchesFolded(QStringView foldedName) const
{
    if (m_matchesAll)
        return true;
    return matchFolded(foldedName, m_pattern)
        || (m_hasDotStar && matchFolded(foldedName, m_withoutDotStar));
}

bool WildcardPattern::matchesKey(const QByteArray& key) const
{
    if (m_matchesAll)
        return true;
    // Most names are ASCII: matched as they are, with no conversion.
    if (!isAsciiBytes(key))
        return matchesFolded(Utf8Text(key));
    const QByteArrayView ascii(key);
    return matchFolded(ascii, m_pattern) || (m_hasDotStar && matchFolded(ascii, QStringView(m_withoutDotStar)));
}

bool MatchesWildcard(const QString& name, const QString& pattern)
{
    return WildcardPattern(pattern).matchesFolded(name.toCaseFolded());
}

QByteArray FoldedName(const QByteArray& raw)
{
    return isAsciiBytes(raw) ? raw.toLower() : Utf8Text(raw).toCaseFolded().toUtf8();
}

QByteArray UpperName(const QByteArray& raw)
{
    return isAsciiBytes(raw) ? raw.toUpper() : Utf8Text(raw).toUpper().toUtf8();
}

OrderedName MakeOrderedName(const QByteArray& raw)
{
    OrderedName o;
    o.raw = raw;
    o.name = Utf8Text(raw); // file names are UTF-8 here
    o.key = FoldedName(raw);
    o.upper = OrderUpper(raw);
    return o;
}

QByteArray OrderUpper(const QByteArray& raw)
{
    return isAsciiBytes(raw) ? QByteArray() : UpperName(raw);
}

namespace {

// The sort key of o as bytes: an ASCII name is upper-cased as it is read.
struct UpperKey {
    QByteArrayView bytes;
    bool ascii;
    explicit UpperKey(const OrderedName& o) : bytes(o.upper.isEmpty() ? o.raw : o.upper), ascii(o.upper.isEmpty()) {}
    unsigned char at(qsizetype i) const
    {
        const auto c = static_cast<unsigned char>(bytes[i]);
        return ascii && c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    }
};

} // namespace

bool NameLess(const OrderedName& a, const OrderedName& b)
{
    const UpperKey x(a), y(b);
    const qsizetype common = std::min(x.bytes.size(), y.bytes.size());
    for (qsizetype i = 0; i < common; ++i) {
        const unsigned char p = x.at(i), q = y.at(i);
        if (p != q)
            return p < q;
    }
    if (x.bytes.size() != y.bytes.size())
        return x.bytes.size() < y.bytes.size();
    return a.raw < b.raw;
}

} // namespace quorvane
