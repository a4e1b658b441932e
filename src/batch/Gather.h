#pragma once
// What a quorvane-batch command line names: its pairs, and its list of files
// with the list files and folders that could not be read.
#include "batch/BatchArguments.h"
#include "engine/FileReplace.h"

#include <QString>
#include <functional>
#include <vector>

namespace quorvane::batch {

// 0 when path is a folder, else why not as an errno (ENOENT, ENOTDIR, ...).
int FolderError(const QString& path);

// Pairs from --find/--replace and sets files, in command-line order. False
// (with the reasons passed to say) when a sets file cannot be read, holds a
// line that is not UTF-8, or yields no pair.
bool GatherPairs(const BatchArguments& arguments, std::vector<Pair>& pairs,
                 const std::function<void(const QString&)>& say);

// One entry of the run's list: a file to process, or a list file, list line or
// folder that failed (failure says why, as the report gives it).
struct ListEntry {
    QString path;
    QString failure;
    QString root = {};   // the --folder that found it, as given; empty for other sources
};

// The entries in command-line order; each failure is also passed to say as
// its message, and so is a folder that yields no entry ("DIR: no file matches
// *.txt"), which is no failure.
std::vector<ListEntry> GatherFiles(const BatchArguments& arguments,
                                   const std::function<void(const QString&)>& say);

} // namespace quorvane::batch
