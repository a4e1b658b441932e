#include "engine/run/RunDriver.h"

#include "engine/backup/PruneAhead.h"
#include "engine/run/RunSlot.h"
#include "engine/write/CommitGroup.h"

#include <chrono>

namespace quorvane {

bool RunFace::guard(Phase, qsizetype, const std::function<void()>& work, QString& reason)
{
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
        return false;
    }
}

QString RunFace::describeSkip(const SkipCause& cause)
{
    switch (cause.kind) {
    case SkipCause::Kind::SameFile: return QStringLiteral("same file as entry %1").arg(cause.entry + 1);
    case SkipCause::Kind::Empty: return QStringLiteral("empty file");
    case SkipCause::Kind::Unreadable: return QStringLiteral("cannot be read: ") + describe(cause.error);
    case SkipCause::Kind::Binary: break;
    }
    return QStringLiteral("binary file");
}

RunDriver::RunDriver(RunFace& face, RunOptions options, RunScheduler* scheduler)
    : m_face(face), m_options(std::move(options)), m_scheduler(scheduler ? scheduler : &m_inOrder)
{
}

RunDriver::~RunDriver() = default;

QString RunDriver::refusal() const
{
    if (m_options.dryRun || !m_options.backups || !m_options.keepBackups)
        return {};
    return m_options.backups->ready();
}

