#include "app/RunReportView.h"

#include "app/DiffView.h"
#include "shell/Prompts.h"
#include "shell/SaveBytes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvane {

void RunReportModel::setReport(RunReport report, ReportKind kind)
{
    beginResetModel();
    m_report = std::move(report);
    m_kind = kind;
    endResetModel();
}

QString OutcomeText(RunOutcome outcome, ReportKind kind)
{
    if (kind == ReportKind::Preview && outcome == RunOutcome::Written)
        return RunReportWindow::tr("would be written");
    if (kind == ReportKind::Preview && outcome == RunOutcome::Unchanged)
        return RunReportWindow::tr("would stay unchanged");
    if (kind == ReportKind::Preview && outcome == RunOutcome::Failed)
        return RunReportWindow::tr("would fail");
    return RunOutcomeText(outcome);
}

int RunReportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_report.rows().size());
}

int RunReportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RunReportModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && role == Qt::TextAlignmentRole && index.column() == ReplacementsColumn)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::UserRole))
        return {};
    const RunReportRow& row = m_report.rows().at(size_t(index.row()));
    switch (index.column()) {
    case SourceColumn: return row.source;
    case OutputColumn: return row.output;
    case ReplacementsColumn: return QVariant::fromValue<qlonglong>(row.replacements);
    case OutcomeColumn:
        return role == Qt::UserRole ? QVariant(int(row.outcome)) : QVariant(OutcomeText(row.outcome, m_kind));
    case ReasonColumn: return row.reason;
    }
    return {};
}

QVariant RunReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const names[] = {
        QT_TRANSLATE_NOOP("quorvane::RunReportWindow", "Source"),
        QT_TRANSLATE_NOOP("quorvane::RunReportWindow", "Output"),
        QT_TRANSLATE_NOOP("quorvane::RunReportWindow", "Replacements"),
        QT_TRANSLATE_NOOP("quorvane::RunReportWindow", "Outcome"),
        QT_TRANSLATE_NOOP("quorvane::RunReportWindow", "Reason"),
    };
    return section >= 0 && section < ColumnCount ? RunReportWindow::tr(names[section]) : QVariant();
}

RunReportFilter::RunReportFilter(QObject* parent) : QSortFilterProxyModel(parent)
{
    setSortRole(Qt::UserRole);
}

void RunReportFilter::setShow(Show show)
{
    m_show = show;
    invalidateFilter();
}

bool RunReportFilter::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    if (m_show == Show::All)
        return true;
    const auto outcome = RunOutcome(
        sourceModel()->index(row, RunReportModel::OutcomeColumn, parent).data(Qt::UserRole).toInt());
    if (m_show == Show::Failed)
        return outcome == RunOutcome::Failed;
    // An undo writes its files back (or removes the ones its run created).
    return outcome == RunOutcome::Written || outcome == RunOutcome::Restored || outcome == RunOutcome::Removed;
}

RunReportWindow::RunReportWindow(Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_model(new RunReportModel(this)),
      m_filter(new RunReportFilter(this)), m_table(new QTableView(this)), m_totals(new QLabel(this)),
      m_show(new QComboBox(this)), m_changes(new DiffView(this))
{
    setObjectName("RunReportWindow");
    setWindowTitle(tr("Run Report"));
    resize(900, 500);
    m_filter->setSourceModel(m_model);
    m_table->setObjectName("RunReportTable");
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);   // list order until a header is clicked
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    // Fixed row heights: a view of 100,000 rows never measures them.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_totals->setObjectName("RunReportTotals");
    m_totals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_show->setObjectName("RunReportShow");
    m_show->addItems({tr("All files"), tr("Failed files"), tr("Written files")});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* save = buttons->addButton(tr("Save as CSV..."), QDialogButtonBox::ActionRole);
    save->setObjectName("RunReportSave");
    auto* top = new QHBoxLayout;
    top->addWidget(m_totals, 1);
    top->addWidget(new QLabel(tr("Show:"), this));
    top->addWidget(m_show);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    // The changes pane shares the height with the table; it shows only for a preview.
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_changes);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    m_changes->hide();
    layout->addWidget(split, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(save, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(m_show, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_filter->setShow(RunReportFilter::Show(index)); });
    connect(m_table, &QTableView::doubleClicked, this, &RunReportWindow::openFolderOf);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showChangesOf(current); });
}

