#include "engine/report/RunReport.h"

#include <QFile>
#include <QStringList>

namespace quorvane {

QString RunOutcomeText(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Written: return QStringLiteral("written");
    case RunOutcome::Unchanged: return QStringLiteral("unchanged");
    case RunOutcome::Skipped: return QStringLiteral("skipped");
    case RunOutcome::Failed: return QStringLiteral("failed");
    case RunOutcome::NotReached: return QStringLiteral("not reached");
    case RunOutcome::Restored: return QStringLiteral("restored");
    case RunOutcome::Removed: return QStringLiteral("removed");
    }
    return {};
}

qsizetype RunReport::add(RunReportRow row)
{
    ++m_counts[static_cast<int>(row.outcome)];
    m_replacements += row.replacements;
    m_rows.push_back(std::move(row));
    return qsizetype(m_rows.size()) - 1;
}

void RunReport::markFailed(qsizetype index, const QString& reason)
{
    RunReportRow& row = m_rows.at(size_t(index));
    --m_counts[static_cast<int>(row.outcome)];
    ++m_counts[static_cast<int>(RunOutcome::Failed)];
    // A result that never landed made no replacements in any file.
    m_replacements -= row.replacements;
    row.replacements = 0;
    row.outcome = RunOutcome::Failed;
    row.reason = reason;
}

void RunReport::note(qsizetype index, const QString& text)
{
    QString& reason = m_rows.at(size_t(index)).reason;
    reason = reason.isEmpty() ? text : reason + QStringLiteral("; ") + text;
}

void RunReport::stopBefore(const std::vector<QString>& remainingSources)
{
    m_stopped = true;
    for (const QString& source : remainingSources)
        add({source, QString(), 0, RunOutcome::NotReached, QString()});
}

QString RunReport::totalsText() const
{
    const auto n = [this](RunOutcome o) { return QString::number(count(o)); };
    const qsizetype files = qsizetype(m_rows.size());
    if (count(RunOutcome::Restored) + count(RunOutcome::Removed) > 0) {
        QStringList parts;
        for (RunOutcome o : {RunOutcome::Written, RunOutcome::Unchanged, RunOutcome::Skipped}) {
            if (count(o) > 0)
                parts << n(o) + ' ' + RunOutcomeText(o);
        }
        for (RunOutcome o : {RunOutcome::Restored, RunOutcome::Removed, RunOutcome::Failed, RunOutcome::NotReached})
            parts << n(o) + ' ' + RunOutcomeText(o);
        QString text = QString::number(files) + (files == 1 ? " file: " : " files: ") + parts.join(", ");
        if (m_replacements != 0)
            text += "; " + QString::number(m_replacements) + (m_replacements == 1 ? " replacement" : " replacements");
        return text;
    }
    return QString::number(files) + (files == 1 ? " file: " : " files: ") + n(RunOutcome::Written)
           + " written, " + n(RunOutcome::Unchanged) + " unchanged, " + n(RunOutcome::Skipped)
           + " skipped, " + n(RunOutcome::Failed) + " failed, " + n(RunOutcome::NotReached)
           + " not reached; " + QString::number(m_replacements)
           + (m_replacements == 1 ? " replacement" : " replacements");
}

namespace {

void AppendField(QByteArray& out, const QByteArray& field)
{
    if (field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n')) {
        QByteArray quoted = field;
        quoted.replace("\"", "\"\"");
        out += '"' + quoted + '"';
    } else {
        out += field;
    }
}

} // namespace

QByteArray RunReportCsv(const RunReport& report)
{
    QByteArray out = "source,output,replacements,outcome,reason\r\n";
    for (const RunReportRow& row : report.rows()) {
        AppendField(out, QFile::encodeName(row.source));
        out += ',';
        AppendField(out, QFile::encodeName(row.output));
        out += ',' + QByteArray::number(qint64(row.replacements)) + ',';
        out += RunOutcomeText(row.outcome).toUtf8() + ',';
        AppendField(out, row.reason.toUtf8());
        out += "\r\n";
    }
    return out;
}

} // namespace quorvane
