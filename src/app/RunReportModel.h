#pragma once
// The rows of a run report as a table model, the filter of the report window
// and the words of its summary.
#include "engine/FileReplace.h"
#include "engine/report/RunReport.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

namespace quorvane {

// What a report tells of: a run that wrote, a preview that wrote nothing (its
// "written" rows are files a run would write), or an undo.
enum class ReportKind { Run, Preview, Undo };

// Columns: File (the source's name), Folder (the source's folder), Output,
// Replacements, Outcome, Reason. Sorting uses the raw values (numbers as
// numbers); the tooltip of File is the source's whole path.
class RunReportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FileColumn, FolderColumn, OutputColumn, ReplacementsColumn, OutcomeColumn, ReasonColumn, ColumnCount };
    explicit RunReportModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setReport(RunReport report, ReportKind kind = ReportKind::Run);
    const RunReport& report() const { return m_report; }
    ReportKind kind() const { return m_kind; }

    // A preview's rows that would be written carry a check box in File,
    // checked at first: the files "Replace Checked Files" writes.
    bool checkable(int row) const;
    bool isChecked(int row) const { return checkable(row) && m_checked[size_t(row)]; }
    void setChecked(int row, bool checked);
    std::vector<size_t> checkedRows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    RunReport m_report;
    std::vector<char> m_checked;   // per row
    ReportKind m_kind = ReportKind::Run;
};

// Shows every row, only failed rows, or only rows whose file was written
// (by an undo: restored or removed).
class RunReportFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Show { All, Failed, Written };
    explicit RunReportFilter(QObject* parent = nullptr);
    void setShow(Show show);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    Show m_show = Show::All;
};

// The totals, and for a stopped run a second line naming the entry it
// stopped at: "Stopped at entry 3 of 10, /path/c.txt: it and the entries after
// it were not reached.", or, when some after it were done beside it, "...: it
// and 2 of the 5 entries after it were not reached."
QString RunReportSummary(const RunReport& report, ReportKind kind = ReportKind::Run);
// How a row's outcome reads in a report of that kind: a preview's written row
// "would be written", its unchanged row "would stay unchanged".
QString OutcomeText(RunOutcome outcome, ReportKind kind);

} // namespace quorvane
