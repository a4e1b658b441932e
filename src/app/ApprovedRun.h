#pragma once
// "Replace Checked Files" in a preview's report: writes exactly the files the
// user left checked, as a run of their own through the run driver (backups,
// report and undo as for any run), refusing each file that changed since the
// preview read it.
#include "engine/FileReplace.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace quorvane {

class Form1;

// A file as the preview read it; size -1 when it could not be read.
struct FileStamp {
    qint64 size = -1;
    QByteArray sha1;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of path as it is now.
FileStamp StampOf(const QString& path);

// One changed place of a file left out by the user: its lines in the source
// (oldStart, oldCount) and in the full result (newStart, newCount), counted as
// a unified diff's hunk header counts them.
struct LeftOut {
    qint64 oldStart = 0, oldCount = 0, newStart = 0, newCount = 0;
    bool operator==(const LeftOut&) const = default;
};

struct ApprovedFile {
    QString source, output;
    FileStamp stamp;               // taken by the preview
    std::vector<LeftOut> leftOut;  // in order; empty: every change is written
};

// Runs the approved files with the preview's pairs (matched as the preview
// matched them, whatever the options say now) and opens the run's report.
// Ignored while a run goes on; pairs with a refused pattern are told in a
// notice and write nothing. Null pairs change nothing.
void ReplaceApproved(Form1& form, std::vector<ApprovedFile> files, std::shared_ptr<const RunPairs> pairs);

} // namespace quorvane
