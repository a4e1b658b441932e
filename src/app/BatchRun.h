#pragma once
// "Start Replacing": walks the file list top to bottom and replaces text in
// each file, with the single texts or with the sets depending on the tab.
// "Preview" walks it the same way and writes nothing.
#include "engine/run/RunDriver.h"
#include "engine/run/WorkerScheduler.h"

#include <memory>

namespace quorvane {

class Form1;

// A window run's options from the stored choices (binary files, backups and
// their limits); its backups go to store. intoFolder: the results go to folder.
RunOptions WindowRunOptions(bool dryRun, BackupStore& store, bool intoFolder, const QString& folder);

// The workers of a window run over files entries: null (one file after
// another on this thread) when form.runWorkers or entries is below 2.
std::unique_ptr<WorkerScheduler> WindowWorkers(const Form1& form, qsizetype entries);

// PushButton12_Click. Ignored while a run is going on; trapped as
// "Form1.PushButton12_Click"; the per-file procedures report their own failures.
void RunBatch(Form1& form);

// The same run, checks and messages as RunBatch as a dry run: nothing is
// written, and the report that opens tells what each file would get, with the
// warnings a user should read before writing (see PreviewNotes.h).
void PreviewBatch(Form1& form);

} // namespace quorvane
