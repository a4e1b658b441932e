#include "engine/run/RunDriver.h"

#include "engine/files/PathHelpers.h"
#include "engine/write/CommitGroup.h"

#include <cerrno>
#include <numeric>

namespace quorvane {

bool RunFace::guard(Phase, const std::function<void()>& work, QString& reason)
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
    m_written.clear();
    // Results of small files wait in one group, so the run pays for one sync
    // per group of files; a run that stops still lands them.
    CommitGroup group;
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
    qsizetype stoppedAt = -1;   // the first entry the run did not complete
    for (qsizetype i = 0; i < count; ++i) {
        if (m_face.stopRequested()) {
            stoppedAt = i;
            break;
        }
        const EntryPlan plan = m_face.plan(i);
        if (plan.action == EntryPlan::Action::Stop) {
            stoppedAt = i;
            break;
        }
        if (plan.action == EntryPlan::Action::Fail) {
            m_report.add({plan.source, plan.output, 0, RunOutcome::Failed, plan.failure});
            continue;
        }
        if (plan.action == EntryPlan::Action::Skip) {
            m_report.add({plan.source, plan.output, 0, RunOutcome::Skipped, QString()});
            continue;
        }
        m_scheduler->submit(i, plan.source, plan.output, [this, i, &plan] { processEntry(i, plan); });
        m_scheduler->drain();
        if (m_stopHere) {
            stoppedAt = i;
            break;
        }
        if (m_face.stopRequested()) {
            stoppedAt = i + 1;
            break;
        }
    }
    m_scheduler->drain();

    QString ignored;
    m_face.guard(RunFace::Phase::Landing, [&] {
        group.flush();
        if (backup) {
            backup->finish();
            if (m_options.keepBackups)
                m_options.backups->prune(m_options.backupLimits, backup->id());
        }
    }, ignored);
    m_job.group = nullptr;

    // Each entry before the stop has exactly one row, at its own index.
    for (const auto& [index, reason] : m_late)
        m_report.markFailed(index, reason);
    if (stoppedAt >= 0) {
        m_report.stopBefore({});
        for (qsizetype p = stoppedAt; p < count; ++p) {
            if (std::optional<RunReportRow> row = m_face.unreached(p))
                m_report.add(std::move(*row));
        }
    }
    return std::move(m_report);
}

void RunDriver::processEntry(qsizetype index, const EntryPlan& plan)
{
    m_stopHere = false;
    RunReportRow row{plan.source, plan.output, 0, RunOutcome::Skipped, QString()};
    if (plan.skipEmpty) {
        // Reads have no side effects, so a result of this run still waiting
        // for the source lands before the source is sized (ProcessFile does
        // the same before it reads).
        if (m_job.group)
            m_job.group->landBefore(plan.source);
        const qint64 size = FileSize2(plan.source);
        if (size < 1) {
            const int why = errno ? errno : EIO;
            row.reason = m_face.describeSkip(size == 0 ? SkipCause{SkipCause::Kind::Empty, -1, {}}
                                                       : SkipCause{SkipCause::Kind::Unreadable, -1,
                                                                   FileError(FileStage::Open, why, plan.source)});
            m_report.add(row);
            m_face.fileDone(index, row, {});
            return;
        }
    }
    FileJob job = m_job;
    job.prepared = plan.pairs;
    if (m_dry) {
        job.tap = m_dry->keepFor(index, plan.output, job.tap);
        job.standIn = [this](const QString& path) { return m_dry->standIn(path); };
    }
    // A file reached again by another path (a link, a hard link) would get
    // the pairs a second time; the same path listed twice is run twice.
    job.writtenBefore = [this, &plan](const FileIdentity& id) {
        const auto it = m_written.constFind(id);
        return it != m_written.cend() && it->second != plan.source ? it->first : qsizetype(-1);
    };
    FileOutcome outcome;
    QString reason;
    const bool ran = m_face.guard(RunFace::Phase::File, [&] {
        if (m_options.process) {
            outcome = m_options.process(plan.source, plan.output, job);
            return;
        }
        // A failure to land may come even before the file's outcome: the
        // group flushes as it takes the result.
        const auto late = [this, index, row](const FileError& error) {
            RunReportRow failed = row;
            failed.outcome = RunOutcome::Failed;
            failed.reason = m_face.describe(error);
            m_late.emplace_back(index, failed.reason);
            m_face.lateFailure(index, failed, error);
        };
        outcome = plan.process ? plan.process(plan.source, plan.output, job, late)
                               : ProcessFile(plan.source, plan.output, job, late);
    }, reason);
    if (m_dry)
        m_dry->done(ran && outcome.ok && outcome.written);
    if (!ran) {
        row.outcome = RunOutcome::Failed;
        row.reason = reason;
        m_report.add(row);
        return;
    }
    if (outcome.cancelled) {
        m_stopHere = true;
        return;
    }
    if (!outcome.ok) {
        row.outcome = RunOutcome::Failed;
        row.reason = m_face.describe(outcome.failure);
        m_report.add(row);
        m_face.fileDone(index, row, outcome.failure);
        return;
    }
    if (outcome.binary || outcome.sameAs >= 0) {
        row.reason = m_face.describeSkip(outcome.binary ? SkipCause{SkipCause::Kind::Binary, -1, {}}
                                                        : SkipCause{SkipCause::Kind::SameFile, outcome.sameAs, {}});
        m_report.add(row);
        m_face.fileDone(index, row, {});
        return;
    }
    if (outcome.written && plan.source == plan.output) {
        m_written.insert(outcome.source, {index, plan.source});
        if (outcome.result.known())
            m_written.insert(outcome.result, {index, plan.source});
    }
    row.replacements = std::accumulate(outcome.counts.begin(), outcome.counts.end(), std::int64_t(0));
    // Only an in-place result identical to its source is left unwritten.
    row.outcome = outcome.written ? RunOutcome::Written : RunOutcome::Unchanged;
    m_report.add(row);
    m_face.fileDone(index, row, {});
}

} // namespace quorvane
