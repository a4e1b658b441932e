#pragma once
// Prunes the store on a thread of its own while a run goes on, so the runs
// it frees (thousands of files each) are not all removed after the run's
// last file. It starts once the run has put a result in place with its
// backup kept: such a run stays in the store and counts among the runs
// kept. It removes what pruning after the run would, or less (the run's
// own size is not whole yet); prune again after the run for the rest.
#include "engine/backup/BackupStore.h"

#include <QString>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace quorvane {

class PruneAhead {
public:
    PruneAhead(BackupStore& store, BackupLimits limits, QString keepRunId);
    ~PruneAhead();   // waits
    PruneAhead(const PruneAhead&) = delete;
    PruneAhead& operator=(const PruneAhead&) = delete;

    // Starts the pruning, the first time it is called; from any thread.
    void start();
    // Waits for the pruning if it started, and rethrows what it threw.
    void wait();

private:
    BackupStore& m_store;
    const BackupLimits m_limits;
    const QString m_keep;
    std::atomic<bool> m_started{false};
    std::mutex m_lock;   // guards m_thread
    std::thread m_thread;
    std::exception_ptr m_thrown;   // set on the thread, read after join
};

} // namespace quorvane
