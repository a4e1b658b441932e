#include "engine/replace/SideBySide.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace quorvane {

namespace {

// One task slot. Never destroyed: the thread waits on it until the program
// ends, and nothing must tear the lock down under it at exit.
struct Helper {
    std::mutex lock;
    std::condition_variable wake, done;
    const std::function<void()>* task = nullptr;
    std::exception_ptr failure;
    bool busy = false;      // a caller owns the slot
    bool finished = false;  // its task has run

    Helper()
    {
        std::thread([this] { serve(); }).detach();
    }

    void serve()
    {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            wake.wait(hold, [&] { return task != nullptr; });
            const std::function<void()>* t = task;
            hold.unlock();
            std::exception_ptr error;
            try {
                (*t)();
            } catch (...) {
                error = std::current_exception();
            }
            hold.lock();
            task = nullptr;
            failure = error;
            finished = true;
            done.notify_all();
        }
    }
};

Helper* TheHelper()
{
    static Helper* const helper = std::thread::hardware_concurrency() >= 2 ? new Helper : nullptr;
    return helper;
}

} // namespace

void RunSideBySide(const std::function<void()>& main, const std::function<void()>& side)
{
    Helper* helper = TheHelper();
    bool handed = false;
    if (helper) {
        std::lock_guard<std::mutex> hold(helper->lock);
        if (!helper->busy) {
            helper->busy = handed = true;
            helper->finished = false;
            helper->task = &side;
        }
    }
    if (!handed) {
        main();
        side();
        return;
    }
    helper->wake.notify_one();
    std::exception_ptr mainFailure;
    try {
        main();
    } catch (...) {
        mainFailure = std::current_exception();
    }
    // side refers to the caller's data: wait for it even when main failed.
    std::exception_ptr sideFailure;
    {
        std::unique_lock<std::mutex> hold(helper->lock);
        helper->done.wait(hold, [&] { return helper->finished; });
        sideFailure = helper->failure;
        helper->failure = nullptr;
        helper->busy = false;
    }
    if (mainFailure) std::rethrow_exception(mainFailure);
    if (sideFailure) std::rethrow_exception(sideFailure);
}

} // namespace quorvane
