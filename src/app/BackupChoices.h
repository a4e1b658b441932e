#pragma once
// The menu of "Undo Last Run": whether replaced files are kept for undo, the
// store's limits, and its folder.
#include <QString>

class QMenu;

namespace quorvane {

class Form1;

// A menu owned by the window: "Keep Backups Of Replaced Files" (checkable,
// stored at once), "Backup Limits..." (two input boxes) and "Open Backup
// Folder". A failure to store a choice is reported as
// "Form1.BackupChoices" and leaves the choice as it was.
QMenu* BackupChoicesMenu(Form1& form);

// The notice of a run refused because its backups cannot be kept in folder.
QString BackupsRefusedText(const QString& folder, const QString& why);

// "Backup Limits...": asks for the number of runs and the megabytes of
// backups to keep; an answer that is not a whole number of at least 1 is told
// and nothing changes, a cancelled box changes nothing.
void AskBackupLimits(Form1& form);

} // namespace quorvane
