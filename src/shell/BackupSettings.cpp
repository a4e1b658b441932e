#include "shell/BackupSettings.h"

#include "shell/Failure.h"
#include "shell/Settings.h"

namespace quorvane {

namespace {

// A stored limit, or def when it is missing, unreadable or not positive.
qint64 Limit(const QString& key, qint64 def)
{
    try {
        const int n = ReadWholeNumber(ReadSetting(key, QString::number(def)));
        return n >= 1 ? n : def;
    } catch (const Failure&) {
        return def;
    }
}

} // namespace

BackupChoices ReadBackupChoices()
{
    BackupChoices choices;
    choices.keep = ReadTruthSetting("Keep Backups", choices.keep);
    choices.runs = int(Limit("Backup Runs", choices.runs));
    choices.megabytes = Limit("Backup Megabytes", choices.megabytes);
    return choices;
}

void WriteBackupChoices(const BackupChoices& choices)
{
    WriteSetting("Keep Backups", TruthText(choices.keep));
    WriteSetting("Backup Runs", QString::number(choices.runs));
    WriteSetting("Backup Megabytes", QString::number(choices.megabytes));
}

} // namespace quorvane
