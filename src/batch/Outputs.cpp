#include "batch/Outputs.h"

#include "engine/files/PathHelpers.h"
#include "engine/write/AtomicWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace quorvane::batch {

QString EntryOutput(const BatchArguments& a, const ListEntry& entry)
{
    if (!entry.failure.isEmpty())
        return {};
    if (a.inPlace)
        return entry.path;
    if (a.keepTree && !entry.root.isEmpty()) {
        const QString relative = QDir(QFileInfo(entry.root).absoluteFilePath())
                                     .relativeFilePath(QFileInfo(entry.path).absoluteFilePath());
        if (!relative.startsWith(QLatin1String("../")))
            return QDir::cleanPath(a.outputFolder + u'/' + relative);
    }
    return OutputPathInFolder(a.outputFolder, entry.path);
}

std::vector<std::vector<qsizetype>> SharedOutputs(const std::vector<QString>& outputs)
{
    QHash<QString, size_t> groupOf;
    std::vector<std::vector<qsizetype>> groups;
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].isEmpty())
            continue;
        const QString target = ResolveWriteTarget(outputs[i]);
        const auto found = groupOf.constFind(target);
        if (found == groupOf.cend()) {
            groupOf.insert(target, groups.size());
            groups.push_back({qsizetype(i)});
        } else {
            groups[*found].push_back(qsizetype(i));
        }
    }
    std::erase_if(groups, [](const std::vector<qsizetype>& g) { return g.size() < 2; });
    return groups;
}

QString SharedOutputText(const std::vector<qsizetype>& group, bool listed)
{
    QStringList numbers;
    for (const qsizetype i : group)
        numbers << QString::number(i + 1);
    const QString entries = listed ? QStringLiteral(" (%1)").arg(numbers.join(QStringLiteral(", "))) : QString();
    return QStringLiteral("written by %1 entries%2; the last one wins").arg(group.size()).arg(entries);
}

} // namespace quorvane::batch
