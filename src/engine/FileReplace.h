#pragma once
// Per-file replacement: reads a source by its mark, streams it through the pairs
// and writes the result atomically. The target is replaced only by a complete,
// synced result; a failure leaves it untouched and no temporary file behind.
#include "engine/RunPairs.h"
#include "engine/files/FileAccess.h"
#include "engine/files/FileError.h"
#include "engine/files/FileIdentity.h"
#include "engine/text/TextCodec.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorvane {

class CommitGroup;

// Receives a file's result as it is produced, on dry runs too. restart():
// what was received so far is void, the result starts again from its first byte.
class ResultTap {
public:
    virtual ~ResultTap() = default;
    virtual void restart() = 0;
    virtual void put(const char* data, qint64 len) = 0;
};

// Receives what a file's pairs matched, beside the counts, once the file is
// complete: pair (in the run's order) and its number of matches.
class MatchSink {
public:
    virtual ~MatchSink() = default;
    virtual void matched(size_t pair, std::int64_t count) = 0;
};

struct FileJob {
    // The run's pairs, prepared once for all its files. When empty, `pairs`
    // is prepared here (and kept for the next file with the same pairs).
    std::shared_ptr<const RunPairs> prepared;
    std::vector<Pair> pairs;            // applied in order; an empty find changes nothing
    qsizetype chunkUnits = 65536;       // input stretch per step (bytes or UTF-16 units)
    std::function<void()> yield;        // called at least once per chunk; may be empty
    // Asked after every yield and between the pipeline's steps; once it answers
    // true the file is abandoned within milliseconds. May be empty.
    std::function<bool()> cancelled;
    bool dryRun = false;                // count only, write nothing
    CommitGroup* group = nullptr;       // optional: defer sync+rename to group a batch's syncs
    qsizetype entry = -1;               // the run's entry index: results in a group land in list order
    // Optional: every byte of the result (mark and odd last byte included), in
    // order, once per go at the file; restarted when the file is read again.
    ResultTap* tap = nullptr;
    MatchSink* matches = nullptr;       // optional
    // Leaves a file without a mark whose first 8 KiB hold a NUL byte alone:
    // outcome.binary, nothing read further, nothing written.
    bool skipBinary = false;
    // On a dry run: a file that would be written but whose write would be
    // refused at once (WriteForecast) fails as the run would fail it.
    bool forecastWrites = false;
    // Optional, asked in place once the source is open: the entry of this run
    // (from 0) that already wrote the same real file by another path, or -1.
    // Such a file is left alone: outcome.sameAs.
    std::function<qsizetype(const FileIdentity& source)> writtenBefore;
    // Optional, not on dry runs: what the source's path was seen to reach
    // (LookAt) so lately that nothing of this run can have changed it since.
    // Spares looking at it again.
    const PathLook* look = nullptr;
    // Optional, on dry runs: the file that stands for what path would hold by
    // now (a result an earlier entry would have written there), or empty to
    // read path itself. Asked for the source and, in place, the output.
    std::function<QString(const QString& path)> standIn;
};

struct FileOutcome {
    bool ok = false;
    FileError failure;                  // what failed, when ok is false and not cancelled
    std::vector<std::int64_t> counts;   // replacements per pair
    FileCodec codec;                    // how the file was read (its class) and its result written
    // False when nothing needed writing; on a dry run, whether a real run
    // would write (in place, a result identical to the file would not be).
    bool written = false;
    // Abandoned on job.cancelled: ok is false, no failure is told, the source
    // and any existing output are as they were and no temporary file is left.
    bool cancelled = false;
    // Left alone by the job's rules (ok is true, nothing written): a binary
    // file, or the same file as an earlier entry of the run (its index).
    bool binary = false;
    qsizetype sameAs = -1;
    FileIdentity source;                // the source read, once opened
    FileIdentity result;                // what the output will be once written (not on dry runs)
};

// Replaces source's text into output (which may equal source). Results: Ansi and
// Utf8 as raw bytes without a mark, Unicode as UTF-16LE with FF FE. An in-place
// result byte for byte identical to the source leaves the source untouched. A
// path holding a NUL fails (read or write stage) before anything is opened.
FileOutcome ProcessFile(const QString& source, const QString& output, const FileJob& job);
// As above; with job.group set the result waits in the group (outcome.written is
// then true) and onLateWriteFailure receives what failed if its commit fails
// at the group's flush. A result waiting for source or output lands first, and a
// write that fails for lack of space while results wait is tried once more
// after they have landed.
FileOutcome ProcessFile(const QString& source, const QString& output, const FileJob& job,
                        const std::function<void(const FileError& error)>& onLateWriteFailure);

// Splits a multi-line text at CR LF pairs; a trailing pair gives a final empty
// line and an empty text gives no lines.
QStringList SplitLines(const QString& text);

// Pairs entry k of finds with entry k of replaces; a find without a partner
// is paired with the empty text (it deletes).
std::vector<Pair> PairLists(const QStringList& finds, const QStringList& replaces);

} // namespace quorvane
