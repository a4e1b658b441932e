#pragma once
// Per-file replacement: reads a source by its mark, streams it through the pairs
// and writes the result atomically. The target is replaced only by a complete,
// synced result; a failure leaves it untouched and no temporary file behind.
#include "engine/text/TextCodec.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorvane {

struct Pair {
    QString find;
    QString replace;
    bool operator==(const Pair&) const = default;
};

class CommitGroup;

// Receives a file's result as it is produced, on dry runs too. restart():
// what was received so far is void, the result starts again from its first byte.
class ResultTap {
public:
    virtual ~ResultTap() = default;
    virtual void restart() = 0;
    virtual void put(const char* data, qint64 len) = 0;
};

struct FileJob {
    std::vector<Pair> pairs;            // applied in order; an empty find changes nothing
    qsizetype chunkUnits = 65536;       // input stretch per step (bytes or UTF-16 units)
    std::function<void()> yield;        // called at least once per chunk; may be empty
    // Asked after every yield and between the pipeline's steps; once it answers
    // true the file is abandoned within milliseconds. May be empty.
    std::function<bool()> cancelled;
    bool dryRun = false;                // count only, write nothing
    CommitGroup* group = nullptr;       // optional: defer sync+rename to group a batch's syncs
    // Optional: every byte of the result (mark and odd last byte included), in
    // order, once per go at the file; restarted when the file is read again.
    ResultTap* tap = nullptr;
};

struct FileOutcome {
    bool ok = false;
    enum class Stage { None, Read, Write } failedAt = Stage::None;
    QString error;                      // description of the failure
    std::vector<std::int64_t> counts;   // replacements per pair
    TextEncoding encoding = TextEncoding::Ansi;
    // False when nothing needed writing; on a dry run, whether a real run
    // would write (in place, a result identical to the file would not be).
    bool written = false;
    // Abandoned on job.cancelled: ok is false, no failure is told, the source
    // and any existing output are as they were and no temporary file is left.
    bool cancelled = false;
};

// Replaces source's text into output (which may equal source). Results: Ansi and
// Utf8 as raw bytes without a mark, Unicode as UTF-16LE with FF FE. An in-place
// result byte for byte identical to the source leaves the source untouched. A
// path holding a NUL fails (read or write stage) before anything is opened.
FileOutcome ProcessFile(const QString& source, const QString& output, const FileJob& job);
// As above; with job.group set the result waits in the group (outcome.written is
// then true) and onLateWriteFailure receives the description if its commit fails
// at the group's flush. A result waiting for source or output lands first, and a
// write that fails for lack of space while results wait is tried once more
// after they have landed.
FileOutcome ProcessFile(const QString& source, const QString& output, const FileJob& job,
                        const std::function<void(const QString& description)>& onLateWriteFailure);

// Splits a multi-line text at CR LF pairs; a trailing pair gives a final empty
// line and an empty text gives no lines.
QStringList SplitLines(const QString& text);

// Reports a failure: procedure identifier, step number, description.
using FailureReporter = std::function<void(const QString& procedure, int step, const QString& description)>;

struct ReplaceContext {
    std::function<void()> yield;
    FailureReporter report;
    CommitGroup* group = nullptr;
    // As FileJob::cancelled: a file abandoned on it is not reported. Results
    // already waiting in group are the caller's to flush or discard.
    std::function<bool()> cancelled;
    bool dryRun = false;   // as FileJob::dryRun: count and judge, write nothing
};

// Pairs entry k of finds with entry k of replaces; a find without a partner
// is paired with the empty text (it deletes).
std::vector<Pair> PairLists(const QStringList& finds, const QStringList& replaces);

// Processes one file with ctx's yield, cancellation and group as `procedure`:
// a failure goes to ctx.report at step 100 (read) or writeStep (write), a
// failure of its waiting result at the group's flush to late at writeStep; an
// abandoned file is not reported.
FileOutcome ProcessFileAs(const QString& source, const QString& output, std::vector<Pair> pairs,
                          const ReplaceContext& ctx, const FailureReporter& late,
                          const QString& procedure, int writeStep);

// Single mode: find line k is replaced by replace line k (or deleted when the
// replace text is empty). Failures go to ctx.report as "ReplaceText.ReplaceTextInFile"
// at step 100 (read) or 110 (write). Returns the replacements per find line.
std::vector<std::int64_t> ReplaceTextInFile(const QString& source, const QString& findText,
                                            const QString& replaceText, const QString& output,
                                            const ReplaceContext& ctx);

// Sets mode: set k is (finds[k], replaces[k]). Failures go to ctx.report as
// "ReplaceText.ReplaceTextInFileCombo" at step 100 (read) or 106 (write).
std::vector<std::int64_t> ReplaceTextInFileCombo(const QString& source, const QStringList& finds,
                                                 const QStringList& replaces, const QString& output,
                                                 const ReplaceContext& ctx);

} // namespace quorvane
