#pragma once
// Where a run's files are processed. Work on one target keeps the order of the
// list (an entry reading a file an earlier entry writes comes after it); a
// scheduler with workers may run other files meanwhile.
#include <QString>
#include <functional>

namespace quorvane {

class RunScheduler {
public:
    virtual ~RunScheduler() = default;
    // Processes the work of the entry at index, whose source and output are given.
    virtual void submit(qsizetype index, const QString& source, const QString& output,
                        const std::function<void()>& work) = 0;
    // Returns once every submitted work is done.
    virtual void drain() = 0;
};

// One file after another on the run's own thread, in list order.
class InOrderScheduler final : public RunScheduler {
public:
    void submit(qsizetype, const QString&, const QString&, const std::function<void()>& work) override { work(); }
    void drain() override {}
};

} // namespace quorvane
