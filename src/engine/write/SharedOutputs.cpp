#include "engine/write/SharedOutputs.h"

#include "engine/write/WriteTarget.h"

#include <QHash>

namespace quorvane {

std::vector<std::vector<qsizetype>> SharedOutputs(const std::vector<QString>& outputs)
{
    QHash<QString, size_t> groupOf;
    std::vector<std::vector<qsizetype>> groups;
    TargetFolders folders;
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].isEmpty())
            continue;
        const QString target = ResolveWriteTarget(outputs[i], &folders);
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

} // namespace quorvane
