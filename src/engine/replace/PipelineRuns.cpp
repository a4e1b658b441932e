#include "engine/replace/PipelineImpl.h"

// A list cut into runs (PreparedPairs::runs): each run has a pipeline of its
// own, chained so that one run's output is the next one's input. Applying the
// runs in turn is applying the pairs in turn; each run, free of pairs that
// form its later finds, stays in one pass.

namespace quorvane {

template <typename Unit>
void ReplacePipeline<Unit>::Impl::setUpRuns()
{
    const std::size_t count = prep->runs.size();
    for (const auto& run : prep->runs) {
        runPipelines.push_back(std::make_unique<ReplacePipeline>(run));
        runStartedOnePass.push_back(runPipelines.back()->onePass());
    }
    runSinks.resize(count);
    for (std::size_t i = 0; i + 1 < count; ++i)
        runSinks[i] = [this, i](View piece) { runPipelines[i + 1]->feed(piece, runSinks[i + 1]); };
    runSinks[count - 1] = [this](View piece) { (*outerSink)(piece); };
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::feedRuns(View chunk, const Sink& sink)
{
    if (restart || stopped) return;
    outerSink = &sink;
    runPipelines.front()->feed(chunk, runSinks.front());
    for (const auto& run : runPipelines) {
        restart = restart || run->restartNeeded();
        stopped = stopped || run->cancelled();
    }
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::finishRuns(const Sink& sink)
{
    outerSink = &sink;
    for (std::size_t i = 0; i < runPipelines.size() && !restart && !stopped; ++i) {
        runPipelines[i]->finish(runSinks[i]);
        for (const auto& run : runPipelines) {
            restart = restart || run->restartNeeded();
            stopped = stopped || run->cancelled();
        }
    }
}

template <typename Unit>
void ReplacePipeline<Unit>::Impl::gatherRunCounts()
{
    for (const std::uint32_t k : counted) counts[k] = 0;
    counted.clear();
    for (std::size_t i = 0; i < runPipelines.size(); ++i) {
        const auto& part = runPipelines[i]->counts();
        for (const std::uint32_t k : runPipelines[i]->countedPairs()) count(prep->runStarts[i] + k, part[k]);
    }
}

template <typename Unit>
bool ReplacePipeline<Unit>::Impl::runsOnePass() const
{
    for (std::size_t i = 0; i < runPipelines.size(); ++i)
        if (runPipelines[i]->onePass() != bool(runStartedOnePass[i])) return false;
    return true;
}

template struct ReplacePipeline<char>::Impl;
template struct ReplacePipeline<char16_t>::Impl;

} // namespace quorvane
