#include "engine/run/WorkerScheduler.h"

#include <algorithm>
#include <chrono>

namespace quorvane {

WorkerScheduler::WorkerScheduler(int workers) : m_workers(std::max(1, workers)) {}

WorkerScheduler::~WorkerScheduler()
{
    drain();
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_quit = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_threads)
        t.join();
}

void WorkerScheduler::follow(qsizetype earlier, qsizetype later, Task& task)
{
    if (earlier < 0 || earlier == later)
        return;
    const auto it = m_tasks.find(earlier);
    if (it == m_tasks.end())
        return;   // ended already
    std::vector<qsizetype>& followers = it->second.followers;
    if (!followers.empty() && followers.back() == later)
        return;   // one link per pair is enough
    followers.push_back(later);
    ++task.waitingFor;
}

void WorkerScheduler::submit(qsizetype index, const QString& source, const QString& output,
                             const std::function<void()>& work)
{
    // The paths are resolved here, outside the lock, while the workers go on.
    std::vector<QByteArray> keys = m_keys.of(source);
    bool told = !keys.empty();
    if (!output.isEmpty() && output != source) {
        std::vector<QByteArray> more = m_keys.of(output);
        told = told && !more.empty();
        keys.insert(keys.end(), more.begin(), more.end());
    }
    if (m_threads.empty()) {
        for (int k = 0; k < m_workers; ++k)
            m_threads.emplace_back([this] { serve(); });
    }
    std::unique_lock<std::mutex> hold(m_lock);
    Task& task = m_tasks[index];
    task.work = work;
    if (!told) {
        for (auto& [other, unused] : m_tasks)
            follow(other, index, task);
        m_barrier = index;
    } else {
        follow(m_barrier, index, task);
        for (const QByteArray& key : keys) {
            const auto last = m_lastWith.find(key);
            if (last == m_lastWith.end()) {
                m_lastWith.insert(key, index);
                continue;
            }
            follow(*last, index, task);
            *last = index;
        }
    }
    if (task.waitingFor == 0) {
        m_ready.push(index);
        hold.unlock();
        m_wake.notify_one();
    }
}

void WorkerScheduler::serve()
{
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        m_wake.wait(hold, [this] { return m_quit || !m_ready.empty(); });
        if (m_ready.empty())
            return;
        const qsizetype index = m_ready.top();
        m_ready.pop();
        const std::function<void()> work = std::move(m_tasks[index].work);
        hold.unlock();
        work();
        hold.lock();
        const std::vector<qsizetype> followers = std::move(m_tasks[index].followers);
        m_tasks.erase(index);
        int woken = 0;
        for (const qsizetype later : followers) {
            if (--m_tasks[later].waitingFor == 0) {
                m_ready.push(later);
                ++woken;
            }
        }
        ++m_endedSinceWait;
        for (int k = 1; k < woken; ++k)
            m_wake.notify_one();   // this worker takes one itself
        // The run's thread is woken once what it waits for is there, not at
        // every end: each wake of a thread is a system call on each side.
        if (m_tasks.empty() || m_endedSinceWait >= m_endsWanted)
            m_ended.notify_all();
    }
}

void WorkerScheduler::drain()
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_ended.wait(hold, [this] { return m_tasks.empty(); });
    m_endedSinceWait = 0;
}

void WorkerScheduler::waitForEnds(int ended, int ms)
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_endsWanted = std::max(1, ended);
    m_ended.wait_for(hold, std::chrono::milliseconds(ms),
                     [&] { return m_tasks.empty() || m_endedSinceWait >= m_endsWanted; });
    m_endedSinceWait = 0;
    m_endsWanted = 1;
}

} // namespace quorvane
