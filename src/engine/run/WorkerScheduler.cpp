#include "engine/run/WorkerScheduler.h"

#include <algorithm>
#include <chrono>
#include <iterator>
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
    m_submitted.push_back({index, source, output, work, look});
    if (m_threads.empty()) {
        for (int k = 0; k < m_workers; ++k)
            m_threads.emplace_back([this] { serve(); });
    }
    if (m_submitted.size() >= kHandOut) {
        std::lock_guard<std::mutex> hold(m_lock);
        handOver();
    }
}

void WorkerScheduler::handOver()
{
    if (m_submitted.empty())
        return;
    m_unended += qsizetype(m_submitted.size());
    if (m_toKey.empty())
        m_toKey.swap(m_submitted);
    else
        std::move(m_submitted.begin(), m_submitted.end(), std::back_inserter(m_toKey));
    m_submitted.clear();
    if (m_idle > 0 && !m_keying)
        m_wake.notify_one();
}

void WorkerScheduler::key(std::vector<Submitted>& batch, std::vector<Held>& held)
{
    for (Submitted& s : batch) {
        quint64 keys[4];
        PathLook seen;
        const FileKeys ofSource = m_keys.of(s.source, &seen);
        bool told = ofSource.count > 0;
        std::copy_n(ofSource.key, ofSource.count, keys);
        int count = ofSource.count;
        if (!s.output.isEmpty() && s.output != s.source) {
            const FileKeys ofOutput = m_keys.of(s.output);
            told = told && ofOutput.count > 0;
            std::copy_n(ofOutput.key, ofOutput.count, keys + count);
            count += ofOutput.count;
        }
        Held h{s.index, std::move(s.work), {}, !told};
        if (!told) {
            m_barrier = s.index;
        } else {
            if (m_barrier >= 0)
                h.after.push_back(m_barrier);
            for (int k = 0; k < count; ++k) {
                auto last = m_lastWith.find(keys[k]);
                if (last == m_lastWith.end()) {
                    m_lastWith.insert(keys[k], s.index);
                    continue;
                }
                h.after.push_back(*last);
                *last = s.index;
            }
        }
        // Following no earlier entry, this one finds the source as it was seen.
        if (s.look && told && h.after.empty())
            *s.look = seen;
        held.push_back(std::move(h));
    }
    batch.clear();
}

void WorkerScheduler::publish(std::vector<Held>& held)
{
    // In list order, so that a task follows earlier ones of its own batch too.
    for (Held& h : held) {
        Task& task = m_tasks[h.index];
        task.work = std::move(h.work);
        if (h.afterAll) {
            for (auto& [other, unused] : m_tasks)
                follow(other, h.index, task);
        } else {
            for (const qsizetype earlier : h.after)
                follow(earlier, h.index, task);
        }
        if (task.waitingFor == 0)
            m_ready.push(h.index);
    }
    held.clear();
    if (m_idle > 0 && !m_ready.empty())
        m_wake.notify_all();
}

void WorkerScheduler::release()
{
    if (m_submitted.empty())
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    handOver();
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
    m_unended -= qsizetype(ran.size());
    if (woken > 1 && m_idle > 0)
        m_wake.notify_all();   // this worker takes some itself
    // The run's thread is woken only when what it waits for has come,
    // not at every end: each needless wake costs it a switch and a sleep.
    if (m_waiting && (m_unended == 0 || m_endedSinceWait >= m_wantEnds))
        m_ended.notify_all();
}

void WorkerScheduler::serve()
{
    std::vector<qsizetype> taken;
    std::vector<std::function<void()>> works;
    std::vector<Submitted> batch;
    std::vector<Held> held;
    std::unique_lock<std::mutex> hold(m_lock);
    const auto toKey = [this] { return !m_keying && !m_toKey.empty(); };
    for (;;) {
        if (!m_quit && m_ready.empty() && !toKey()) {
            ++m_idle;
            m_wake.wait(hold, [&] { return m_quit || !m_ready.empty() || toKey(); });
            --m_idle;
        }
        // Keying comes first: it is short, and it is what makes tasks ready.
        if (toKey()) {
            m_keying = true;
            batch.swap(m_toKey);
            hold.unlock();
            key(batch, held);
            hold.lock();
            m_keying = false;
            publish(held);
            continue;   // this worker keys what came meanwhile itself
        }
        if (m_ready.empty()) {
            if (m_quit)
                return;
            continue;
        }
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
        if (--m_inBetween == 0 && m_waiting && m_unended == 0)
            m_ended.notify_all();
    }
}

void WorkerScheduler::drain()
{
    std::unique_lock<std::mutex> hold(m_lock);
    handOver();
    m_waiting = true;
    m_wantEnds = std::numeric_limits<int>::max();
    m_ended.wait(hold, [this] { return m_unended == 0 && m_inBetween == 0; });
    m_waiting = false;
    m_endedSinceWait = 0;
}

void WorkerScheduler::waitForEnds(int ended, int ms)
{
    std::unique_lock<std::mutex> hold(m_lock);
    handOver();
    m_waiting = true;
    m_wantEnds = std::max(1, ended);
    m_ended.wait_for(hold, std::chrono::milliseconds(ms),
                     [&] { return m_unended == 0 || m_endedSinceWait >= m_wantEnds; });
    m_waiting = false;
    m_endedSinceWait = 0;
}

} // namespace quorvane
