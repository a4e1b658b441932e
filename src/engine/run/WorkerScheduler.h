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

    // Called from one thread, the run's. Submitted works are handed to the
    // workers a few at a time (release() and the waits hand out the rest);
    // a worker finds the files of each (TargetKeys) before any runs, so the
    // run's thread only plans and tells.
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
    // A submitted task not yet keyed.
    struct Submitted {
        qsizetype index;
        QString source;
        QString output;
        std::function<void()> work;
        PathLook* look;
    };
    // A keyed task not yet handed out, with the earlier tasks it follows if
    // they have not ended (all earlier ones when its files cannot be told).
    struct Held {
        qsizetype index;
        std::function<void()> work;
        std::vector<qsizetype> after;
        bool afterAll;
    };
    // Hands the submitted tasks over to be keyed; called with m_lock held.
    void handOver();
    // Keys a batch of tasks in list order: called by one worker at a time,
    // without the lock.
    void key(std::vector<Submitted>& batch, std::vector<Held>& held);
    void follow(qsizetype earlier, qsizetype later, Task& task);
    // Hands keyed tasks to the workers; called with m_lock held.
    void publish(std::vector<Held>& held);
    // Ends the tasks a worker ran; called with m_lock held.
    void end(const std::vector<qsizetype>& ran);
    void serve();

    const int m_workers;
    std::vector<std::thread> m_threads;
    std::mutex m_lock;
    std::condition_variable m_wake;    // a task became ready or is to be keyed, or the workers are to quit
    std::condition_variable m_ended;   // a task ended
    std::vector<Submitted> m_toKey;    // handed over, not yet keyed
    bool m_keying = false;             // a worker keys a batch
    qsizetype m_unended = 0;           // handed over and not ended
    std::unordered_map<qsizetype, Task> m_tasks;   // keyed and not ended
    std::priority_queue<qsizetype, std::vector<qsizetype>, std::greater<>> m_ready;
    int m_idle = 0;           // workers asleep for want of work
    int m_inBetween = 0;      // workers doing the work between hands
    int m_endedSinceWait = 0;
    bool m_waiting = false;   // the run's thread waits in drain() or waitForEnds()
    int m_wantEnds = 1;       // for m_endedSinceWait to reach this
    bool m_quit = false;
    // Run thread only: tasks submitted and not yet handed over.
    std::vector<Submitted> m_submitted;
    // The keying worker's only: the last task that named each key, and the
    // last task whose files could not be told.
    TargetKeys m_keys;
    QHash<quint64, qsizetype> m_lastWith;
    qsizetype m_barrier = -1;
};

} // namespace quorvane
