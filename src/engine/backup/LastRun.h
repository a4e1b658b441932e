#pragma once
// The store's note of the last run that wrote: every run but a dry run leaves
// it, whether it kept backups or not, so that undoing "the last run" can say
// that the last run kept none instead of quietly taking an older one. One
// small file in the store's folder, replaced whole by each run.
#include <QDateTime>
#include <QString>
#include <optional>

namespace quorvane {

inline constexpr char kLastRunName[] = "last-run.json";

struct LastRunNote {
    QDateTime started;   // UTC
    QString runId;       // the run's folder in the store; empty when it kept no backup
};

// Makes note the store's last. Best effort: a note that cannot be written
// (no store folder can be made, say) leaves the run as it is.
void WriteLastRunNote(const QString& storeFolder, const LastRunNote& note);

// The store's note; nullopt when there is none or it cannot be read.
std::optional<LastRunNote> ReadLastRunNote(const QString& storeFolder);

} // namespace quorvane
