#pragma once
// The run report in the window: a sortable table of what a run did to each
// entry, with a filter for failed or changed files, the totals above it, and
// saving as CSV.
#include "app/ApprovedRun.h"
#include "app/RunReportModel.h"

#include <QDialog>
#include <map>

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;
class QTableView;

namespace quorvane {

class DiffView;
class Prompts;
class SummaryLabel;

// Non-modal; Close hides it. Double-click on a row opens its folder. A
// preview shows below the table the changes of the file selected in it.
class RunReportWindow : public QDialog {
    Q_OBJECT
public:
    RunReportWindow(Prompts& prompts, QWidget* parent = nullptr);
    // pairs: a preview's, whose changes are shown for the selected row.
    void setReport(RunReport report, ReportKind kind = ReportKind::Run,
                   std::shared_ptr<const RunPairs> pairs = nullptr);

    RunReportModel* model() const { return m_model; }
    RunReportFilter* filter() const { return m_filter; }
    QTableView* table() const { return m_table; }
    DiffView* changes() const { return m_changes; }
    QSplitter* splitter() const { return m_split; }
    // Asks for a file name (".csv" added to one without an extension) and
    // writes the report there as CSV; false when cancelled or when the write
    // failed (then a notice says why).
    bool saveCsv();
    // A preview's changes of the row's file that the user unchecked.
    std::vector<LeftOut> leftOutOf(size_t row) const;
    QPushButton* replaceCheckedButton() const { return m_replace; }

    // Opens the folder holding the row's output (its source when it has none);
    // when nothing opens it, a notice names the folder.
    void openFolderOf(const QModelIndex& proxyIndex);

signals:
    // "Replace Checked Files" was clicked.
    void replaceCheckedRequested();

protected:
    // Space toggles the check box of the table's current row.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Prompts& m_prompts;
    RunReportModel* m_model;
    RunReportFilter* m_filter;
    QTableView* m_table;
    SummaryLabel* m_totals;
    QComboBox* m_show;
    DiffView* m_changes;
    QSplitter* m_split;
    std::shared_ptr<const RunPairs> m_pairs;
    QPushButton* m_replace = nullptr;
    std::map<size_t, std::vector<LeftOut>> m_leftOut;   // by row
    int m_shownRow = -1;                                 // whose changes are shown
    // The table has most of the height until a row is chosen, the changes
    // then; once the user has moved the split it stays where it was put.
    bool m_splitMoved = false;
    bool m_rowChosen = false;
    bool m_sized = false;   // the columns were sized to the shown table

    void showChangesOf(const QModelIndex& proxyIndex);
    void splitFor(bool rowChosen);
    void sizeColumns();
    void showCheckedCount();
};

} // namespace quorvane
