#pragma once
// Results that are made but not yet in place (a group of them waiting to be
// committed together) are announced here. Every read of a path through this
// library first has a waiting result for that path put in place, so no reader
// sees the bytes that result is about to replace.
#include <QString>

namespace quorvane {

class PendingWrites {
public:
    virtual ~PendingWrites() = default;
    // Puts in place any waiting result whose target is the file path names.
    virtual void settle(const QString& path) = 0;
};

// Adds or removes a holder of waiting results; a holder removes itself before
// it is destroyed. Holders belong to the thread that adds them: only reads on
// that thread settle their results, and reads on other threads see the files
// as they stand.
void RegisterPendingWrites(PendingWrites* holder);
void UnregisterPendingWrites(PendingWrites* holder);

// Asks every holder of this thread to put a waiting result for path in place.
void SettlePendingWrites(const QString& path);

} // namespace quorvane
