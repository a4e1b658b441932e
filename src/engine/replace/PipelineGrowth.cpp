#include "engine/replace/PipelineImpl.h"

// Output that outgrows what is built at once. A stage's is made in pieces,
// each run through the later stages before the next is made: every stage
// gives the same text however its input is cut, so the result is the one the
// whole output would give. One pass hands its rebuild on in pieces.

namespace quorvane {

template <typename Unit>
void ReplacePipeline<Unit>::Impl::spillStage(std::size_t k, bool final, std::size_t settled, std::int64_t minStamp,
                                             const Sink& sink)
{
    // The filter's log holds positions in whole stretches; without it every
    // later stage searches all its input, which is always exact.
    filter.reset();
    if (spilled.size() < stages.size()) spilled.resize(stages.size());
    // The input stays in this stage's buffer while later stages work in cur;
    // a stage spills again only from a later stage's buffer, never its own.
    RoomBuffer<Unit>& input = spilled[k];
    std::swap(cur, input);
    const Unit* text = input.data();
    const LiteralFinder<Unit>& finder = prep->finders[k];
    const String& replace = prep->replaces[k];
    const std::size_t m = stages[k].find;
    // The matches are found again as the pieces are made (they all end by
    // `settled`): keeping them would cost more than the input itself.
    auto nextMatch = [&](std::size_t from) { return from + finder.find(text + from, settled - from); };
    const std::size_t piece = pieceAt(++spillDepth);
    std::size_t pos = 0, at = nextMatch(0);
    while (!stopNow()) {
        cur.reset(front);
        while (cur.size() < piece && pos < settled) {
            if (pos < at) {
                const std::size_t take = std::min(at - pos, piece - cur.size());
                cur.append(text + pos, take);
                pos += take;
            } else {
                cur.append(replace.data(), replace.size());
                pos = at + m;
                at = nextMatch(pos);
            }
        }
        const bool last = pos >= settled;
        runStages(k + 1, final && last, minStamp, sink);
        if (last) break;
    }
    --spillDepth;
    cur.reset(front);
}

// Hands on the picks' rebuild of the stretch up to `settled` in pieces, asking
// for a stop between them: output that grew past what is built at once.
template <typename Unit>
bool ReplacePipeline<Unit>::Impl::handOnInPieces(std::size_t settled, const Sink& sink)
{
    const Unit* x = cur.data();
    emitted = true;
    spare.reset(front);
    std::size_t pos = 0;
    auto handOn = [&] {
        if (spare.size()) sink(View(spare.data(), spare.size()));
        spare.reset(front);
        return !stopNow();
    };
    for (const Occurrence& o : picks) {
        const TextInfo& t = prep->texts[o.text];
        spare.append(x + pos, o.pos - pos);
        spare.append(prep->replaceStore.data() + t.replaceAt, t.replaceLength);
        pos = o.pos + t.length;
        count(t.pair, 1);
        if (spare.size() >= pieceUnits && !handOn()) return true;
    }
    spare.append(x + pos, settled - pos);
    if (handOn()) keepRest(settled);
    return true;
}

template struct ReplacePipeline<char>::Impl;
template struct ReplacePipeline<char16_t>::Impl;

} // namespace quorvane
