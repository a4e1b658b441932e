#include "filelist/NameFilter.h"

#include "filelist/FileListModel.h"

namespace quorvane {

namespace {

void filter(FileListModel& list, const QString& search, bool removeMatches, const Yield& yield)
{
    const QString needle = search.toLower();
    const auto meetsCondition = [&](int position) {
        return list.entries().at(position - 1).toLower().contains(needle) == removeMatches;
    };
    const int total = list.count();
    std::vector<int> positions;
    for (int i = 1; i <= total; ++i) {
        if (yield)
            yield();
        // Other handlers may run while yielding; only positions that still exist count.
        if (i > list.count())
            break;
        if (meetsCondition(i))
            positions.push_back(i);
    }
    // Nothing should remove or move entries meanwhile (the list is held and
    // removals respect the busy pointer), but a filter must never remove an
    // entry that does not meet its condition: each position is judged again.
    std::erase_if(positions, [&](int p) { return p > list.count() || !meetsCondition(p); });
    list.removePositions(positions);
}

} // namespace

void RemoveEntriesContaining(FileListModel& list, const QString& search, const Yield& yield)
{
    filter(list, search, true, yield);
}

void RemoveEntriesNotContaining(FileListModel& list, const QString& search, const Yield& yield)
{
    filter(list, search, false, yield);
}

} // namespace quorvane
