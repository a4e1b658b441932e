#include "engine/files/ForEachIndex.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace quorvane {

void ForEachIndex(std::size_t count, const std::function<void(std::size_t)>& work)
{
    std::atomic<std::size_t> next{0};
    const auto take = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            work(i);
    };
    const std::size_t helpers = std::min<std::size_t>(std::size_t(std::max(1, QThread::idealThreadCount())), count);
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    // Where no more threads can be had, the ones running do the rest.
    try {
        for (std::size_t k = 1; k < helpers; ++k)
            threads.emplace_back(take);
    } catch (const std::system_error&) {
    }
    take();
    for (std::thread& t : threads)
        t.join();
}

} // namespace quorvane
