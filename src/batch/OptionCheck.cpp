#include "batch/OptionCheck.h"

#include <algorithm>
#include <vector>

namespace quorvane::batch {

namespace {

// Edits (insertions, deletions, substitutions and swaps of two neighbours)
// that turn a into b.
qsizetype EditDistance(const QString& a, const QString& b)
{
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<qsizetype>> d(size_t(n + 1), std::vector<qsizetype>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[size_t(i)][0] = i;
    for (qsizetype j = 0; j <= m; ++j)
        d[0][size_t(j)] = j;
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const size_t r = size_t(i), c = size_t(j);
            const qsizetype cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[r][c] = std::min({d[r - 1][c] + 1, d[r][c - 1] + 1, d[r - 1][c - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[r][c] = std::min(d[r][c], d[r - 2][c - 2] + 1);
        }
    }
    return d[size_t(n)][size_t(m)];
}

} // namespace

QString NearestOption(const QString& name, const QStringList& names)
{
    QStringList starting;
    for (const QString& candidate : names)
        if (!name.isEmpty() && candidate.startsWith(name))
            starting.append(candidate);
    if (starting.size() == 1)
        return starting.front();
    QString nearest;
    qsizetype best = std::min<qsizetype>(3, (name.size() + 1) / 2);
    for (const QString& candidate : names) {
        const qsizetype distance = EditDistance(name, candidate);
        if (distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

QString UnknownOptionMessage(const QStringList& arguments, const KnownOptions& known)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--"))
            return {};
        if (!arg.startsWith(u'-') || arg == QLatin1String("-"))
            continue;
        if (arg.startsWith(QLatin1String("--"))) {
            const qsizetype eq = arg.indexOf(u'=');
            const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
            if (known.longNames.contains(name)) {
                if (eq < 0 && known.valued.contains(name))
                    ++i;
                continue;
            }
            const QString nearest = NearestOption(name, known.longNames);
            return "unknown option --" + name + (nearest.isEmpty() ? QString() : "; did you mean --" + nearest + "?");
        }
        for (qsizetype k = 1; k < arg.size(); ++k) {
            if (known.shortNames.contains(arg[k]))
                continue;
            return QStringLiteral("unknown option -") + arg[k] + (arg.size() > 2 ? " (in " + arg + ")" : QString())
                   + "; put -- before a file whose name starts with '-'";
        }
    }
    return {};
}

} // namespace quorvane::batch
