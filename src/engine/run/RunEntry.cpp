// One entry of a run: its work, on whichever thread the scheduler runs it,
// and its row, made on the run's thread in list order.
#include "engine/files/PathHelpers.h"
#include "engine/run/RunSlot.h"
#include "engine/write/CommitGroup.h"

#include <algorithm>
#include <cerrno>
#include <numeric>

namespace quorvane {

bool RunDriver::onRunThread() const
{
    return std::this_thread::get_id() == m_runThread;
}

void RunDriver::work(qsizetype index, Slot& slot)
{
    const EntryPlan& plan = slot.plan;
    const bool here = onRunThread();
    // A worker leaves the entries it had not begun once the face asked to stop.
    slot.started = here || !m_stop.load(std::memory_order_relaxed);
    if (!slot.started) {
        slot.ended.store(true, std::memory_order_release);
        return;
    }
    if (plan.skipEmpty) {
        // Reads have no side effects, so a result of this run still waiting
        // for the source lands before the source is sized (ProcessFile does
        // the same before it reads).
        if (m_job.group)
            m_job.group->landBefore(plan.source);
        errno = 0;
        slot.size = FileSize2(plan.source);
        slot.sizeError = errno ? errno : EIO;
        if (slot.size < 1) {
            slot.sized = true;
            slot.ended.store(true, std::memory_order_release);
            return;
        }
    }
    FileJob job = m_job;
    job.prepared = plan.pairs;
    job.entry = index;
    if (slot.look.taken && !m_dry)
        job.look = &slot.look;
    if (!here) {
        // A worker lets no face events run and asks the run's own stop flag.
        job.yield = {};
        job.cancelled = [this] { return m_stop.load(std::memory_order_relaxed); };
    }
    if (m_dry) {
        job.tap = m_dry->keepFor(index, plan.output, job.tap);
        job.standIn = [this](const QString& path) { return m_dry->standIn(path); };
    }
    // A file reached again by another path (a link, a hard link) would get
    // the pairs a second time; the same path listed twice is run twice.
    job.writtenBefore = [this, &plan](const FileIdentity& id) {
        std::lock_guard<std::mutex> hold(m_lock);
        const auto it = m_written.constFind(id);
        return it != m_written.cend() && it->second != plan.source ? it->first : qsizetype(-1);
    };
    const RunReportRow row{plan.source, plan.output, 0, RunOutcome::Skipped, QString()};
    // A failure to land may come even before the file's outcome: the group
    // flushes as it takes the result. One on a worker waits for the run's thread.
    const auto late = [this, index, row](const FileError& error) {
        RunReportRow failed = row;
        failed.outcome = RunOutcome::Failed;
        if (!onRunThread()) {
            std::lock_guard<std::mutex> hold(m_lock);
            m_news.push_back({index, std::move(failed), error});
            return;
        }
        failed.reason = m_face.describe(error);
        m_late.emplace_back(index, failed.reason);
        m_face.lateFailure(index, failed, error);
    };
    FileOutcome& outcome = slot.outcome;
    const auto body = [&] {
        if (m_options.process) {
            outcome = m_options.process(plan.source, plan.output, job);
            return;
        }
        outcome = plan.process ? plan.process(plan.source, plan.output, job, late)
                               : ProcessFile(plan.source, plan.output, job, late);
    };
    if (here) {
        slot.ran = m_face.guard(RunFace::Phase::File, index, body, slot.reason);
    } else {
        try {
            body();
            slot.ran = true;
        } catch (...) {
            slot.thrown = std::current_exception();
        }
    }
    if (m_dry)
        m_dry->done(slot.ran && outcome.ok && outcome.written);
    if (slot.ran && outcome.ok && outcome.written && plan.source == plan.output) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_written.insert(outcome.source, {index, plan.source});
        if (outcome.result.known())
            m_written.insert(outcome.result, {index, plan.source});
    }
    slot.ended.store(true, std::memory_order_release);
}

std::optional<RunReportRow> RunDriver::settle(qsizetype index, Slot& slot)
{
    if (slot.row)
        return slot.row;
    if (!slot.started)
        return std::nullopt;
    const EntryPlan& plan = slot.plan;
    RunReportRow row{plan.source, plan.output, 0, RunOutcome::Skipped, QString()};
    if (slot.sized) {
        row.reason = m_face.describeSkip(
            slot.size == 0 ? SkipCause{SkipCause::Kind::Empty, -1, {}}
                           : SkipCause{SkipCause::Kind::Unreadable, -1,
                                       FileError(FileStage::Open, slot.sizeError, plan.source)});
        m_face.fileDone(index, row, {});
        return row;
    }
    // What a worker's file threw is the face's to report, as if thrown here.
    if (slot.thrown)
        slot.ran = m_face.guard(RunFace::Phase::File, index, [&] { std::rethrow_exception(slot.thrown); },
                                slot.reason);
    if (!slot.ran) {
        row.outcome = RunOutcome::Failed;
        row.reason = slot.reason;
        return row;
    }
    const FileOutcome& outcome = slot.outcome;
    if (outcome.cancelled)
        return std::nullopt;
    if (!outcome.ok) {
        row.outcome = RunOutcome::Failed;
        row.reason = m_face.describe(outcome.failure);
        m_face.fileDone(index, row, outcome.failure);
        return row;
    }
    if (outcome.binary || outcome.sameAs >= 0) {
        row.reason = m_face.describeSkip(outcome.binary ? SkipCause{SkipCause::Kind::Binary, -1, {}}
                                                        : SkipCause{SkipCause::Kind::SameFile, outcome.sameAs, {}});
        m_face.fileDone(index, row, {});
        return row;
    }
    row.replacements = std::accumulate(outcome.counts.begin(), outcome.counts.end(), std::int64_t(0));
    // Only an in-place result identical to its source is left unwritten.
    row.outcome = outcome.written ? RunOutcome::Written : RunOutcome::Unchanged;
    m_face.fileDone(index, row, {});
    return row;
}

void RunDriver::tellLate(qsizetype before)
{
    std::vector<LateNews> news;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_news.empty())
            return;
        // Each is told once its own entry has been.
        const auto told = std::stable_partition(m_news.begin(), m_news.end(),
                                                [before](const LateNews& n) { return n.index < before; });
        news.assign(std::make_move_iterator(m_news.begin()), std::make_move_iterator(told));
        m_news.erase(m_news.begin(), told);
    }
    if (news.empty())
        return;
    m_scheduler->release();   // the face may keep this thread long: the workers go on
    std::stable_sort(news.begin(), news.end(), [](const LateNews& a, const LateNews& b) { return a.index < b.index; });
    for (LateNews& n : news) {
        n.row.reason = m_face.describe(n.error);
        m_late.emplace_back(n.index, n.row.reason);
        m_face.lateFailure(n.index, n.row, n.error);
    }
}

} // namespace quorvane
