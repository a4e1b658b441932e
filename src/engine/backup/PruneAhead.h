#pragma once
// Prunes the store on a thread of its own while a run goes on, so the runs
// it frees (thousands of files each, or one big file) are not all removed
// after the run's last file. It starts once the run has put a result in
// place with its backup kept (such a run stays in the store and counts among
// the runs kept), or once a long result is being written: its old file will
// be kept unless the result fails or the run is stopped. As the run's kept
// files grow past the room left, it prunes again. It removes what pruning
// after the run would, or less (the run's own size is not whole yet), unless
// a long result it counted never lands; prune again after the run for the rest.
#include "engine/backup/BackupStore.h"

#include <QString>
#include <condition_variable>
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

    // The run keeps runBytes for results in place and long results being
    // written: prunes for that, the first time and whenever it outgrows the
    // room the last pruning left. From any thread.
    void grow(qint64 runBytes);
    // Ends the pruning: waits for a pass under way, and rethrows what it threw.
    void wait();

private:
    void serve();
    // Tells the thread to end and waits for it.
    void end();

    BackupStore& m_store;
    const BackupLimits m_limits;
    const QString m_keep;
    std::mutex m_lock;   // guards what follows
    std::condition_variable m_wake;
    qint64 m_asked = -1;      // the run's bytes as last told
    qint64 m_outgrown = -1;   // prune again once the run keeps more than this
    bool m_ending = false;
    std::thread m_thread;
    std::exception_ptr m_thrown;   // set on the thread, read after join
};

} // namespace quorvane
