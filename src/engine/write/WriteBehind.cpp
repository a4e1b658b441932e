#include "engine/write/WriteBehind.h"

#include <cerrno>
#include <utility>

namespace quorvane {

namespace {
constexpr size_t kMostWaiting = 2;
}

WriteBehind::WriteBehind(std::function<bool(const std::string&)> write)
    : m_write(std::move(write)), m_thread([this] { serve(); })
{
}

WriteBehind::~WriteBehind()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_quit = true;
        m_waiting.clear();
    }
    m_changed.notify_all();
    m_thread.join();
}

bool WriteBehind::put(std::string& buffer)
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return m_error != 0 || m_waiting.size() < kMostWaiting; });
    if (m_error) {
        errno = m_error;
        return false;
    }
    m_waiting.push_back(std::move(buffer));
    if (m_spare.empty()) {
        buffer = std::string();
        buffer.reserve(m_waiting.back().capacity());
    } else {
        buffer = std::move(m_spare.back());
        m_spare.pop_back();
    }
    hold.unlock();
    m_changed.notify_all();
    return true;
}

bool WriteBehind::settle()
{
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return m_error != 0 || (m_waiting.empty() && !m_busy); });
    if (m_error) {
        errno = m_error;
        return false;
    }
    return true;
}

void WriteBehind::serve()
{
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        m_changed.wait(hold, [this] { return m_quit || !m_waiting.empty(); });
        if (m_quit)
            return;
        std::string buffer = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_busy = true;
        hold.unlock();
        const bool written = m_write(buffer);
        const int err = written ? 0 : (errno ? errno : EIO);
        buffer.clear();
        hold.lock();
        m_busy = false;
        m_spare.push_back(std::move(buffer));
        if (!written) {
            m_error = err;
            m_waiting.clear();
        }
        m_changed.notify_all();
    }
}

} // namespace quorvane
