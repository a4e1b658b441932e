#pragma once
// "Undo Last Run": puts back the files of the latest run kept in the backup
// store, and shows what happened to each in the report window.

#include "engine/backup/BackupStore.h"

#include <QDateTime>
#include <QString>

namespace quorvane {

class Form1;

// Ignored while a run goes. With no run kept, says "There is no run to undo."
// (or that the last run kept no backups); otherwise asks first, naming the
// run (and saying so when a later run kept no backups), then restores (files
// changed since stay as they are and their rows say why) and opens the undo's
// report. Trapped as "Form1.UndoButton_Click".
void UndoLastRun(Form1& form);

// The question asked before undoing run: its time, where its results went,
// how many files it changed and their folder.
QString UndoQuestion(const BackupRunInfo& run);
// What is said when the last run, begun at last (UTC), kept no backups.
QString NoBackupsText(const QDateTime& last);
// The question asked instead of UndoQuestion when a run later than older kept no backups.
QString NoBackupsQuestion(const QDateTime& last, const BackupRunInfo& older);

} // namespace quorvane
