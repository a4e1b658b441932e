#include "NameFilter.h"

#include "FileListModel.h"

#include <QElapsedTimer>

namespace quorvane {

namespace {

// Yields at most every few milliseconds: often enough that the window never
// stalls, rarely enough that a long list is not dominated by event handling.
constexpr qint64 kYieldIntervalMs = 15;

void filter(FileListModel& list, const QString& search, bool removeMatches, const Yield& yield)
{
    const QString needle = search.toLower();
    const int total = list.count();
    std::vector<int> positions;
    QElapsedTimer sinceYield;
    sinceYield.start();
    for (int i = 1; i <= total; ++i) {
        if (yield && sinceYield.elapsed() >= kYieldIntervalMs) {
            yield();
            sinceYield.restart();
        }
        // Other handlers may run while yielding; only positions that still exist count.
        if (i > list.count())
            break;
        const bool found = list.entries().at(i - 1).toLower().contains(needle);
        if (found == removeMatches)
            positions.push_back(i);
    }
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
