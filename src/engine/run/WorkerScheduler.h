#pragma once
// Runs a run's files on worker threads. An entry whose source or output
// reaches a file that an earlier, unfinished entry reads or writes (the same
// path, a link, a hard link) waits for it; so does any entry whose files
// cannot be told, and every later entry for such an entry. Of the entries
// ready to go, the earliest in the list goes first.
#include "engine/run/RunScheduler.h"
#include "engine/run/TargetKeys.h"

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

    // Called from one thread, the run's. Submitted works are handed to the
    // workers a few at a time (release() and the waits hand out the rest).
    void submit(qsizetype index, const QString& source, const QString& output,
                const std::function<void()>& work, PathLook* look) override;
    void drain() override;   // also waits for the work between hands
    int workers() const override { return m_workers; }
    void waitForEnds(int ended, int ms) override;
    void release() override;

private:
    struct Task {
        std::function<void()> work;
        int waitingFor = 0;                 // earlier unfinished tasks it must follow
        std::vector<qsizetype> followers;   // tasks waiting for it
    };
    // A submitted task not yet handed out, with the earlier tasks it follows
    // if they have not ended (all earlier ones when its files cannot be told).
    struct Held {
        qsizetype index;
        std::function<void()> work;
        std::vector<qsizetype> after;
        bool afterAll;
    };
    void follow(qsizetype earlier, qsizetype later, Task& task);
    // Hands the held tasks to the workers; called with m_lock held.
    void publish();
    // Ends the tasks a worker ran; called with m_lock held.
    void end(const std::vector<qsizetype>& ran);
    void serve();

    const int m_workers;
    std::vector<std::thread> m_threads;
    std::mutex m_lock;
    std::condition_variable m_wake;    // a task became ready, or the workers are to quit
    std::condition_variable m_ended;   // a task ended
    std::unordered_map<qsizetype, Task> m_tasks;   // handed out and not ended
    std::priority_queue<qsizetype, std::vector<qsizetype>, std::greater<>> m_ready;
    int m_idle = 0;           // workers asleep for want of ready tasks
    int m_inBetween = 0;      // workers doing the work between hands
    int m_endedSinceWait = 0;
    bool m_waiting = false;   // the run's thread waits in drain() or waitForEnds()
    int m_wantEnds = 1;       // for m_endedSinceWait to reach this
    bool m_quit = false;
    // Run thread only: tasks submitted and not yet handed out, the last task
    // that named each key, and the last task whose files could not be told.
    std::vector<Held> m_held;
    TargetKeys m_keys;
    std::unordered_map<quint64, qsizetype> m_lastWith;
    qsizetype m_barrier = -1;
};

} // namespace quorvane
