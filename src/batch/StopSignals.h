#pragma once
// SIGINT and SIGTERM during a run: the handler only notes the signal, and the
// run asks for it between files and while a file is in hand, so it stops
// within milliseconds with nothing half-written.
namespace quorvane::batch {

// While alive, SIGINT and SIGTERM are noted instead of ending the process;
// the previous dispositions come back on destruction.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first stop signal received, or 0.
    static int received();
};

// "SIGINT", "SIGTERM".
const char* SignalName(int signal);

} // namespace quorvane::batch
