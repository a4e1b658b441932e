#pragma once
// One dry run of a file with its result tapped and matched against the
// source line by line, hunks going to a sink.
#include "engine/FileReplace.h"
#include "engine/diff/DiffSides.h"
#include "engine/diff/LineMatcher.h"

#include <memory>
#include <optional>

namespace quorvane::diff {

class DiffRun : public ResultTap {
public:
    // onRestart: the sink's hunks so far are void (called before the diff starts again).
    DiffRun(const QString& source, HunkSink& sink, std::function<void()> onRestart, int context,
            qint64 maxChanges);

    // Runs the job as a dry run through this tap and finishes the diff;
    // `stop` is asked along the way (true: abandon the file, as cancelled).
    FileOutcome run(const QString& output, FileJob job, const std::function<bool()>& stop);
    qint64 total() const { return m_builder ? m_builder->total() : 0; }
    qint64 shown() const { return m_builder ? m_builder->shown() : 0; }

    void restart() override;
    void put(const char* data, qint64 len) override;

private:
    void start();
    bool nextOld(Line& line);
    bool failed() const { return (m_old && m_old->failed()) || !m_newError.isEmpty(); }

    QString m_source;
    QString m_oldPath;        // what the source holds by now: itself, or a dry run's stand-in
    ResultTap* m_next = nullptr;   // the job's own tap, which gets every byte too
    HunkSink& m_sink;
    std::function<void()> m_onRestart;
    int m_context;
    qint64 m_max;
    std::unique_ptr<OldLines> m_old;
    std::optional<Utf8Side> m_side;
    int m_skip = 0;   // bytes of the result's mark still to skip
    std::unique_ptr<LineSpool> m_newSpool;
    std::optional<LineCutter> m_cutter;
    QString m_newError;
    QByteArray m_scratch;
    std::unique_ptr<HunkBuilder> m_builder;
    std::unique_ptr<LineMatcher> m_matcher;
    std::function<bool()> m_abandon;
    bool m_draining = false;   // the result has ended; the source's rest is read
    bool m_abandoned = false;
    qint64 m_drained = 0;
};

} // namespace quorvane::diff
