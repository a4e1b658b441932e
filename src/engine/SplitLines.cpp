// The texts of a run turned into pairs: lines of a multi-line text, and two
// lists paired by position.
#include "engine/FileReplace.h"

namespace quorvane {

QStringList SplitLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral("\r\n"));
}

std::vector<Pair> PairLists(const QStringList& finds, const QStringList& replaces)
{
    std::vector<Pair> pairs;
    pairs.reserve(size_t(finds.size()));
    for (qsizetype k = 0; k < finds.size(); ++k)
        pairs.push_back({finds[k], k < replaces.size() ? replaces[k] : QString()});
    return pairs;
}

} // namespace quorvane
