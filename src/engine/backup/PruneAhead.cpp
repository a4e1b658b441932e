#include "engine/backup/PruneAhead.h"

#include <utility>

namespace quorvane {

PruneAhead::PruneAhead(BackupStore& store, BackupLimits limits, QString keepRunId)
    : m_store(store), m_limits(limits), m_keep(std::move(keepRunId))
{
}

PruneAhead::~PruneAhead()
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_thread.joinable())
        m_thread.join();
}

void PruneAhead::start()
{
    if (m_started.exchange(true))
        return;
    std::lock_guard<std::mutex> hold(m_lock);
    m_thread = std::thread([this] {
        try {
            m_store.prune(m_limits, m_keep);
        } catch (...) {
            m_thrown = std::current_exception();
        }
    });
}

void PruneAhead::wait()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_thread.joinable())
            m_thread.join();
    }
    if (m_thrown)
        std::rethrow_exception(std::exchange(m_thrown, nullptr));
}

} // namespace quorvane