RunReport RunDriver::run()
{
    m_report = RunReport();
    m_late.clear();
    m_landingThrown = nullptr;
    m_written.clear();
    m_news.clear();
    m_runThread = std::this_thread::get_id();
    m_stop = false;
    // Results of small files wait in one group, so the run pays for one sync
    // per group of files; a run that stops still lands them.
    CommitGroup group;
    group.setLandLater(true);
    std::unique_ptr<BackupRun> backup;
    if (!m_options.dryRun && m_options.backups) {
        backup = m_options.backups->beginRun(m_options.backupDescription, m_options.backupMode);
        if (m_options.keepBackups)
            group.setBackup(backup.get());
    }
    m_job = FileJob();
    m_job.chunkUnits = m_options.chunkUnits;
    m_job.yield = [this] { m_face.yield(); };
    m_job.cancelled = [this] { return m_face.stopRequested(); };
    m_job.dryRun = m_options.dryRun;
    m_job.skipBinary = !m_options.replaceBinary;
    m_job.forecastWrites = m_options.dryRun;
    m_job.group = m_options.dryRun ? nullptr : &group;

    const qsizetype count = m_face.count();
    m_dry.reset();
    if (m_options.dryRun) {
        m_dry = std::make_unique<DryResults>();
        m_dry->learn(count, [this](qsizetype index) { return m_face.peekSource(index); });
    }
    RunScheduler& scheduler = m_options.dryRun ? m_inOrder : *m_scheduler;
    // A full group lands between entries, not within the one that filled it:
    // no entry's row, nor any entry behind it, waits for a few thousand renames.
    // The store is pruned beside the run once the run is sure to stay in it.
    // So is it while a long result is written: its old file will be kept.
    std::unique_ptr<PruneAhead> pruning;
    if (backup && m_options.keepBackups) {
        pruning = std::make_unique<PruneAhead>(*m_options.backups, m_options.backupLimits, backup->id());
        backup->setOnExpect([&backup, &pruning] { pruning->grow(backup->keepingBytes()); });
    }
    scheduler.setBetween([this, &group, &backup, &pruning] {
        try {
            group.landDue();
            if (pruning && backup->lasting())
                pruning->grow(backup->keepingBytes());
        } catch (...) {
            std::lock_guard<std::mutex> hold(m_lock);
            if (!m_landingThrown)
                m_landingThrown = std::current_exception();
        }
    });
    const int workers = scheduler.workers();
    // Entries planned ahead of the first one not yet told: enough to keep
    // every worker busy past a big file or a group landing (thousands of
    // small files' worth); a stop leaves the ones not begun at once.
    const qsizetype ahead = workers > 1 ? qsizetype(256) * workers : 1;
    m_slots.clear();
    m_slots.resize(size_t(count));
    m_rowOf.assign(size_t(count), -1);
    std::vector<std::optional<RunReportRow>> afterStop(static_cast<size_t>(count));
    qsizetype next = 0;       // the first entry not planned
    qsizetype told = 0;       // the first entry not told
    qsizetype cut = -1;       // the first entry the run did not complete
    bool stopping = false;    // no entry is planned any more
    bool asks = false;        // the face cannot plan entry `next` ahead
    const auto stop = [&] {
        stopping = true;
        m_stop = true;
    };
    // With workers, the face's events run before the first entry, as they do
    // in each plan on one worker, and then at least every few milliseconds,
    // also while this thread keeps planning because the workers keep up.
    using Clock = std::chrono::steady_clock;
    constexpr auto kYieldEvery = std::chrono::milliseconds(5);
    Clock::time_point yielded{};
    for (;;) {
        if (workers > 1 && Clock::now() - yielded >= kYieldEvery) {
            scheduler.release();
            m_face.yield();
            yielded = Clock::now();
        }
        // Each ended entry is told in list order; past one the run did not
        // complete, rows wait for the rows of the entries not reached. The
        // face may keep this thread long (a failure box): the workers go on.
        if (told < next && m_slots[size_t(told)]->ended.load(std::memory_order_acquire))
            scheduler.release();
        while (told < next && m_slots[size_t(told)]->ended.load(std::memory_order_acquire)) {
            std::optional<RunReportRow> row = settle(told, *m_slots[size_t(told)]);
            if (!row && cut < 0) {
                cut = told;
                stop();
            } else if (row && cut >= 0) {
                afterStop[size_t(told)] = std::move(row);
            } else if (row) {
                m_rowOf[size_t(told)] = m_report.add(std::move(*row));
            }
            m_slots[size_t(told)].reset();
            ++told;
        }
        tellLate(told);
        if (!stopping && m_face.stopRequested()) {
            stop();
            continue;
        }
        if (told == next && (stopping || next == count))
            break;
        if (!stopping && next < count && next - told < ahead) {
            // A plan that may ask the user waits until every earlier entry is told.
            std::optional<EntryPlan> plan = workers > 1 && !asks ? m_face.planAhead(next) : std::nullopt;
            asks = !plan;
            if (plan || told == next) {
                asks = false;
                if (!plan)
                    plan = m_face.plan(next);
                if (plan->action == EntryPlan::Action::Stop) {
                    stop();
                    continue;
                }
                auto slot = std::make_unique<Slot>();
                Slot& s = *slot;
                s.plan = std::move(*plan);
                m_slots[size_t(next)] = std::move(slot);
                const qsizetype index = next++;
                if (s.plan.action == EntryPlan::Action::Process) {
                    scheduler.submit(index, s.plan.source, s.plan.output, [this, index, &s] { work(index, s); },
                                     &s.look);
                    continue;
                }
                const bool failed = s.plan.action == EntryPlan::Action::Fail;
                s.row = RunReportRow{s.plan.source, s.plan.output, 0, failed ? RunOutcome::Failed : RunOutcome::Skipped,
                                     failed ? s.plan.failure : QString()};
                s.ended = true;
                continue;
            }
        }
        // Workers have the files in hand: the face's events run meanwhile,
        // and its stop is seen within one wait.
        scheduler.waitForEnds(int(std::max<qsizetype>(1, ahead / 2)), int(kYieldEvery.count()));
        m_face.yield();
        yielded = Clock::now();
    }
    scheduler.drain();
    scheduler.setBetween({});
    if (backup)
        backup->setOnExpect({});

    QString ignored;
    m_face.guard(RunFace::Phase::Landing, -1, [&] {
        group.flush();
        if (backup) {
            backup->finish();
            if (pruning)
                pruning->wait();
            if (m_options.keepBackups)
                m_options.backups->prune(m_options.backupLimits, backup->id());
        }
        if (m_landingThrown)
            std::rethrow_exception(std::exchange(m_landingThrown, nullptr));
    }, ignored);
    m_job.group = nullptr;
    tellLate(count);

    if (stopping) {
        m_report.stopBefore({});
        for (qsizetype p = cut >= 0 ? cut : next; p < count; ++p) {
            std::optional<RunReportRow> row = std::move(afterStop[size_t(p)]);
            if (!row)
                row = m_face.unreached(p);
            if (row)
                m_rowOf[size_t(p)] = m_report.add(std::move(*row));
        }
    }
    for (const auto& [index, reason] : m_late) {
        if (m_rowOf[size_t(index)] >= 0)
            m_report.markFailed(m_rowOf[size_t(index)], reason);
    }
    m_slots.clear();
    return std::move(m_report);
}

} // namespace quorvane
