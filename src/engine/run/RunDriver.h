#pragma once
// The run of a batch: the one place where a run's rules live. It walks the
// entries its face gives, processes each file with the run's prepared pairs,
// keeps the results waiting in one commit group (one sync per group of files),
// keeps each replaced file in the backup store, lands what is complete when
// the run stops, reports failures that come when results land, and builds the
// run's report. The window and quorvane-batch are faces (RunFace.h).
#include "engine/FileReplace.h"
#include "engine/backup/BackupStore.h"
#include "engine/report/RunReport.h"
#include "engine/run/DryResults.h"
#include "engine/run/RunFace.h"
#include "engine/run/RunScheduler.h"

#include <QHash>
#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace quorvane {

struct RunOptions {
    // Counts and judges every file and writes nothing.
    bool dryRun = false;
    // Each file the run replaces is kept here first, so the run can be undone
    // (nullptr: none kept; never on a dry run). The store is pruned to
    // backupLimits beside the run once the run has a result in place with
    // its backup, or a long result being written whose old file it will keep
    // (engine/backup/PruneAhead.h), and again once the run has ended. With
    // keepBackups false nothing is kept, but the store still notes the run as
    // its last (BackupStore.h).
    BackupStore* backups = nullptr;
    bool keepBackups = true;
    QString backupDescription;
    BackupRunMode backupMode = BackupRunMode::InPlace;   // where the results go
    BackupLimits backupLimits;
    // Processes one file in place of ProcessFile (a diff printed as it goes).
    std::function<FileOutcome(const QString& source, const QString& output, const FileJob& job)> process;
    qsizetype chunkUnits = 65536;
    // Replaces in binary files too (a file without a mark whose first 8 KiB
    // hold a NUL byte); otherwise they are skipped untouched.
    bool replaceBinary = false;
};

class RunDriver {
public:
    // scheduler may be null: files are then processed in list order on this
    // thread. A dry run always is: each entry reads what the ones before it
    // would have written (DryResults).
    RunDriver(RunFace& face, RunOptions options, RunScheduler* scheduler = nullptr);
    ~RunDriver();

    // Asked before the run: empty when it can start, otherwise why its backups
    // cannot be kept (the store's words), so no file fails for want of one.
    QString refusal() const;
    // Runs every entry and returns the report: one row per entry in list
    // order, a stopped run's unreached entries last, late failures marked.
    RunReport run();

private:
    struct Slot;        // an entry planned and not yet told (RunEntry.cpp)
    struct LateNews;    // a late failure on a worker, told on the run's thread
    void work(qsizetype index, Slot& slot);
    // Tells the face of an ended entry; nullopt when the run did not reach it.
    std::optional<RunReportRow> settle(qsizetype index, Slot& slot);
    void tellLate(qsizetype before);
    bool onRunThread() const;

    RunFace& m_face;
    RunOptions m_options;
    InOrderScheduler m_inOrder;
    RunScheduler* m_scheduler;
    RunReport m_report;
    FileJob m_job;   // the run's own: its group, yield and stop query
    std::vector<std::pair<qsizetype, QString>> m_late;   // entry, why its result did not land
    std::vector<std::unique_ptr<Slot>> m_slots;          // by entry
    std::vector<qsizetype> m_rowOf;                      // each entry's row in the report
    std::thread::id m_runThread;
    std::atomic<bool> m_stop{false};   // for the workers: the face asked to stop
    std::mutex m_lock;                 // what workers share: m_written, m_news
    std::vector<LateNews> m_news;
    std::exception_ptr m_landingThrown;   // from a group landed after its entry
    // In place, each real file the run wrote (as it was and as it became):
    // the entry that wrote it and the path it was written by.
    QHash<FileIdentity, std::pair<qsizetype, QString>> m_written;
    // A dry run's results that later entries read.
    std::unique_ptr<DryResults> m_dry;
};

} // namespace quorvane
