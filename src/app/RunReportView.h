#pragma once
// The run report in the window: a sortable table of what a run did to each
// entry, with a filter for failed or changed files, the totals above it, and
// saving as CSV.
#include "engine/FileReplace.h"
#include "engine/report/RunReport.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QSortFilterProxyModel>

class QComboBox;
class QLabel;
class QTableView;

namespace quorvane {

class DiffView;
class Prompts;

// What a report tells of: a run that wrote, a preview that wrote nothing (its
// "written" rows are files a run would write), or an undo.
enum class ReportKind { Run, Preview, Undo };

// Columns: Source, Output, Replacements, Outcome, Reason. Sorting uses the
// raw values (numbers as numbers).
class RunReportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SourceColumn, OutputColumn, ReplacementsColumn, OutcomeColumn, ReasonColumn, ColumnCount };
    explicit RunReportModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setReport(RunReport report, ReportKind kind = ReportKind::Run);
    const RunReport& report() const { return m_report; }
    ReportKind kind() const { return m_kind; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    RunReport m_report;
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
// it were not reached."
QString RunReportSummary(const RunReport& report, ReportKind kind = ReportKind::Run);
// How a row's outcome reads in a report of that kind: a preview's written row
// "would be written", its unchanged row "would stay unchanged".
QString OutcomeText(RunOutcome outcome, ReportKind kind);

// Non-modal; Close hides it. Double-click on a row opens its folder. A
// preview shows below the table the changes of the file selected in it.
class RunReportWindow : public QDialog {
    Q_OBJECT
public:
    RunReportWindow(Prompts& prompts, QWidget* parent = nullptr);
    void setReport(RunReport report, ReportKind kind = ReportKind::Run, std::vector<Pair> pairs = {});

    RunReportModel* model() const { return m_model; }
    RunReportFilter* filter() const { return m_filter; }
    QTableView* table() const { return m_table; }
    DiffView* changes() const { return m_changes; }
    // Asks for a file name and writes the report there as CSV; false when
    // cancelled or when the write failed (then a notice says why).
    bool saveCsv();
    // Opens the folder holding the row's output (its source when it has none).
    void openFolderOf(const QModelIndex& proxyIndex);

private:
    Prompts& m_prompts;
    RunReportModel* m_model;
    RunReportFilter* m_filter;
    QTableView* m_table;
    QLabel* m_totals;
    QComboBox* m_show;
    DiffView* m_changes;
    std::vector<Pair> m_pairs;

    void showChangesOf(const QModelIndex& proxyIndex);
};

} // namespace quorvane
