#include "app/RunReportModel.h"

#include "app/RunReportView.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace quorvane {

void RunReportModel::setReport(RunReport report, ReportKind kind)
{
    beginResetModel();
    m_report = std::move(report);
    m_kind = kind;
    m_checked.assign(m_report.rows().size(), 1);
    endResetModel();
}

bool RunReportModel::checkable(int row) const
{
    return m_kind == ReportKind::Preview && row >= 0 && size_t(row) < m_report.rows().size()
        && m_report.rows()[size_t(row)].outcome == RunOutcome::Written;
}

void RunReportModel::setChecked(int row, bool checked)
{
    if (!checkable(row) || bool(m_checked[size_t(row)]) == checked)
        return;
    m_checked[size_t(row)] = checked;
    const QModelIndex at = index(row, FileColumn);
    emit dataChanged(at, at, {Qt::CheckStateRole});
}

std::vector<size_t> RunReportModel::checkedRows() const
{
    std::vector<size_t> rows;
    for (size_t row = 0; row < m_report.rows().size(); ++row)
        if (isChecked(int(row)))
            rows.push_back(row);
    return rows;
}

Qt::ItemFlags RunReportModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == FileColumn && checkable(index.row()))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool RunReportModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != FileColumn || !checkable(index.row()))
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
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
    if (index.isValid() && role == Qt::CheckStateRole && index.column() == FileColumn && checkable(index.row()))
        return int(m_checked[size_t(index.row())] ? Qt::Checked : Qt::Unchecked);
    if (index.isValid() && role == Qt::TextAlignmentRole && index.column() == ReplacementsColumn)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::UserRole))
        return {};
    const RunReportRow& row = m_report.rows().at(size_t(index.row()));
    switch (index.column()) {
    case FileColumn: return role == Qt::ToolTipRole ? row.source : QFileInfo(row.source).fileName();
    case FolderColumn: return QFileInfo(row.source).path();
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
        QT_TRANSLATE_NOOP("quorvane::RunReportWindow", "File"),
        QT_TRANSLATE_NOOP("quorvane::RunReportWindow", "Folder"),
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

namespace {

QString Tr(const char* text)
{
    return RunReportWindow::tr(text);
}

// "12 files: 3 written, ..." in the desktop's own digits and grouping.
QString Totals(const RunReport& report, ReportKind kind)
{
    const QLocale locale;
    const auto n = [&](RunOutcome outcome) { return locale.toString(report.count(outcome)); };
    const qsizetype files = qsizetype(report.rows().size());
    const QString replacements = (report.replacements() == 1 ? Tr("; %1 replacement") : Tr("; %1 replacements"))
                                     .arg(locale.toString(qlonglong(report.replacements())));
    const QString filesText = (files == 1 ? Tr("%1 file: ") : Tr("%1 files: ")).arg(locale.toString(files));
    // Not reached is news only when the run or undo was stopped.
    const QString notReached = report.stopped() ? Tr(", %1 not reached").arg(n(RunOutcome::NotReached)) : QString();
    switch (kind) {
    case ReportKind::Preview:
        return Tr("Preview: nothing has been written. ") + filesText
            + Tr("%1 would be written, %2 would stay unchanged, %3 skipped, %4 failed")
                  .arg(n(RunOutcome::Written), n(RunOutcome::Unchanged), n(RunOutcome::Skipped), n(RunOutcome::Failed))
            + notReached + replacements;
    case ReportKind::Undo:
        return filesText
            + Tr("%1 restored, %2 removed, %3 failed").arg(n(RunOutcome::Restored), n(RunOutcome::Removed),
                                                           n(RunOutcome::Failed))
            + notReached;
    case ReportKind::Run: break;
    }
    return filesText
        + Tr("%1 written, %2 unchanged, %3 skipped, %4 failed, %5 not reached")
              .arg(n(RunOutcome::Written), n(RunOutcome::Unchanged), n(RunOutcome::Skipped), n(RunOutcome::Failed),
                   n(RunOutcome::NotReached))
        + replacements;
}

} // namespace

QString RunReportSummary(const RunReport& report, ReportKind kind)
{
    const QString text = Totals(report, kind);
    if (!report.stopped())
        return text;
    // The first entry not reached is where the run stopped.
    const auto& rows = report.rows();
    const auto at = std::find_if(rows.begin(), rows.end(),
                                 [](const RunReportRow& row) { return row.outcome == RunOutcome::NotReached; });
    if (at == rows.end())
        return text + u'\n' + RunReportWindow::tr("The run was stopped after its last entry.");
    const QString entry = QLocale().toString(qlonglong(at - rows.begin() + 1));
    const QString total = QLocale().toString(qlonglong(rows.size()));
    // On several workers, entries after it may have been done beside it.
    const qsizetype after = rows.end() - at - 1;
    const qsizetype notReachedAfter = std::count_if(at + 1, rows.end(), [](const RunReportRow& row) {
        return row.outcome == RunOutcome::NotReached;
    });
    if (notReachedAfter < after)
        return text + u'\n'
            + RunReportWindow::tr("Stopped at entry %1 of %2, %3: it and %4 of the %5 entries after it were not "
                                  "reached.")
                  .arg(entry, total, at->source, QLocale().toString(qlonglong(notReachedAfter)),
                       QLocale().toString(qlonglong(after)));
    return text + u'\n'
        + RunReportWindow::tr("Stopped at entry %1 of %2, %3: it and the entries after it were not reached.")
              .arg(entry, total, at->source);
}

} // namespace quorvane
