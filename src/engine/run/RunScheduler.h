#pragma once
// Where a run's files are processed. Work on one target keeps the order of the
// list (an entry reading a file an earlier entry writes comes after it); a
// scheduler with workers may run other files meanwhile.
#include "engine/files/FileAccess.h"

#include <QString>
#include <functional>

namespace quorvane {

class RunScheduler {
public:
    virtual ~RunScheduler() = default;
    // Processes the work of the entry at index, whose source and output are
    // given. With workers() above 1 the work runs on another thread and may
    // still be running when this returns. A scheduler that looks at the source
    // fills in look (if given) before the work starts, when no earlier entry
    // can change what the path reaches before the work reads it.
    virtual void submit(qsizetype index, const QString& source, const QString& output,
                        const std::function<void()>& work, PathLook* look) = 0;
    // Returns once every submitted work is done.
    virtual void drain() = 0;
    // Files that may be in hand at once; 1: each work is done when submit returns.
    virtual int workers() const { return 1; }
    // Returns once `ended` works have ended since the last call, once none is
    // left running, or after ms milliseconds, whichever comes first.
    virtual void waitForEnds(int /*ended*/, int /*ms*/) {}
    // Starts the works submit may hold back to hand out several at once. Call
    // before anything that may keep this thread long; waits start them anyway.
    virtual void release() {}
    // Work to do between hands of entries, never while an entry is held back
    // behind it (the run lands a full group of results there); on a worker
    // thread when there are workers. Set it before the first submit and
    // unset it after drain(), before what it uses goes.
    void setBetween(std::function<void()> between) { m_between = std::move(between); }

protected:
    void between() const
    {
        if (m_between)
            m_between();
    }

private:
    std::function<void()> m_between;
};

// One file after another on the run's own thread, in list order.
class InOrderScheduler final : public RunScheduler {
public:
    void submit(qsizetype, const QString&, const QString&, const std::function<void()>& work, PathLook*) override
    {
        work();
        between();
    }
    void drain() override {}
};

} // namespace quorvane
