#include "batch/StopSignals.h"

#include <atomic>
#include <csignal>

namespace quorvane::batch {

namespace {

std::atomic<int> g_received{0};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

struct sigaction g_previousInt, g_previousTerm;

void Note(int signal)
{
    int none = 0;
    g_received.compare_exchange_strong(none, signal);
}

// A signal the process was started with ignored (a background job of a
// script, nohup) stays ignored.
void Catch(int signal, struct sigaction& previous)
{
    sigaction(signal, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN)
        return;
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

StopSignals::StopSignals()
{
    Catch(SIGINT, g_previousInt);
    Catch(SIGTERM, g_previousTerm);
}

StopSignals::~StopSignals()
{
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
}

int StopSignals::received()
{
    return g_received.load(std::memory_order_relaxed);
}

const char* SignalName(int signal)
{
    return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
}

} // namespace quorvane::batch
