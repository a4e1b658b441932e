#pragma once
// Writing a file with only the changes the user approved: the full result as
// the run would write it, with each change left out put back as the source
// has it. Files without a mark are patched byte for byte; marked files on
// their text, written back in the result's encoding.
#include "app/ApprovedRun.h"
#include "engine/FileReplace.h"

#include <QByteArray>
#include <functional>
#include <vector>

namespace quorvane {

// result with the lines of each left-out change (in order) replaced by the
// source's lines of that change; lines end at LF and keep it.
QByteArray LeaveOut(const QByteArray& source, const QByteArray& result, const std::vector<LeftOut>& leftOut);

// ProcessFile (FileReplace.h) for a file with changes left out: the same
// checks, codec, backups and commit group; the counts leave out the
// replacements of the changes left out.
FileOutcome ProcessApproved(const QString& source, const QString& output, const FileJob& job,
                            const std::function<void(const FileError&)>& onLateWriteFailure,
                            const std::vector<LeftOut>& leftOut);

} // namespace quorvane
