#include "engine/files/PendingWrites.h"

#include <algorithm>
#include <vector>

namespace quorvane {

namespace {

// One list per thread: a holder lives on the thread of its run, and a reader
// on another thread (a preview working out a file's changes while a run goes)
// must neither touch the list nor commit that run's results under its feet.
std::vector<PendingWrites*>& Holders()
{
    thread_local std::vector<PendingWrites*> holders;
    return holders;
}

} // namespace

void RegisterPendingWrites(PendingWrites* holder)
{
    Holders().push_back(holder);
}

void UnregisterPendingWrites(PendingWrites* holder)
{
    std::vector<PendingWrites*>& holders = Holders();
    holders.erase(std::remove(holders.begin(), holders.end(), holder), holders.end());
}

void SettlePendingWrites(const QString& path)
{
    if (Holders().empty())
        return;
    // A copy: settling reports failures, and what runs then may add or remove holders.
    const std::vector<PendingWrites*> holders = Holders();
    for (PendingWrites* holder : holders) {
        const std::vector<PendingWrites*>& now = Holders();
        if (std::find(now.begin(), now.end(), holder) != now.end())
            holder->settle(path);
    }
}

} // namespace quorvane
