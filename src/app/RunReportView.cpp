#include "app/RunReportView.h"

#include "app/DiffView.h"
#include "app/SummaryLabel.h"
#include "app/WindowFit.h"
#include "shell/Prompts.h"
#include "shell/SaveBytes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvane {

namespace {

// Paths elided at their start keep the part that tells them apart.
class ElideStartDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideLeft;
    }
};

} // namespace

RunReportWindow::RunReportWindow(Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_model(new RunReportModel(this)),
      m_filter(new RunReportFilter(this)), m_table(new QTableView(this)), m_totals(new SummaryLabel(this)),
      m_show(new QComboBox(this)), m_changes(new DiffView(this)), m_split(new QSplitter(Qt::Vertical, this))
{
    setObjectName("RunReportWindow");
    setWindowTitle(tr("Run Report"));
    m_filter->setSourceModel(m_model);
    m_table->setObjectName("RunReportTable");
    m_table->setModel(m_filter);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);   // list order until a header is clicked
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    auto* elideStart = new ElideStartDelegate(m_table);
    m_table->setItemDelegateForColumn(RunReportModel::FolderColumn, elideStart);
    m_table->setItemDelegateForColumn(RunReportModel::OutputColumn, elideStart);
    // Fixed row heights: a view of 100,000 rows never measures them. They are
    // as tall as the style draws a line of text, not a header section.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setMinimumSectionSize(1);
    m_table->verticalHeader()->setDefaultSectionSize(
        m_table->itemDelegate()->sizeHint(QStyleOptionViewItem(), QModelIndex()).height());
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_totals->setObjectName("RunReportTotals");
    m_totals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_show->setObjectName("RunReportShow");
    m_show->addItems({tr("All files"), tr("Failed files"), tr("Written files")});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* save = buttons->addButton(tr("Save as CSV..."), QDialogButtonBox::ActionRole);
    save->setObjectName("RunReportSave");
    m_replace = buttons->addButton(tr("Replace Checked Files"), QDialogButtonBox::ActionRole);
    m_replace->setObjectName("ReplaceCheckedButton");
    m_replace->setToolTip(tr("Write the checked files, each with its checked changes, as a run that can be undone"));
    m_replace->hide();
    m_table->installEventFilter(this);
    m_changes->setApproving(true);
    auto* top = new QHBoxLayout;
    top->addWidget(m_totals, 1);
    top->addWidget(new QLabel(tr("Show:"), this));
    top->addWidget(m_show);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    // The changes pane shares the height with the table; it shows only for a preview.
    m_split->setObjectName("RunReportSplit");
    m_split->setChildrenCollapsible(false);
    m_split->addWidget(m_table);
    m_split->addWidget(m_changes);
    m_changes->hide();
    layout->addWidget(m_split, 1);
    layout->addWidget(buttons);

    // Within the screen, however long the paths in the summary.
    resize(FitOnScreen(QSize(900, 500), minimumSizeHint(), screen()->availableGeometry()).size());

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(save, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(m_show, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_filter->setShow(RunReportFilter::Show(index)); });
    connect(m_table, &QTableView::doubleClicked, this, &RunReportWindow::openFolderOf);
    connect(m_split, &QSplitter::splitterMoved, this, [this] { m_splitMoved = true; });
    connect(m_replace, &QPushButton::clicked, this, &RunReportWindow::replaceCheckedRequested);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &RunReportWindow::showCheckedCount);
    connect(m_changes, &DiffView::checksChanged, this, [this] {
        if (m_shownRow >= 0)
            m_leftOut[size_t(m_shownRow)] = m_changes->leftOut();
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showChangesOf(current); });
}

