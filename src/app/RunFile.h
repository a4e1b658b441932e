#pragma once
// One entry of a window run through the engine: the per-file procedure's
// failure reports and the entry's row of the run report.
#include "engine/FileReplace.h"
#include "engine/report/RunReport.h"

namespace quorvane {

// Pairs of single mode: find line k with replace line k; a find line without a
// partner (the replace text is empty) is deleted.
std::vector<Pair> SinglePairs(const QString& findText, const QString& replaceText);

enum class FileMode { Single, Sets };

struct FileRunContext {
    std::function<void()> yield;
    std::function<bool()> cancelled;
    CommitGroup* group = nullptr;
    // Failures found while the file runs.
    FailureReporter report;
    // A failure of the file's waiting result when it is committed later (at the
    // group's flush), with the procedure and step to report it under.
    FailureReporter lateReport;
    // A preview: the file is judged and counted, nothing is written.
    bool dryRun = false;
};

struct FileRunResult {
    RunReportRow row;        // written, unchanged or failed (with the reason)
    bool cancelled = false;  // abandoned on ctx.cancelled: the row says nothing
};

// Replaces source into output with pairs, as "ReplaceText.ReplaceTextInFile"
// (single mode: read failures at step 100, write failures at 110) or
// "ReplaceText.ReplaceTextInFileCombo" (sets mode: 100 and 106). A failure is
// reported through ctx.report and gives a failed row; an abandoned file is not
// reported and leaves its source and output as they were.
FileRunResult RunFile(const QString& source, const QString& output, std::vector<Pair> pairs,
                      FileMode mode, const FileRunContext& ctx);

} // namespace quorvane
