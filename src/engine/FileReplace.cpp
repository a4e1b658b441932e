#include "engine/FileReplace.h"

#include "engine/files/FileAccess.h"
#include "engine/replace/ReplacePipeline.h"
#include "engine/text/SourceReader.h"
#include "engine/write/AtomicWrite.h"
#include "engine/write/CommitGroup.h"
#include "engine/write/TargetCompare.h"

#include <cerrno>
#include <mutex>
#include <sys/stat.h>

namespace quorvane {

namespace {

// Pairs as units of the file's class; pairs with an empty find are left out
// (they change nothing) and `kept` maps each kept pair back to its position.
template <typename Unit>
std::vector<UnitPair<Unit>> EncodePairs(const std::vector<Pair>& pairs, std::vector<size_t>& kept)
{
    std::vector<UnitPair<Unit>> out;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].find.isEmpty())
            continue;
        kept.push_back(i);
        if constexpr (sizeof(Unit) == 1) {
            const QByteArray f = pairs[i].find.toUtf8(), r = pairs[i].replace.toUtf8();
            out.push_back({std::string(f.constData(), size_t(f.size())), std::string(r.constData(), size_t(r.size()))});
        } else {
            const auto units = [](const QString& s) {
                return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
            };
            out.push_back({units(pairs[i].find), units(pairs[i].replace)});
        }
    }
    return out;
}

template <typename Unit>
bool NextBlock(SourceReader& reader, std::basic_string_view<Unit>& block)
{
    if constexpr (sizeof(Unit) == 1)
        return reader.nextBytes(block);
    else
        return reader.nextUnits(block);
}

enum class PumpResult { Done, ReadFailed, Restart, Cancelled };

// The pairs of the latest job made ready for each unit width. A batch runs the
// same pairs over every file, and with thousands of pairs getting them ready
// costs far more than a small file itself.
template <typename Unit>
struct PreparedCache {
    std::mutex lock;
    std::vector<Pair> pairs;
    std::vector<size_t> kept;
    std::shared_ptr<const PreparedPairs<Unit>> prepared;
};

template <typename Unit>
std::shared_ptr<const PreparedPairs<Unit>> Prepared(const std::vector<Pair>& pairs, std::vector<size_t>& kept)
{
    // Never destroyed: freeing thousands of prepared pairs at exit is wasted time.
    static PreparedCache<Unit>& cache = *new PreparedCache<Unit>;
    std::lock_guard<std::mutex> hold(cache.lock);
    if (!cache.prepared || cache.pairs != pairs) {
        cache.kept.clear();
        cache.prepared = PreparePairs(EncodePairs<Unit>(pairs, cache.kept));
        cache.pairs = pairs;
    }
    kept = cache.kept;
    return cache.prepared;
}

bool Cancelled(const FileJob& job)
{
    return job.cancelled && job.cancelled();
}

// Where a result goes: its temporary file, or on a dry run at most a
// comparison with the file it would replace; and the job's tap, if any.
struct ResultSink {
    AtomicFile* file = nullptr;
    TargetCompare* compare = nullptr;
    ResultTap* tap = nullptr;
    bool ok = true;   // false once a write failed (the file tells why)
    void put(const char* data, qint64 len)
    {
        if (tap)
            tap->put(data, len);
        if (file)
            ok = ok && file->append(data, len);
        else if (compare)
            compare->feed(data, len);
    }
};

