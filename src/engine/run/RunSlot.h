#pragma once
// The driver's record of one entry between its plan and its row (RunDriver
// internals): what its work found, kept until the run's thread tells the face.
#include "engine/run/RunDriver.h"

#include <exception>

namespace quorvane {

struct RunDriver::Slot {
    EntryPlan plan;
    PathLook look;                    // the source as the scheduler saw it, if it did
    std::atomic<bool> ended{false};   // the work is over: the fields below stand
    std::optional<RunReportRow> row;  // a row made without work (a plan that fails or skips)
    bool started = false;             // false: the run stopped before the work began
    bool sized = false;               // skipEmpty found the source below 1 byte
    qint64 size = 0;
    int sizeError = 0;
    bool ran = false;                 // the work returned (else `reason`, or `thrown` to be told)
    QString reason;
    std::exception_ptr thrown;        // from a worker, rethrown into the face's guard
    FileOutcome outcome;
};

struct RunDriver::LateNews {
    qsizetype index;
    RunReportRow row;
    FileError error;
};

} // namespace quorvane
