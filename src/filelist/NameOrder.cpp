#include "NameOrder.h"

#include <QFile>

#include <vector>

namespace quorvane {

namespace {

// Matches code points, so '?' stands for one character even outside the BMP.
bool matchCodePoints(const std::vector<char32_t>& name, const std::vector<char32_t>& pattern)
{
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            // Let the last star swallow one more character and retry.
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

std::vector<char32_t> foldedCodePoints(const QString& text)
{
    const QList<uint> ucs = text.toCaseFolded().toUcs4();
    return std::vector<char32_t>(ucs.begin(), ucs.end());
}

} // namespace

bool MatchesWildcard(const QString& name, const QString& pattern)
{
    const std::vector<char32_t> n = foldedCodePoints(name);
    std::vector<char32_t> p = foldedCodePoints(pattern);
    if (matchCodePoints(n, p))
        return true;
    // "name.*" also takes names without any extension, as directory listings do.
    if (p.size() >= 2 && p[p.size() - 2] == U'.' && p.back() == U'*') {
        p.resize(p.size() - 2);
        return matchCodePoints(n, p);
    }
    return false;
}

OrderedName MakeOrderedName(const QByteArray& raw)
{
    OrderedName o;
    o.raw = raw;
    o.name = QFile::decodeName(raw);
    o.folded = o.name.toCaseFolded();
    return o;
}

bool NameLess(const OrderedName& a, const OrderedName& b)
{
    const int c = a.folded.compare(b.folded);
    if (c != 0)
        return c < 0;
    return a.raw < b.raw;
}

} // namespace quorvane
