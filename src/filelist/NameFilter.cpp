#include "filelist/NameFilter.h"

#include "filelist/FileListModel.h"

namespace quorvane {

namespace {

void filter(FileListModel& list, const QString& search, bool removeMatches, const Yield& yield)
{
    const QString needle = search.toLower();
    const int total = list.count();
    std::vector<int> positions;
    for (int i = 1; i <= total; ++i) {
        if (yield)
            yield();
        // Other handlers may run while yielding; only positions that still exist count.
        if (i > list.count())
            break;
        const bool found = list.entries().at(i - 1).toLower().contains(needle);
        if (found == removeMatches)
            positions.push_back(i);
    }
    // Nothing should shrink the list meanwhile (removals respect the busy
    // pointer), but never remove a position that is gone.
    while (!positions.empty() && positions.back() > list.count())
        positions.pop_back();
    list.removePositions(positions);
}

} // namespace

bool FileListContains(const FileListModel& list, const QString& path)
{
    return list.contains(path);
}

void RemoveEntriesContaining(FileListModel& list, const QString& search, const Yield& yield)
{
    filter(list, search, true, yield);
}

void RemoveEntriesNotContaining(FileListModel& list, const QString& search, const Yield& yield)
{
    filter(list, search, false, yield);
}

} // namespace quorvane
