#pragma once
// What a run asks of the face that started it (the window, the command line):
// the entries, the answers to its questions, and where its news goes. The
// driver (engine/run/RunDriver.h) owns every rule of a run; a face words and
// shows what it is told. Every call comes on the thread that runs the
// driver, and what is told of entries comes in list order.
#include "engine/FileReplace.h"
#include "engine/RunPairs.h"
#include "engine/files/FileError.h"
#include "engine/report/RunReport.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace quorvane {

// What to do with one entry, as the face answers when the run reaches it.
struct EntryPlan {
    enum class Action {
        Process,   // replace source into output with pairs
        Fail,      // the entry cannot be taken: a failed row with `failure` as its reason
        Skip,      // nothing is done with the entry: a "skipped" row
        Stop,      // the run ends before this entry (it and the rest are not reached)
    };
    Action action = Action::Process;
    QString source;
    QString output;
    std::shared_ptr<const RunPairs> pairs;
    // A source of size below 1 (empty, missing or unreadable) is skipped: a
    // "skipped" row with the reason (SkipCause Empty or Unreadable), no failure told.
    bool skipEmpty = false;
    QString failure;
    // Optional: processes the file in place of ProcessFile, with its arguments
    // (the window writes a file with only the changes the user approved).
    std::function<FileOutcome(const QString& source, const QString& output, const FileJob& job,
                              const std::function<void(const FileError&)>& onLateWriteFailure)>
        process;
};

// Why the run itself left an entry alone (a "skipped" row with a reason).
struct SkipCause {
    enum class Kind {
        Binary,       // no mark, and a NUL among the first 8 KiB
        SameFile,     // in place, the real file an earlier entry wrote by another path
        Empty,        // EntryPlan::skipEmpty: a source of 0 bytes
        Unreadable,   // EntryPlan::skipEmpty: a source that cannot be opened (error tells why)
    };
    Kind kind = Kind::Binary;
    qsizetype entry = -1;   // SameFile: that earlier entry, from 0
    FileError error;        // Unreadable: why
};

class RunFace {
public:
    virtual ~RunFace() = default;

    // Entries of the run, taken once before the first.
    virtual qsizetype count() = 0;
    // The entry at index (from 0) as the run reaches it.
    virtual EntryPlan plan(qsizetype index) = 0;
    // The entry at index, asked while earlier entries are still in hand so
    // that it can run beside them: its plan when the face can give it without
    // showing or asking anything, else nullopt, and plan(index) is asked once
    // every earlier entry is done and told.
    virtual std::optional<EntryPlan> planAhead(qsizetype) { return std::nullopt; }
    // The source of the entry at index as it stands now, without showing or
    // asking anything; nullopt when not known before the run reaches it. A
    // dry run learns from it which files later entries read.
    virtual std::optional<QString> peekSource(qsizetype) { return std::nullopt; }
    // Lets the face's own events run: between files and at least once per
    // stretch of a file.
    virtual void yield() {}
    // True once the run is to stop: the file in hand is abandoned, what is
    // complete lands.
    virtual bool stopRequested() { return false; }
    // The words for a failure, as the row's reason.
    virtual QString describe(const FileError& error) = 0;
    // The words for a skip, as the row's reason: "binary file", "same file as
    // entry K" (K counted from 1), "empty file", "cannot be read: " and
    // describe()'s words by default.
    virtual QString describeSkip(const SkipCause& cause);
    // A file's row once the file is done: written, unchanged, skipped or
    // failed (error tells what failed; it is empty otherwise).
    virtual void fileDone(qsizetype, const RunReportRow&, const FileError&) {}
    // A result that failed to land after its file was done; its row turns
    // failed in the report.
    virtual void lateFailure(qsizetype, const RunReportRow&, const FileError&) {}
    // The row of an entry the run did not reach; nullopt adds none.
    virtual std::optional<RunReportRow> unreached(qsizetype index) = 0;
    // Runs the work of the file of entry (Phase::File), or the landing of the
    // run's results at its end (Phase::Landing, entry -1). A failure thrown
    // from it is the face's to report; false with reason set then fails the
    // file. By default a std::exception's text is the reason.
    enum class Phase { File, Landing };
    virtual bool guard(Phase phase, qsizetype entry, const std::function<void()>& work, QString& reason);
};

} // namespace quorvane
