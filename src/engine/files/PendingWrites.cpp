#include "engine/files/PendingWrites.h"

#include <algorithm>
#include <vector>

namespace quorvane {

namespace {

// Never destroyed, so a holder outliving static destruction still finds it.
std::vector<PendingWrites*>& Holders()
{
    static auto* holders = new std::vector<PendingWrites*>;
    return *holders;
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
