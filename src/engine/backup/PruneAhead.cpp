#include "engine/backup/PruneAhead.h"

#include <limits>
#include <utility>

namespace quorvane {

PruneAhead::PruneAhead(BackupStore& store, BackupLimits limits, QString keepRunId)
    : m_store(store), m_limits(limits), m_keep(std::move(keepRunId))
{
}

PruneAhead::~PruneAhead()
{
    end();
}

void PruneAhead::end()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_ending = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PruneAhead::grow(qint64 runBytes)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_ending || runBytes <= m_outgrown)
            return;
        m_asked = runBytes;
        if (!m_thread.joinable()) {
            m_thread = std::thread([this] { serve(); });
            return;
        }
    }
    m_wake.notify_all();
}

void PruneAhead::serve()
{
    std::unique_lock<std::mutex> hold(m_lock);
    while (!m_ending) {
        const qint64 bytes = m_asked;
        hold.unlock();
        qint64 room = -1;
        try {
            room = m_store.prune(m_limits, m_keep, bytes);
        } catch (...) {
            hold.lock();
            m_thrown = std::current_exception();
            m_outgrown = std::numeric_limits<qint64>::max();
            return;
        }
        hold.lock();
        // Over the limits with nothing more to remove, pruning again is no use.
        m_outgrown = room < 0 ? std::numeric_limits<qint64>::max() : bytes + room;
        m_wake.wait(hold, [this] { return m_ending || m_asked > m_outgrown; });
    }
}

void PruneAhead::wait()
{
    end();
    if (m_thrown)
        std::rethrow_exception(std::exchange(m_thrown, nullptr));
}

} // namespace quorvane