// Streams the whole source through the pairs into dest. A write failure stops
// the pump and shows in the file's error. Restart means the pipeline's
// one-pass mode ended midway: run again with it off. Cancelled: job.cancelled
// answered true, after a yield or within the pipeline.
template <typename Unit>
PumpResult Pump(SourceReader& reader, const FileJob& job, bool onePass, ResultSink& dest, FileOutcome& outcome)
{
    std::vector<size_t> kept;
    ReplacePipeline<Unit> pipeline(Prepared<Unit>(job.pairs, kept), onePass);
    if (job.cancelled)
        pipeline.setCancel(job.cancelled);
    bool& writeOk = dest.ok;
    const auto sink = [&](std::basic_string_view<Unit> piece) {
        if (!piece.empty())
            dest.put(reinterpret_cast<const char*>(piece.data()), qint64(piece.size() * sizeof(Unit)));
    };
    const size_t chunk = size_t(std::max<qsizetype>(1, job.chunkUnits));
    bool readOk = true;
    if (job.yield)
        job.yield();   // also for an empty file
    if (Cancelled(job))
        return PumpResult::Cancelled;
    std::basic_string_view<Unit> block;
    while (writeOk && (readOk = NextBlock<Unit>(reader, block)) && !block.empty()) {
        for (size_t at = 0; at < block.size() && writeOk; at += chunk) {
            pipeline.feed(block.substr(at, chunk), sink);
            if (pipeline.cancelled())
                return PumpResult::Cancelled;
            if (pipeline.restartNeeded())
                return PumpResult::Restart;
            if (job.yield)
                job.yield();
            if (Cancelled(job))
                return PumpResult::Cancelled;
        }
    }
    if (readOk && writeOk) {
        pipeline.finish(sink);
        if (pipeline.cancelled())
            return PumpResult::Cancelled;
        if (pipeline.restartNeeded())
            return PumpResult::Restart;
    }
    const std::vector<std::int64_t>& counts = pipeline.counts();
    for (size_t k = 0; k < kept.size() && k < counts.size(); ++k)
        outcome.counts[kept[k]] = counts[k];
    return readOk ? PumpResult::Done : PumpResult::ReadFailed;
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat sa, sb;
    return ::stat(NativePath(a).constData(), &sa) == 0 && ::stat(NativePath(b).constData(), &sb) == 0
        && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The file in hand abandoned: `out` (if any) drops its temporary file.
FileOutcome Abandoned(FileOutcome outcome, std::unique_ptr<AtomicFile> out)
{
    if (out)
        out->discard();
    outcome.ok = false;
    outcome.cancelled = true;
    outcome.written = false;
    std::fill(outcome.counts.begin(), outcome.counts.end(), 0);
    return outcome;
}

FileOutcome Failed(FileOutcome outcome, FileOutcome::Stage stage, const QString& error)
{
    outcome.ok = false;
    outcome.failedAt = stage;
    outcome.error = error;
    outcome.written = false;
    return outcome;
}

// Forms that are written back byte for byte as they were read; only these can
// give a result identical to their source.
bool RoundTrips(SourceForm form)
{
    return form == SourceForm::Bytes || form == SourceForm::Utf16LE;
}

// One go at a file. writeError receives the errno of a write failure.
FileOutcome Attempt(const QString& source, const QString& output, const FileJob& job,
                    const std::function<void(const QString&)>& onLateWriteFailure, int& writeError)
{
    FileOutcome outcome;
    outcome.counts.assign(job.pairs.size(), 0);
    // A waiting result for the source lands when the source is opened; one for
    // the output must land first too, so results for one target land in order.
    if (job.group && job.group->isPending(output))
        job.group->commitWaiting();
    if (Cancelled(job))
        return Abandoned(std::move(outcome), nullptr);
    const bool inPlace = UsablePath(output) && SameFile(source, output);

    std::unique_ptr<SourceReader> reader;
    std::unique_ptr<AtomicFile> out;
    std::unique_ptr<TargetCompare> dryCompare;
    PumpResult pumped = PumpResult::Restart;
    // The first run tries the one-pass mode; when that has to end midway, the
    // file is read again from the start with the stages alone.
    for (bool onePass : {true, false}) {
        if (job.tap && !onePass)
            job.tap->restart();
        reader = std::make_unique<SourceReader>();
        if (!reader->open(source))
            return Failed(outcome, FileOutcome::Stage::Read, DescribeReadError(reader->errorNumber()));
        outcome.encoding = reader->detected().encoding;
        // In place, a result may come out identical to its source even though
        // replacements were made (a pair that puts back what it finds); such a
        // source is left alone, as if nothing had matched. A dry run tells so too.
        const bool compare = inPlace && RoundTrips(reader->detected().form);
        if (!job.dryRun) {
            out = std::make_unique<AtomicFile>(output);
            if (job.group)
                job.group->prepare(*out);
            if (compare)
                out->compareWithTarget();
        } else if (compare) {
            dryCompare = std::make_unique<TargetCompare>(output);
        }
        ResultSink dest{out.get(), dryCompare.get(), job.tap};
        if (outcome.encoding == TextEncoding::Unicode)
            dest.put("\xFF\xFE", 2);
        pumped = reader->wide() ? Pump<char16_t>(*reader, job, onePass, dest, outcome)
                               : Pump<char>(*reader, job, onePass, dest, outcome);
        if (pumped != PumpResult::Restart)
            break;
    }
    if (pumped == PumpResult::Cancelled)
        return Abandoned(std::move(outcome), std::move(out));
    if (pumped == PumpResult::ReadFailed)
        return Failed(outcome, FileOutcome::Stage::Read, DescribeReadError(reader->errorNumber()));
    const Detected detected = reader->detected();
    const QByteArray odd = reader->trailingByte();
    ResultSink dest{out.get(), dryCompare.get(), job.tap};
    if (!odd.isEmpty())
        dest.put(odd.constData(), odd.size());

    // In place, a result identical to its source leaves the source untouched
    // (its inode, times and hard links stay). Without replacements the forms
    // that round-trip are identical by construction; otherwise the bytes decide.
    bool replaced = false;
    for (std::int64_t c : outcome.counts)
        replaced = replaced || c > 0;
    if (job.dryRun) {
        outcome.ok = true;
        outcome.written = !(dryCompare && (!replaced || dryCompare->same()));
        return outcome;
    }
    if (inPlace && RoundTrips(detected.form) && out->errorNumber() == 0
        && (!replaced || out->sameAsTarget())) {
        out->discard();
        outcome.ok = true;
        return outcome;
    }
    // Last chance before the sync, which may take long for a large result.
    if (Cancelled(job))
        return Abandoned(std::move(outcome), std::move(out));

    if (!out->finish(job.group == nullptr) || (!job.group && !out->commit())) {
        writeError = out->errorNumber();
        return Failed(outcome, FileOutcome::Stage::Write, out->errorText());
    }
    if (job.group)
        job.group->adopt(std::move(out), output, onLateWriteFailure);
    outcome.ok = true;
    outcome.written = true;
    return outcome;
}

} // namespace

