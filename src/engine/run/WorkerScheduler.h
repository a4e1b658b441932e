#pragma once
// Runs a run's files on worker threads. An entry whose source or output
// reaches a file that an earlier, unfinished entry reads or writes (the same
// path, a link, a hard link) waits for it; so does any entry whose files
// cannot be told, and every later entry for such an entry. Of the entries
// ready to go, the earliest in the list goes first.
#include "engine/run/RunScheduler.h"
#include "engine/run/TargetKeys.h"

#include <QHash>

#include <condition_variable>
#include <mutex>
#include <queue>
#include <thread>
#include <unordered_map>
#include <vector>

namespace quorvane {

class WorkerScheduler final : public RunScheduler {
public:
    // workers below 1 count as 1; the threads start with the first submit.
    explicit WorkerScheduler(int workers);
    ~WorkerScheduler() override;   // waits for the work in hand
    WorkerScheduler(const WorkerScheduler&) = delete;
    WorkerScheduler& operator=(const WorkerScheduler&) = delete;

    // Called from one thread, the run's.
    void submit(qsizetype index, const QString& source, const QString& output,
                const std::function<void()>& work) override;
    void drain() override;
    int workers() const override { return m_workers; }
    void waitForEnds(int ended, int ms) override;

private:
    struct Task {
        std::function<void()> work;
        int waitingFor = 0;                 // earlier unfinished tasks it must follow
        std::vector<qsizetype> followers;   // tasks waiting for it
    };
    void follow(qsizetype earlier, qsizetype later, Task& task);
    void serve();

    const int m_workers;
    std::vector<std::thread> m_threads;
    std::mutex m_lock;
    std::condition_variable m_wake;    // a task became ready, or the workers are to quit
    std::condition_variable m_ended;   // a task ended
    std::unordered_map<qsizetype, Task> m_tasks;   // submitted and not ended
    std::priority_queue<qsizetype, std::vector<qsizetype>, std::greater<>> m_ready;
    int m_endedSinceWait = 0;
    int m_endsWanted = 1;              // ends the run's thread waits for (waitForEnds)
    bool m_quit = false;
    // Run thread only: the last task that named each key, and the last task
    // whose files could not be told.
    TargetKeys m_keys;
    QHash<QByteArray, qsizetype> m_lastWith;
    qsizetype m_barrier = -1;
};

} // namespace quorvane
