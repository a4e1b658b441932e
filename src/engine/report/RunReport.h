#pragma once
// What a run did to each entry of its file list: one row per entry in list
// order, kept by the window and the command line alike, and its CSV form.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace quorvane {

enum class RunOutcome {
    Written,     // a result was written to the output path
    Unchanged,   // in place, the source left untouched (nothing replaced or same bytes)
    Skipped,     // not processed by design (single mode's empty or unreadable file, a binary file, ...)
    Failed,      // reading or writing failed; reason says why
    NotReached,  // the run stopped before this entry
    Restored,    // an undo put the file back as it was before its run
    Removed,     // an undo removed the file its run had created
};
constexpr int kRunOutcomeCount = 7;

// "written", "unchanged", "skipped", "failed", "not reached", "restored", "removed".
QString RunOutcomeText(RunOutcome outcome);

struct RunReportRow {
    QString source;
    QString output;
    std::int64_t replacements = 0;
    RunOutcome outcome = RunOutcome::NotReached;
    QString reason;   // why it failed or was skipped, or what to note about it; may be empty
};

class RunReport {
public:
    // Appends a row; returns its index.
    qsizetype add(RunReportRow row);
    // A row that was counted as written but whose commit failed later.
    void markFailed(qsizetype index, const QString& reason);
    // Adds text to the reason of the row at index (after "; " when it has one).
    void note(qsizetype index, const QString& text);
    // Records that the run stopped here and adds a "not reached" row for each
    // source it did not come to, in list order.
    void stopBefore(const std::vector<QString>& remainingSources);

    const std::vector<RunReportRow>& rows() const { return m_rows; }
    qsizetype count(RunOutcome outcome) const { return m_counts[static_cast<int>(outcome)]; }
    std::int64_t replacements() const { return m_replacements; }
    bool stopped() const { return m_stopped; }
    // "12 files: 3 written, 1 unchanged, 0 skipped, 1 failed, 7 not reached; 40 replacements".
    // With rows restored or removed (an undo): "5 files: 3 restored, 1 removed,
    // 1 failed, 0 not reached", where written, unchanged, skipped and the
    // replacements are named only when not zero.
    QString totalsText() const;

private:
    std::vector<RunReportRow> m_rows;
    std::array<qsizetype, kRunOutcomeCount> m_counts{};
    std::int64_t m_replacements = 0;
    bool m_stopped = false;
};

// The report as CSV (RFC 4180): a header row "source,output,replacements,
// outcome,reason", one record per row, CR LF after each record; a field holding
// a comma, quote, CR or LF is quoted with inner quotes doubled. Paths are the
// file system's bytes for them.
QByteArray RunReportCsv(const RunReport& report);

} // namespace quorvane
