#include "app/PreviewNotes.h"

#include "engine/files/PathHelpers.h"
#include "engine/write/SharedOutputs.h"

#include <QCoreApplication>

namespace quorvane {

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("quorvane::PreviewNotes", text);
}

void Note(RunReportRow& row, const QString& text)
{
    row.reason = row.reason.isEmpty() ? text : row.reason + u' ' + text;
}

bool Produces(const RunReportRow& row)
{
    return row.outcome == RunOutcome::Written || row.outcome == RunOutcome::Unchanged;
}

} // namespace

void AddPreviewNotes(std::vector<RunReportRow>& rows, bool intoFolder)
{
    // Results meet in the file their writes land in: links followed, the
    // folder's spelling made canonical.
    std::vector<QString> outputs(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (Produces(rows[i]))
            outputs[i] = rows[i].output;
    }
    std::vector<qsizetype> replaces(rows.size(), -1), replacedBy(rows.size(), -1);
    for (const std::vector<qsizetype>& group : SharedOutputs(outputs)) {
        for (size_t k = 1; k < group.size(); ++k) {
            replaces[size_t(group[k])] = group[k - 1];
            replacedBy[size_t(group[k - 1])] = group[k];
        }
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        RunReportRow& row = rows[i];
        if (row.outcome == RunOutcome::Skipped) {
            // A skip comes with the run's reason (an empty or unreadable file,
            // a binary file, a file reached again); one without gets the
            // general words.
            row.reason = row.reason.isEmpty() ? Tr("Would be skipped: the file is empty or cannot be read.")
                                              : Tr("Would be skipped: %1.").arg(row.reason);
            continue;
        }
        if (outputs[i].isEmpty())
            continue;
        if (replaces[i] >= 0)
            Note(row, Tr("Same output as entry %1: this result replaces that one's.").arg(replaces[i] + 1));
        else if (intoFolder && row.output != row.source && FileExists(row.output))
            Note(row, Tr("Replaces an existing file."));
    }
    for (size_t j = 0; j < rows.size(); ++j)
        if (replacedBy[j] >= 0)
            Note(rows[j], Tr("Entry %1 has the same output: its result replaces this one's.").arg(replacedBy[j] + 1));
}

} // namespace quorvane