void RunReportWindow::setReport(RunReport report, ReportKind kind, std::shared_ptr<const RunPairs> pairs)
{
    static const char* const titles[] = {QT_TR_NOOP("Run Report"), QT_TR_NOOP("Preview"), QT_TR_NOOP("Undo Report")};
    setWindowTitle(tr(titles[int(kind)]));
    m_totals->setFullText(RunReportSummary(report, kind));
    m_pairs = std::move(pairs);
    m_changes->clear();
    m_changes->setVisible(kind == ReportKind::Preview);
    // A filter chosen for the report before would hide rows of this one.
    m_show->setCurrentIndex(0);
    m_leftOut.clear();
    m_shownRow = -1;
    m_model->setReport(std::move(report), kind);
    m_sized = isVisible();
    m_replace->setVisible(kind == ReportKind::Preview);
    showCheckedCount();
    // An undo replaces nothing: its count would be 0 on every row.
    m_table->setColumnHidden(RunReportModel::ReplacementsColumn, kind == ReportKind::Undo);
    sizeColumns();
    m_rowChosen = false;
    splitFor(false);
}

void RunReportWindow::sizeColumns()
{
    // Each column as wide as its content, but the paths share what the others
    // and a little of Reason leave of the table's width; Reason, last, has the rest.
    using M = RunReportModel;
    int fixed = 0;
    for (int column : {M::FileColumn, M::ReplacementsColumn, M::OutcomeColumn}) {
        m_table->resizeColumnToContents(column);
        fixed += m_table->isColumnHidden(column) ? 0 : m_table->columnWidth(column);
    }
    m_table->resizeColumnToContents(M::FolderColumn);
    m_table->resizeColumnToContents(M::OutputColumn);
    const int folder = m_table->columnWidth(M::FolderColumn), output = m_table->columnWidth(M::OutputColumn);
    // The last section never shrinks below the header's default size.
    const int reason = std::max(m_table->horizontalHeader()->defaultSectionSize(), fontMetrics().averageCharWidth() * 16);
    const int room = std::max(m_table->viewport()->width() - fixed - reason, 0);
    if (folder + output <= room)
        return;
    const int half = room / 2;
    m_table->setColumnWidth(M::FolderColumn, std::min(folder, std::max(half, room - output)));
    m_table->setColumnWidth(M::OutputColumn, std::min(output, std::max(half, room - folder)));
}

void RunReportWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only now is the table as wide as it will show.
    if (!m_sized) {
        m_sized = true;
        QMetaObject::invokeMethod(this, &RunReportWindow::sizeColumns, Qt::QueuedConnection);
    }
}

void RunReportWindow::splitFor(bool rowChosen)
{
    if (m_splitMoved || !m_changes->isVisibleTo(this))
        return;
    const int height = std::max(m_split->height(), 300);
    m_split->setSizes(rowChosen ? QList<int>{height / 3, height - height / 3}
                                : QList<int>{height * 3 / 4, height - height * 3 / 4});
}

bool RunReportWindow::saveCsv()
{
    QString path = m_prompts.saveFile(tr("Save Run Report"), tr("CSV Files (*.csv);;All Files (*)"));
    if (path.isEmpty())
        return false;
    // A name typed without an extension gets the one the file's form has.
    if (QFileInfo(path).suffix().isEmpty() && !QFileInfo(path).fileName().startsWith(u'.'))
        path += QStringLiteral(".csv");
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
    const QString folder = QFileInfo(path).absolutePath();
    if (!m_prompts.openUrl(QUrl::fromLocalFile(folder)))
        m_prompts.notice(tr("The file is in %1.").arg(folder), ApplicationTitle());
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
    if (!m_rowChosen) {
        m_rowChosen = true;
        splitFor(true);
    }
    // Only a file that would be written has changes to show.
    m_shownRow = index.row();
    if (row.outcome != RunOutcome::Written)
        m_changes->clear();
    else
        m_changes->showChanges(row.source, row.output, m_pairs, leftOutOf(size_t(index.row())));
}

std::vector<LeftOut> RunReportWindow::leftOutOf(size_t row) const
{
    const auto it = m_leftOut.find(row);
    return it == m_leftOut.end() ? std::vector<LeftOut>() : it->second;
}

void RunReportWindow::showCheckedCount()
{
    m_replace->setEnabled(!m_model->checkedRows().empty());
}

bool RunReportWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        const int row = m_filter->mapToSource(m_table->currentIndex()).row();
        if (m_model->checkable(row)) {
            m_model->setChecked(row, !m_model->isChecked(row));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace quorvane
