#include "filelist/ExtensionSplit.h"

#include "filelist/NameOrder.h"

#include <QFile>

#include <algorithm>

namespace quorvane {

namespace {

class ExtensionMatch {
public:
    explicit ExtensionMatch(const QStringList& extensions)
    {
        for (const QString& extension : extensions)
            m_patterns.emplace_back(QStringLiteral("*.") + extension);
    }
    // As the scan matches a name: by its case-folded bytes.
    bool matches(QByteArrayView path) const
    {
        const QByteArray key = FoldedName(path.sliced(path.lastIndexOf('/') + 1).toByteArray());
        return std::any_of(m_patterns.begin(), m_patterns.end(),
                           [&key](const WildcardPattern& p) { return p.matchesKey(key); });
    }

private:
    std::vector<WildcardPattern> m_patterns;
};

} // namespace

QStringList PathsWithExtensions(const QStringList& found, const QStringList& extensions)
{
    const ExtensionMatch match(extensions);
    QStringList out;
    for (const QString& path : found) {
        if (match.matches(QFile::encodeName(path)))
            out.append(path);
    }
    return out;
}

std::vector<QByteArray> RawPathsWithExtensions(const std::vector<QByteArray>& found, const QStringList& extensions)
{
    const ExtensionMatch match(extensions);
    std::vector<QByteArray> out;
    for (const QByteArray& path : found) {
        if (path.endsWith('/') || match.matches(path))
            out.push_back(path);
    }
    return out;
}

} // namespace quorvane