QString RunReportSummary(const RunReport& report, ReportKind kind)
{
    QString text = report.totalsText();
    if (kind == ReportKind::Preview) {
        const auto n = [&report](RunOutcome outcome) { return QString::number(report.count(outcome)); };
        const qsizetype files = qsizetype(report.rows().size());
        text = (files == 1 ? RunReportWindow::tr("Preview: nothing has been written. %1 file: ")
                           : RunReportWindow::tr("Preview: nothing has been written. %1 files: "))
                   .arg(files)
            + RunReportWindow::tr("%1 would be written, %2 would stay unchanged, %3 skipped, %4 failed")
                  .arg(n(RunOutcome::Written), n(RunOutcome::Unchanged), n(RunOutcome::Skipped), n(RunOutcome::Failed));
        if (report.stopped())
            text += RunReportWindow::tr(", %1 not reached").arg(n(RunOutcome::NotReached));
        text += (report.replacements() == 1 ? RunReportWindow::tr("; %1 replacement")
                                             : RunReportWindow::tr("; %1 replacements"))
                    .arg(report.replacements());
    }
    if (!report.stopped())
        return text;
    // The first entry not reached is where the run stopped.
    const auto& rows = report.rows();
    const auto at = std::find_if(rows.begin(), rows.end(),
                                 [](const RunReportRow& row) { return row.outcome == RunOutcome::NotReached; });
    if (at == rows.end())
        return text + u'\n' + RunReportWindow::tr("The run was stopped after its last entry.");
    return text + u'\n'
        + RunReportWindow::tr("Stopped at entry %1 of %2, %3: it and the entries after it were not reached.")
              .arg(QString::number(at - rows.begin() + 1), QString::number(rows.size()), at->source);
}

void RunReportWindow::setReport(RunReport report, ReportKind kind, std::vector<Pair> pairs)
{
    static const char* const titles[] = {QT_TR_NOOP("Run Report"), QT_TR_NOOP("Preview"), QT_TR_NOOP("Undo Report")};
    setWindowTitle(tr(titles[int(kind)]));
    m_totals->setText(RunReportSummary(report, kind));
    m_pairs = std::move(pairs);
    m_changes->clear();
    m_changes->setVisible(kind == ReportKind::Preview);
    m_model->setReport(std::move(report), kind);
    m_table->resizeColumnToContents(RunReportModel::ReplacementsColumn);
    m_table->resizeColumnToContents(RunReportModel::OutcomeColumn);
}

bool RunReportWindow::saveCsv()
{
    const QString path = m_prompts.saveFile(tr("Save Run Report"), tr("CSV Files (*.csv);;All Files (*)"));
    if (path.isEmpty())
        return false;
    if (!SavableTarget(path)) {
        m_prompts.notice(tr("%1 is not a regular file. The report was not saved.").arg(path), ApplicationTitle());
        return false;
    }
    QString why;
    if (SaveBytes(path, RunReportCsv(m_model->report()), &why))
        return true;
    m_prompts.notice(path + QStringLiteral(": ") + why, ApplicationTitle());
    return false;
}

void RunReportWindow::openFolderOf(const QModelIndex& proxyIndex)
{
    if (!proxyIndex.isValid())
        return;
    const RunReportRow& row = m_model->report().rows().at(size_t(m_filter->mapToSource(proxyIndex).row()));
    const QString path = row.output.isEmpty() ? row.source : row.output;
    m_prompts.openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void RunReportWindow::showChangesOf(const QModelIndex& proxyIndex)
{
    if (m_model->kind() != ReportKind::Preview)
        return;
    const QModelIndex index = m_filter->mapToSource(proxyIndex);
    if (!index.isValid()) {
        m_changes->clear();
        return;
    }
    const RunReportRow& row = m_model->report().rows().at(size_t(index.row()));
    // Only a file that would be written has changes to show.
    if (row.outcome != RunOutcome::Written)
        m_changes->clear();
    else
        m_changes->showChanges(row.source, row.output, m_pairs);
}

} // namespace quorvane
