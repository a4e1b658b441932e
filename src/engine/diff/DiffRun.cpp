#include "engine/diff/DiffRun.h"

#include <algorithm>

namespace quorvane::diff {

DiffRun::DiffRun(const QString& source, HunkSink& sink, std::function<void()> onRestart, int context,
                 qint64 maxChanges)
    : m_source(source), m_oldPath(source), m_sink(sink), m_onRestart(std::move(onRestart)), m_context(context), m_max(maxChanges)
{
}

void DiffRun::start()
{
    // Lines held by the matcher and the builder may point into the spools.
    m_matcher.reset();
    m_builder.reset();
    m_old = std::make_unique<OldLines>();
    m_old->open(m_oldPath);
    const SourceForm form = m_old->detected().form;
    m_side.emplace(ResultSideOf(form));
    m_skip = int(ChooseCodec(m_old->detected()).resultMark.size());   // the result's own mark
    m_newSpool = std::make_unique<LineSpool>();
    m_cutter.emplace(m_newSpool.get());
    m_newError.clear();
    m_builder = std::make_unique<HunkBuilder>(m_sink, m_context, m_max);
    m_matcher = std::make_unique<LineMatcher>(*m_builder, [this](Line& line) { return nextOld(line); });
}

void DiffRun::restart()
{
    if (m_onRestart)
        m_onRestart();
    start();
    if (m_next)
        m_next->restart();
}

void DiffRun::put(const char* data, qint64 len)
{
    if (m_next)
        m_next->put(data, len);
    const qint64 skip = std::min<qint64>(m_skip, len);
    m_skip -= int(skip);
    m_scratch.clear();
    m_side->addBytes(data + skip, len - skip, m_scratch);
    if (m_newError.isEmpty()
        && !m_cutter->feed(m_scratch.constData(), m_scratch.size(), [this](Line&& line) { m_matcher->addNew(std::move(line)); }))
        m_newError = QStringLiteral("Cannot hold a long line: ") + m_newSpool->errorString();
}

FileOutcome DiffRun::run(const QString& output, FileJob job, const std::function<bool()>& stop)
{
    const std::function<bool()> cancelled = job.cancelled;
    m_abandon = [this, stop, cancelled] { return failed() || (stop && stop()) || (cancelled && cancelled()); };
    job.dryRun = true;
    // Changes are shown whether or not the file could be written now.
    job.forecastWrites = false;
    // The old side is what the entries before would have left in the file.
    if (const QString standIn = job.standIn ? job.standIn(m_source) : QString(); !standIn.isEmpty())
        m_oldPath = standIn;
    m_next = job.tap;
    job.tap = this;
    job.group = nullptr;
    job.cancelled = m_abandon;
    start();
    FileOutcome outcome = ProcessFile(m_source, output, job);
    // A file the run leaves alone has no changes to show.
    if (outcome.ok && (outcome.binary || outcome.sameAs >= 0))
        return outcome;
    if (outcome.ok) {
        // The source's lines after the result's last one are read here, heeding cancellation.
        m_draining = true;
        m_cutter->finish([this](Line&& line) { m_matcher->addNew(std::move(line)); });
        m_matcher->finish();
        m_builder->finish();
        if (m_abandoned) {
            outcome.ok = false;
            outcome.cancelled = true;
        }
    }
    if (failed()) {
        outcome.ok = false;
        outcome.cancelled = false;
        outcome.written = false;
        outcome.failure = m_newError.isEmpty() ? m_old->error() : FileError{FileStage::Spool, 0, m_source, m_newError};
        outcome.failure.path = m_source;   // not a stand-in's name
    }
    return outcome;
}

bool DiffRun::nextOld(Line& line)
{
    if (m_draining && ++m_drained % 4096 == 0 && m_abandon())
        m_abandoned = true;
    return !m_abandoned && m_old->next(line);
}

} // namespace quorvane::diff
