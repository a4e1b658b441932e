#pragma once
// What failed while a file was read, written or put in place: the stage and
// the system's error number. The engine hands these on as values; the window
// and the command line choose the words.
#include <QString>

namespace quorvane {

enum class FileStage {
    None,
    Open,         // opening the source (missing, not a regular file, no access)
    Read,         // reading the opened source
    CreateTemp,   // creating the temporary file beside the output
    Write,        // writing the result (or the output path is unusable)
    Sync,         // making the result durable
    Rename,       // putting the result in place of the output
    KeepBackup,   // keeping the file the result replaces
    Spool,        // holding lines or changes aside while a file's diff is worked out
};

struct FileError {
    FileError() = default;
    FileError(FileStage s, int n, QString p, QString d = {})
        : stage(s), number(n), path(std::move(p)), detail(std::move(d))
    {
    }
    FileStage stage = FileStage::None;
    int number = 0;   // errno, or kNulInPath or kMalformedText (engine/files/FileAccess.h)
    QString path;     // the file the stage concerns: the source, or the output as resolved
    // Spool: the words of the spool file's own failure (it has no errno);
    // Read with kMalformedText: where and how the source's text is malformed.
    QString detail;
    bool failed() const { return stage != FileStage::None; }
    bool reading() const { return stage == FileStage::Open || stage == FileStage::Read; }
    bool operator==(const FileError&) const = default;
};

} // namespace quorvane
