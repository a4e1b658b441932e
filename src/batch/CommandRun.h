#pragma once
// Carries out a checked quorvane-batch command line.
#include "batch/BatchArguments.h"
#include "batch/Streams.h"
#include "engine/report/RunReport.h"

#include <cstdint>

namespace quorvane::batch {

// Reads the pairs and the file list, then processes every file in order,
// reporting failures and results to streams (not finished here). Returns the
// exit status: 0 every file succeeded, 1 some failed, 2 the run could not
// start (output folder or the report's folder missing, sets file unreadable)
// and nothing was touched.
int RunBatch(const BatchArguments& arguments, Streams& streams, std::FILE* terminal);

// "1 file", "3 files": n with the word for one or for many.
QString Counted(std::int64_t n, const char* one, const char* many);

// Why a report cannot be written to path, told before the run rather than
// after it: "--report PATH: REASON" when its folder is missing; empty otherwise.
QString ReportFolderProblem(const QString& path);

// Writes report to path as CSV, atomically; empty, or why it could not be written.
QString WriteReport(const QString& path, const RunReport& report);

} // namespace quorvane::batch
