#pragma once
// Writes a long result on a thread of its own while its owner makes the rest
// of it: the owner hands over full buffers and takes back emptied ones. At
// most two buffers wait, so the memory stays a few buffers however long the
// result grows.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvane {

class WriteBehind {
public:
    // write is called on the thread, once per buffer handed over, in order;
    // false (with errno set) ends the writing: what waits is dropped.
    explicit WriteBehind(std::function<bool(const std::string&)> write);
    // Drops what has not been written yet and waits for the buffer in hand.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Hands buffer over; it comes back empty, with memory to fill again.
    // Waits while two buffers wait already. False, with errno set, once a
    // write has failed.
    bool put(std::string& buffer);
    // Returns once everything handed over is written. False, with errno set,
    // when a write failed.
    bool settle();

private:
    void serve();

    std::function<bool(const std::string&)> m_write;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::string> m_waiting;
    std::vector<std::string> m_spare;
    bool m_busy = false;   // the thread holds a buffer
    bool m_quit = false;
    int m_error = 0;
    std::thread m_thread;
};

} // namespace quorvane
