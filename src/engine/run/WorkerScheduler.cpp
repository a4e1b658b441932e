#include "engine/run/WorkerScheduler.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace quorvane {

namespace {
// Tasks handed out at once. Taking the lock and waking a thread cost about as
// much as a small file's whole work, so tasks are handed to the workers, and
// taken by them, several at a time.
constexpr size_t kHandOut = 8;
// The most ready tasks one worker takes at once: few, so that a big file
// among them holds back little that another worker could do meanwhile.
constexpr size_t kTakeAtMost = 4;
} // namespace

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
                             const std::function<void()>& work, PathLook* look)
{
    // The paths are resolved, and the earlier tasks to follow found, without
    // the lock, while the workers go on.
    quint64 keys[4];
    int count = 0;
    PathLook seen;
    const FileKeys ofSource = m_keys.of(source, &seen);
    bool told = ofSource.count > 0;
    std::copy_n(ofSource.key, ofSource.count, keys);
    count = ofSource.count;
    if (!output.isEmpty() && output != source) {
        const FileKeys ofOutput = m_keys.of(output);
        told = told && ofOutput.count > 0;
        std::copy_n(ofOutput.key, ofOutput.count, keys + count);
        count += ofOutput.count;
    }
    Held held{index, work, {}, !told};
    if (!told) {
        m_barrier = index;
    } else {
        if (m_barrier >= 0)
            held.after.push_back(m_barrier);
        for (int k = 0; k < count; ++k) {
            const auto [last, added] = m_lastWith.try_emplace(keys[k], index);
            if (added)
                continue;
            held.after.push_back(last->second);
            last->second = index;
        }
    }
    // Following no earlier entry, this one finds the source as it was seen.
    if (look && told && held.after.empty())
        *look = seen;
    m_held.push_back(std::move(held));
    if (m_threads.empty()) {
        for (int k = 0; k < m_workers; ++k)
            m_threads.emplace_back([this] { serve(); });
    }
    if (m_held.size() >= kHandOut) {
        std::lock_guard<std::mutex> hold(m_lock);
        publish();
    }
}

void WorkerScheduler::publish()
{
    // In list order, so that a held task follows earlier held ones too.
    for (Held& held : m_held) {
        Task& task = m_tasks[held.index];
        task.work = std::move(held.work);
        if (held.afterAll) {
            for (auto& [other, unused] : m_tasks)
                follow(other, held.index, task);
        } else {
            for (const qsizetype earlier : held.after)
                follow(earlier, held.index, task);
        }
        if (task.waitingFor == 0)
            m_ready.push(held.index);
    }
    m_held.clear();
    if (m_idle > 0 && !m_ready.empty())
        m_wake.notify_all();
}

void WorkerScheduler::release()
{
    if (m_held.empty())
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    publish();
}

void WorkerScheduler::end(const std::vector<qsizetype>& ran)
{
    size_t woken = 0;
    for (const qsizetype index : ran) {
        const auto it = m_tasks.find(index);
        const std::vector<qsizetype> followers = std::move(it->second.followers);
        m_tasks.erase(it);
        for (const qsizetype later : followers) {
            if (--m_tasks[later].waitingFor == 0) {
                m_ready.push(later);
                ++woken;
            }
        }
    }
    m_endedSinceWait += int(ran.size());
    if (woken > 1 && m_idle > 0)
        m_wake.notify_all();   // this worker takes some itself
    // The run's thread is woken only when what it waits for has come,
    // not at every end: each needless wake costs it a switch and a sleep.
    if (m_waiting && (m_tasks.empty() || m_endedSinceWait >= m_wantEnds))
        m_ended.notify_all();
}

void WorkerScheduler::serve()
{
    std::vector<qsizetype> taken;
    std::vector<std::function<void()>> works;
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        if (!m_quit && m_ready.empty()) {
            ++m_idle;
            m_wake.wait(hold, [this] { return m_quit || !m_ready.empty(); });
            --m_idle;
        }
        if (m_ready.empty())
            return;
        // A share of what is ready, so the other workers find some too.
        const size_t share = std::clamp<size_t>(m_ready.size() / size_t(m_workers), 1, kTakeAtMost);
        taken.clear();
        works.clear();
        while (taken.size() < share && !m_ready.empty()) {
            taken.push_back(m_ready.top());
            m_ready.pop();
            works.push_back(std::move(m_tasks[taken.back()].work));
        }
        hold.unlock();
        for (const std::function<void()>& work : works)
            work();
        hold.lock();
        end(taken);
        ++m_inBetween;
        hold.unlock();
        between();
        hold.lock();
        if (--m_inBetween == 0 && m_waiting && m_tasks.empty())
            m_ended.notify_all();
    }
}

void WorkerScheduler::drain()
{
    std::unique_lock<std::mutex> hold(m_lock);
    publish();
    m_waiting = true;
    m_wantEnds = std::numeric_limits<int>::max();
    m_ended.wait(hold, [this] { return m_tasks.empty() && m_inBetween == 0; });
    m_waiting = false;
    m_endedSinceWait = 0;
}

void WorkerScheduler::waitForEnds(int ended, int ms)
{
    std::unique_lock<std::mutex> hold(m_lock);
    publish();
    m_waiting = true;
    m_wantEnds = std::max(1, ended);
    m_ended.wait_for(hold, std::chrono::milliseconds(ms),
                     [&] { return m_tasks.empty() || m_endedSinceWait >= m_wantEnds; });
    m_waiting = false;
    m_endedSinceWait = 0;
}

} // namespace quorvane
