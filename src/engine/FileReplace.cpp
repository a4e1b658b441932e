#include "engine/FileReplace.h"

#include "engine/files/FileAccess.h"
#include "engine/replace/ReplacePipeline.h"
#include "engine/text/SourceReader.h"
#include "engine/write/AtomicWrite.h"
#include "engine/write/CommitGroup.h"
#include "engine/write/TargetCompare.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <utility>

namespace quorvane {

namespace {

template <typename Unit>
bool NextBlock(SourceReader& reader, std::basic_string_view<Unit>& block)
{
    if constexpr (sizeof(Unit) == 1)
        return reader.nextBytes(block);
    else
        return reader.nextUnits(block);
}

enum class PumpResult { Done, ReadFailed, Restart, Cancelled, PatternFailed };

// The pairs of a file's counts that are not zero, when its replacer keeps
// them: with thousands of pairs, reading or clearing only those keeps the
// cost of a small file independent of the pairs that never match it.
struct CountedPairs {
    bool known = false;
    std::vector<size_t> pairs;
    // Zeroes counts again.
    void clear(std::vector<std::int64_t>& counts)
    {
        if (known) {
            for (size_t k : pairs)
                counts[k] = 0;
        } else {
            std::fill(counts.begin(), counts.end(), 0);
        }
        pairs.clear();
        known = false;
    }
    bool any(const std::vector<std::int64_t>& counts) const
    {
        if (known)
            return !pairs.empty();
        return std::any_of(counts.begin(), counts.end(), [](std::int64_t c) { return c > 0; });
    }
};

// A job that brings bare pairs gets them prepared here. A batch runs the same
// pairs over every file, so the latest ones are kept for the next file.
std::shared_ptr<const RunPairs> PairsOf(const FileJob& job)
{
    if (job.prepared)
        return job.prepared;
    static std::mutex lock;
    // Never destroyed: freeing thousands of prepared pairs at exit is wasted time.
    static std::shared_ptr<const RunPairs>& latest = *new std::shared_ptr<const RunPairs>;
    std::lock_guard<std::mutex> hold(lock);
    if (!latest || latest->pairs() != job.pairs)
        latest = std::make_shared<const RunPairs>(job.pairs);
    return latest;
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
// answered true, after a yield or within the pipeline. PatternFailed: the
// matcher could not go on (its reason is in `why`). dropUnchanged: a source
// that comes out unchanged is left alone, so its text need not reach dest.
template <typename Unit>
PumpResult Pump(SourceReader& reader, const FileJob& job, const RunPairs& pairs, bool onePass, bool dropUnchanged,
                ResultSink& dest, FileOutcome& outcome, CountedPairs& counted, QString& why)
{
    bool& writeOk = dest.ok;
    // A failed write ends the work too: replacements that grow the text could
    // otherwise go on making output that has nowhere to go.
    std::function<bool()> stop = [&job, &writeOk] { return !writeOk || Cancelled(job); };
    std::unique_ptr<StreamReplacer<Unit>> replacer;
    if constexpr (sizeof(Unit) == 1)
        replacer = pairs.bytes(onePass, stop);
    else
        replacer = pairs.units(onePass, stop);
    StreamReplacer<Unit>& pipeline = *replacer;
    const size_t chunk = size_t(std::max<qsizetype>(1, job.chunkUnits));
    // A chunk whose replacements grow it comes out in many pieces; yields come
    // between them too, so a stop asked for meanwhile is seen (the pipeline
    // asks between pieces).
    size_t sinceYield = 0;
    const auto sink = [&](std::basic_string_view<Unit> piece) {
        if (piece.empty())
            return;
        dest.put(reinterpret_cast<const char*>(piece.data()), qint64(piece.size() * sizeof(Unit)));
        sinceYield += piece.size();
        if (sinceYield >= 4 * chunk && job.yield) {
            sinceYield = 0;
            job.yield();
        }
    };
    bool readOk = true;
    if (job.yield)
        job.yield();   // also for an empty file
    if (Cancelled(job))
        return PumpResult::Cancelled;
    std::basic_string_view<Unit> block;
    bool firstBlock = true;
    while (writeOk && (readOk = NextBlock<Unit>(reader, block)) && !block.empty()) {
        // Most files of a tree hold no find at all: read whole in one block,
        // such a file goes past the replacer (and, when it is left alone
        // anyway, past dest) without being copied.
        const bool unchanged = std::exchange(firstBlock, false) && reader.atEnd() && pipeline.leavesUnchanged(block);
        for (size_t at = 0; at < block.size() && writeOk; at += chunk) {
            if (unchanged) {
                if (!dropUnchanged)
                    sink(block.substr(at, chunk));
            } else {
                pipeline.feed(block.substr(at, chunk), sink);
            }
            if (pipeline.cancelled() && writeOk)
                return PumpResult::Cancelled;
            if (pipeline.restartNeeded())
                return PumpResult::Restart;
            if (!(why = pipeline.failure()).isEmpty())
                return PumpResult::PatternFailed;
            sinceYield = 0;
            if (job.yield)
                job.yield();
            if (Cancelled(job))
                return PumpResult::Cancelled;
        }
    }
    if (readOk && writeOk) {
        pipeline.finish(sink);
        if (pipeline.cancelled() && writeOk)
            return PumpResult::Cancelled;
        if (pipeline.restartNeeded())
            return PumpResult::Restart;
        if (!(why = pipeline.failure()).isEmpty())
            return PumpResult::PatternFailed;
    }
    pipeline.addCounts(outcome.counts);
    counted.known = pipeline.countedPairs(counted.pairs);
    return readOk ? PumpResult::Done : PumpResult::ReadFailed;
}

// True when output reaches the file source reaches (seen in look, if taken).
bool SameFile(const QString& source, const QString& output, const PathLook& look)
{
    const FileIdentity identity = look.taken ? FileIdentity{look.st.st_dev, look.st.st_ino} : IdentityOf(source);
    if (source == output)
        return identity.known();
    return identity.known() && identity == IdentityOf(output);
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

FileOutcome Failed(FileOutcome outcome, FileError error)
{
    outcome.ok = false;
    outcome.failure = std::move(error);
    outcome.written = false;
    return outcome;
}

FileError ReadFailure(const SourceReader& reader, bool opening, const QString& source)
{
    return {opening ? FileStage::Open : FileStage::Read, reader.errorNumber(), source, reader.errorDetail()};
}

// Forms that are written back byte for byte as they were read; only these can
// give a result identical to their source.
bool RoundTrips(SourceForm form)
{
    return form == SourceForm::Bytes || form == SourceForm::Utf16LE;
}

// True when the job's rules leave the opened source alone (outcome tells why).
bool LeftAlone(const SourceReader& reader, const FileJob& job, bool inPlace, FileOutcome& outcome)
{
    if (inPlace && job.writtenBefore)
        outcome.sameAs = job.writtenBefore(outcome.source);
    outcome.binary = outcome.sameAs < 0 && job.skipBinary && reader.detected().markLength == 0
                     && reader.headHoldsNul();
    outcome.ok = outcome.binary || outcome.sameAs >= 0;
    return outcome.ok;
}

// One go at a file. writeError receives the errno of a write failure.
FileOutcome Attempt(const QString& source, const QString& output, const FileJob& job, const RunPairs& pairs,
                    const std::function<void(const FileError&)>& onLateWriteFailure, int& writeError,
                    CountedPairs& counted)
{
    FileOutcome outcome;
    outcome.counts.assign(pairs.pairs().size(), 0);
    // The source is looked at once for everything asked of its path before it
    // is opened: whether it is a link, what it reaches, and (in place under
    // the same name, as a tree run mostly is) what the output reaches.
    const bool sameName = source == output;
    // What was seen of the source's path before it was opened.
    PathLook look;
    if (job.look)
        look = *job.look;
    else if (!job.dryRun)
        look = LookAt(NativePath(source));
    // A result of this run still waiting for the source lands before the
    // source is read, so the file is read as the run left it; one waiting for
    // the output lands first too, so results for one target land in order.
    if (job.group) {
        const bool maybeLink = !look.taken || look.link;
        bool landed = !sameName && job.group->landBefore(source, maybeLink);
        landed = job.group->landBefore(output, sameName ? maybeLink : true) || landed;
        if (landed)
            look = LookAt(NativePath(source));   // a result now stands where the source was
    }
    if (Cancelled(job))
        return Abandoned(std::move(outcome), nullptr);
    const bool inPlace = UsablePath(output) && SameFile(source, output, look);
    // A dry run reads what the entries before would have left in the file.
    const QString standIn = job.dryRun && job.standIn ? job.standIn(source) : QString();
    const QString readPath = standIn.isEmpty() ? source : standIn;

    std::unique_ptr<SourceReader> reader;
    std::unique_ptr<AtomicFile> out;
    std::unique_ptr<TargetCompare> dryCompare;
    PumpResult pumped = PumpResult::Restart;
    QString why;
    // The first run tries the one-pass mode; when that has to end midway, the
    // file is read again from the start with the stages alone.
    for (bool onePass : {true, false}) {
        if (job.tap && !onePass)
            job.tap->restart();
        reader = std::make_unique<SourceReader>();
        if (!reader->open(readPath, onePass && look.taken ? &look.st : nullptr))
            return Failed(outcome, ReadFailure(*reader, true, source));
        outcome.codec = ChooseCodec(reader->detected());
        outcome.source = standIn.isEmpty() ? reader->identity() : IdentityOf(source);
        if (onePass && LeftAlone(*reader, job, inPlace, outcome))
            return outcome;
        // In place, a result may come out identical to its source even though
        // replacements were made (a pair that puts back what it finds); such a
        // source is left alone, as if nothing had matched. A dry run tells so too.
        const bool compare = inPlace && RoundTrips(reader->detected().form);
        if (!job.dryRun) {
            out = std::make_unique<AtomicFile>(output);
            out->expectBytes(reader->status().st_size);
            if (job.group)
                job.group->prepare(*out);
            // Under the same name, the file just read is the output's: what
            // was seen of it stands for the target, and it is compared with
            // through the descriptor already open.
            if (sameName && look.taken)
                out->assumeTarget(reader->status(), look.link);
            if (compare)
                out->compareWithTarget(sameName && look.taken ? reader->descriptor() : -1);
        } else if (compare) {
            dryCompare = std::make_unique<TargetCompare>(standIn.isEmpty() ? output : standIn);
        }
        ResultSink dest{out.get(), dryCompare.get(), job.tap};
        if (!outcome.codec.resultMark.isEmpty())
            dest.put(outcome.codec.resultMark.constData(), outcome.codec.resultMark.size());
        counted.clear(outcome.counts);
        // In place, a file nothing is replaced in is left alone whatever dest holds.
        const bool dropUnchanged = inPlace && !job.tap;
        pumped = reader->wide()
                     ? Pump<char16_t>(*reader, job, pairs, onePass, dropUnchanged, dest, outcome, counted, why)
                     : Pump<char>(*reader, job, pairs, onePass, dropUnchanged, dest, outcome, counted, why);
        if (pumped != PumpResult::Restart)
            break;
    }
    if (pumped == PumpResult::Cancelled)
        return Abandoned(std::move(outcome), std::move(out));
    if (pumped == PumpResult::ReadFailed)
        return Failed(outcome, ReadFailure(*reader, false, source));
    if (pumped == PumpResult::PatternFailed)
        return Failed(outcome, {FileStage::Read, kPatternFailed, source, why});
    const Detected detected = reader->detected();
    const QByteArray odd = reader->trailingBytes();
    ResultSink dest{out.get(), dryCompare.get(), job.tap};
    if (!odd.isEmpty())
        dest.put(odd.constData(), odd.size());

    // In place, a file nothing was replaced in is left untouched whatever its
    // form (its mark, inode, times and hard links stay): writing it back would
    // only drop a UTF-8 mark or turn UTF-32 into UTF-16. With replacements, a
    // result identical to its source, byte for byte, is left alone too.
    const bool replaced = counted.any(outcome.counts);
    if (job.dryRun) {
        outcome.ok = true;
        outcome.written = !(inPlace && (!replaced || (dryCompare && dryCompare->same())));
        if (outcome.written && job.forecastWrites) {
            if (FileError refused = WriteForecast(output); refused.failed())
                return Failed(outcome, std::move(refused));
        }
        return outcome;
    }
    if (inPlace && out->errorNumber() == 0 && (!replaced || (RoundTrips(detected.form) && out->sameAsTarget()))) {
        out->discard();
        outcome.ok = true;
        return outcome;
    }
    // Last chance before the sync, which may take long for a large result.
    if (Cancelled(job))
        return Abandoned(std::move(outcome), std::move(out));

    if (!out->finish(job.group == nullptr) || (!job.group && !out->commit())) {
        writeError = out->errorNumber();
        return Failed(outcome, out->error());
    }
    outcome.result = out->identity();
    if (job.group)
        job.group->adopt(std::move(out), output, onLateWriteFailure, job.entry);
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
                        const std::function<void(const FileError&)>& onLateWriteFailure)
{
    const std::shared_ptr<const RunPairs> pairs = PairsOf(job);
    // A path holding a NUL would be cut short by the system and name another file.
    if (!UsablePath(source) || (!job.dryRun && !UsablePath(output))) {
        FileOutcome outcome;
        outcome.counts.assign(pairs->pairs().size(), 0);
        const bool badSource = !UsablePath(source);
        return Failed(outcome, badSource ? FileError{FileStage::Open, kNulInPath, source}
                                         : FileError{FileStage::Write, kNulInPath, output});
    }
    int writeError = 0;
    CountedPairs counted{true, {}};   // the counts start all zero
    FileOutcome outcome = Attempt(source, output, job, *pairs, onLateWriteFailure, writeError, counted);
    // Waiting results hold their space, and a descriptor each, until they are
    // renamed over the files they replace; once they land, the file may well fit.
    const bool shortOfRoom = writeError == ENOSPC || writeError == EDQUOT || writeError == EMFILE
                             || writeError == ENFILE;
    if (shortOfRoom && job.group && job.group->pendingCount() > 0 && !Cancelled(job)) {
        job.group->commitWaiting();
        writeError = 0;
        if (job.tap)
            job.tap->restart();
        counted = {true, {}};
        outcome = Attempt(source, output, job, *pairs, onLateWriteFailure, writeError, counted);
    }
    if (outcome.ok && job.matches) {
        if (!counted.known) {
            counted.pairs.clear();
            for (size_t k = 0; k < outcome.counts.size(); ++k)
                counted.pairs.push_back(k);
        }
        std::sort(counted.pairs.begin(), counted.pairs.end());
        for (size_t k : counted.pairs) {
            if (outcome.counts[k] > 0)
                job.matches->matched(k, outcome.counts[k]);
        }
    }
    return outcome;
}

} // namespace quorvane
