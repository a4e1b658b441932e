#pragma once
// The window's face of a run (see engine/run/RunFace.h): each entry read from
// the file list by position with the bar, pointer and checks of "Start
// Replacing", failures told in error boxes under the per-file procedures'
// names and steps, and every prompt shown over the file it is about.
#include "app/ApprovedRun.h"
#include "engine/run/RunFace.h"

#include <QString>
#include <vector>

namespace quorvane {

class Form1;
class RunBar;
class RunInputs;
class RunPrompts;
class StepTrap;

// The entry that the bar shows and that a prompt is about.
struct Showing {
    int position = 0;
    QString source;
};

class WindowFace final : public RunFace {
public:
    WindowFace(Form1& form, RunInputs& inputs, RunBar& bar, RunPrompts& prompts, StepTrap& trap, Showing& showing);

    qsizetype count() override;
    EntryPlan plan(qsizetype index) override;
    // The entry's plan when it needs no box and no yield: the run is not
    // stopping, the entry can be read and the current tab's texts or sets
    // pass their checks. The bar shows it as plan would.
    std::optional<EntryPlan> planAhead(qsizetype index) override;
    std::optional<QString> peekSource(qsizetype index) override;
    void yield() override;
    bool stopRequested() override;
    // A report's words (ReportReason); a file's failure box keeps the usual
    // words (DescribeFileError) on a line below the file's path.
    QString describe(const FileError& error) override;
    QString describeSkip(const SkipCause& cause) override;
    // The window's words for a skip: "binary file", "same file as entry K",
    // "empty file", "cannot be read: REASON".
    static QString SkipText(const SkipCause& cause);
    void fileDone(qsizetype index, const RunReportRow& row, const FileError& error) override;
    // Told at once, with the bar showing the file whose result failed to land.
    // Each failure box shows its own entry on the bar while it is up.
    void lateFailure(qsizetype index, const RunReportRow& row, const FileError& error) override;
    std::optional<RunReportRow> unreached(qsizetype index) override;
    // The file's work is step 126 (single mode) or 128 (sets), by the tab the
    // entry was planned from; landing the results is step 130.
    bool guard(Phase phase, qsizetype entry, const std::function<void()>& work, QString& reason) override;

    // Puts the entry a prompt is about on the bar.
    void putOnBar();
    // The pairs of the first file run, for a preview's changes; null before one.
    std::shared_ptr<const RunPairs> firstPairs() const { return m_firstPairs; }
    // From now on, each entry's source is stamped into (*stamps)[entry] as the
    // run reaches it (a preview's, for writing what the user approves).
    void keepStamps(std::vector<FileStamp>* stamps) { m_stamps = stamps; }

    // The per-file procedures, by the tab a file was run from.
    enum class FileMode { None, Single, Sets };

private:
    // plan (inTurn: yields, and reports what stops or fails the entry) and
    // planAhead (nullopt wherever plan would show or ask something).
    std::optional<EntryPlan> reach(qsizetype index, bool inTurn);
    // Runs tell (a box about the entry) with the entry on the bar, then puts
    // back the entry the run last reached.
    void aboutEntry(qsizetype index, const QString& source, const std::function<void()>& tell);

    Form1& m_form;
    RunInputs& m_inputs;
    RunBar& m_bar;
    RunPrompts& m_prompts;
    StepTrap& m_trap;
    Showing& m_showing;
    // Each planned entry's procedure and source, for failures told in its turn.
    struct Entry {
        FileMode mode = FileMode::None;
        QString source;
    };
    std::vector<Entry> m_entries;
    std::shared_ptr<const RunPairs> m_firstPairs;
    std::vector<FileStamp>* m_stamps = nullptr;
};

} // namespace quorvane
