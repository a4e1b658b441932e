#pragma once
// "Undo Last Run": puts back the files of the latest run kept in the backup
// store, and shows what happened to each in the report window.

#include <QString>

namespace quorvane {

class Form1;

// Ignored while a run goes. With no run kept, says "There is no run to undo.";
// otherwise asks first, then restores (files changed since stay as they are
// and their rows say why) and opens the undo's report. Trapped as
// "Form1.UndoButton_Click".
void UndoLastRun(Form1& form);

// The question asked before undoing: names the run's time, its description
// and how many files it changed.
QString UndoQuestion(const QString& started, const QString& description, qint64 files);

} // namespace quorvane
