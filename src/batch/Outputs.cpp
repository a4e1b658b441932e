#include "batch/Outputs.h"

#include "engine/files/PathHelpers.h"

#include <QDir>
#include <QFileInfo>

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

QString SharedOutputText(const std::vector<qsizetype>& group, bool listed)
{
    QStringList numbers;
    for (const qsizetype i : group)
        numbers << QString::number(i + 1);
    const QString entries = listed ? QStringLiteral(" (%1)").arg(numbers.join(QStringLiteral(", "))) : QString();
    return QStringLiteral("written by %1 entries%2; the last one wins").arg(group.size()).arg(entries);
}

} // namespace quorvane::batch