FileOutcome ProcessFile(const QString& source, const QString& output, const FileJob& job)
{
    return ProcessFile(source, output, job, {});
}

FileOutcome ProcessFile(const QString& source, const QString& output, const FileJob& job,
                        const std::function<void(const QString&)>& onLateWriteFailure)
{
    // A path holding a NUL would be cut short by the system and name another file.
    if (!UsablePath(source) || (!job.dryRun && !UsablePath(output))) {
        FileOutcome outcome;
        outcome.counts.assign(job.pairs.size(), 0);
        const bool badSource = !UsablePath(source);
        return Failed(outcome, badSource ? FileOutcome::Stage::Read : FileOutcome::Stage::Write,
                      badSource ? DescribeReadError(kNulInPath) : DescribeWriteError(kNulInPath));
    }
    int writeError = 0;
    FileOutcome outcome = Attempt(source, output, job, onLateWriteFailure, writeError);
    // Waiting results hold their space, and a descriptor each, until they are
    // renamed over the files they replace; once they land, the file may well fit.
    const bool shortOfRoom = writeError == ENOSPC || writeError == EDQUOT || writeError == EMFILE
                             || writeError == ENFILE;
    if (shortOfRoom && job.group && job.group->pendingCount() > 0 && !Cancelled(job)) {
        job.group->commitWaiting();
        writeError = 0;
        if (job.tap)
            job.tap->restart();
        outcome = Attempt(source, output, job, onLateWriteFailure, writeError);
    }
    return outcome;
}

} // namespace quorvane
