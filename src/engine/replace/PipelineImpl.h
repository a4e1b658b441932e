#pragma once
// The state behind ReplacePipeline, shared by the files that implement it.
#include "engine/replace/HitLog.h"
#include "engine/replace/ReplacePipeline.h"
#include "engine/replace/RoomBuffer.h"
#include "engine/search/CandidateFilter.h"
#include "engine/search/Search.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>

namespace quorvane {

// Input is gathered into stretches; each stretch runs through every stage
// before the next one is gathered, so the text stays in cache while the pairs
// work on it. A stage holds back the last (find length - 1) units it saw after
// its last match: they may begin a match that the next stretch completes.
// Stages without a match in their stretch only move their tail; the text
// itself is copied only by stages that change it.
//
// With many pairs a candidate filter decides which stages need to search at
// all. Pair k must search whenever its find text occurs in its input. Such an
// occurrence either is untouched original text, which the filter saw when its
// last unit arrived, or overlaps text inserted (or a join left) by an earlier
// pair, in which case it lies within (longest find - 1) units of that
// insertion in the earlier pair's output, and that window is scanned too. Each
// stretch gets a stamp; units carry (a lower bound of) the stamp of the stretch
// that brought or inserted them, tails included. Pair k searches only where it
// was reported in this stretch, and in the part put in front from the tails
// when it was reported earlier at a stamp no older than the oldest unit in its
// input (HitLog keeps those ranges).
//
// Replacements can grow a stretch without limit (a -> aa, pair after pair). A
// stage whose output would pass `spillAt` units builds it in pieces of at most
// a stretch instead and runs each piece through the later stages before
// building the next (see PipelineGrowth.cpp), so the text held at once stays
// within a few stretches in all, and a stop is asked between pieces.

// A set of units kept by their low eight bits: a unit it does not hold is
// surely not among those added.
struct UnitBits {
    std::uint64_t bits[4] = {};
    template <typename Unit>
    static std::size_t Bit(Unit u) { return std::size_t(std::make_unsigned_t<Unit>(u)) & 255; }
    template <typename Unit>
    void add(Unit u) { bits[Bit(u) >> 6] |= std::uint64_t(1) << (Bit(u) & 63); }
    template <typename Unit>
    bool has(Unit u) const { return bits[Bit(u) >> 6] >> (Bit(u) & 63) & 1; }
};

// What a list of pairs needs before any text is seen. It never changes, so
// every pipeline over the same list (one per file of a batch) shares it.
template <typename Unit>
struct PreparedPairs {
    using String = std::basic_string<Unit>;
    struct TextInfo {
        std::uint32_t length;  // of the find text
        std::uint32_t pair;    // the first pair with it: the one that replaces it
        bool creates;          // that pair's replacement may form a later find
        std::uint32_t replaceLength;
        std::size_t replaceAt; // that pair's replace text in replaceStore
        bool formsInside = false;  // a later find lies inside that replace text
    };
    PipelineTuning tuning;
    std::vector<LiteralFinder<Unit>> finders;  // per pair; the needle is its find text
    std::vector<String> replaces;
    std::shared_ptr<const CandidateFilter<Unit>> filter;  // null: every stage searches everything
    std::vector<char> mayCreate;  // filter only: pair k's insertions can form a later find
    bool anyCreates = false;      // filter only: some text's pair can (mayCreate of a TextInfo::pair)
    std::vector<TextInfo> texts;  // filter only: per distinct find text
    String replaceStore;          // filter only: the replace texts of `texts` in turn, then slack padding
    HitShape shape;               // filter only
    // Filter only: the units a find holds before its last (leaders) and after
    // its first (followers): a find that reaches over the start of an
    // insertion holds the unit before it as a leader, one that reaches over
    // its end the unit after it as a follower.
    UnitBits leaders, followers;
    std::size_t reach = 0;        // filter only: longest find length - 1
    std::size_t stored = 0;       // units every stage's tail (and history) needs
    std::size_t room = 0;         // units every stage's tail takes in front of the text
    std::vector<std::size_t> laterRoom;  // per pair: what the stages after it may still take
    // When a few pairs can form later finds: the list cut into runs that each
    // can go in one pass, applied one after another (see SplitIntoRuns).
    std::vector<std::size_t> runStarts;
    std::vector<std::shared_ptr<const PreparedPairs>> runs;
};

template <typename Unit>
struct ReplacePipeline<Unit>::Impl {
    // What every stretch touches for every pair, kept small: with thousands of
    // pairs most stages only move their tail and history.
    struct Stage {
        std::size_t find = 0;       // find length; 0 passes everything through
        std::size_t tailLen = 0;    // input not yet settled: it may begin a match
        std::size_t historyLen = 0; // filter only: the last emitted units
        std::size_t pending = 0;    // filter only: window units still to come
        std::int64_t tailStamp = 0;
        Unit* tail = nullptr;       // find - 1 units of `store`, then the history
    };
    using Span = std::pair<std::size_t, std::size_t>;
    using TextInfo = typename PreparedPairs<Unit>::TextInfo;

    std::shared_ptr<const PreparedPairs<Unit>> prep;
    std::vector<Stage> stages;
    std::unique_ptr<Unit[]> store;
    std::vector<std::int64_t> counts;
    std::vector<std::uint32_t> counted;  // the pairs whose count is not zero
    void count(std::size_t k, std::int64_t made)
    {
        if (made == 0) return;
        if (counts[k] == 0) counted.push_back(std::uint32_t(k));
        counts[k] += made;
    }
    std::size_t stretch = 0;
    std::size_t front = 0;        // room kept in front: the tails, plus slack for growth
    std::size_t spillAt = 0;      // output of one stage, or of one pass, built whole up to this
    std::size_t pieceUnits = 0;   // what is handed on at once beyond it (plus one replace text)
    RoomBuffer<Unit> cur, spare;
    std::vector<RoomBuffer<Unit>> spilled;  // per stage: its input while it hands on pieces
    std::size_t spillDepth = 0;   // stages now handing on pieces, one within another
    // The pieces handed on by the spill at `depth` (from 1), and a quarter of
    // what a stage within it builds whole: halved at each depth, down to a
    // floor, so a long list of pairs that all grow the text holds little per pair.
    std::size_t pieceAt(std::size_t depth) const
    {
        const std::size_t floor = std::min<std::size_t>(pieceUnits, 1024);
        return std::max(floor, pieceUnits >> std::min<std::size_t>(depth - 1, 63));
    }
    std::vector<std::size_t> matches;
    String middle;

    std::shared_ptr<const CandidateFilter<Unit>> filter;  // the prepared one until dropped
    bool dropCostlyFilter = true;
    std::uint64_t filterUnits = 0;  // units the filter has scanned so far
    std::uint64_t skippedUnits = 0; // units the stages did not have to search
    std::size_t reach = 0;  // longest find length - 1
    HitLog hits;
    String inputHistory;    // the last original units before this stretch
    std::vector<Span> inserts;
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> windows;
    std::vector<Span> ranges;  // where the current stage searches
    static constexpr std::size_t kFewLaterPairs = 32;
    String scratch;

    // One-pass mode (filter only): see PipelineOnePass.cpp.
    struct Occurrence {
        std::uint32_t text;
        std::uint32_t pos;
        // Position first, then text: one comparison of 64 bits.
        std::uint64_t order() const { return std::uint64_t(pos) << 32 | text; }
    };
    bool onePass = false;
    // Runs of the list (PreparedPairs::runs), each with its own pipeline; the
    // output of one is the input of the next.
    std::vector<std::unique_ptr<ReplacePipeline>> runPipelines;
    std::vector<Sink> runSinks;
    std::vector<char> runStartedOnePass;
    const Sink* outerSink = nullptr;
    void setUpRuns();
    void feedRuns(View chunk, const Sink& sink);
    void finishRuns(const Sink& sink);
    // The runs' counts gathered into `counts`; whether they all kept their mode.
    void gatherRunCounts();
    bool runsOnePass() const;
    bool emitted = false;   // output has been handed on
    bool restart = false;   // the mode ended after output was handed on
    std::function<bool()> cancel;
    bool stopped = false;   // cancel answered true
    // True, and stopped set, when cancel asks to stop.
    bool stopNow()
    {
        if (!stopped && cancel) stopped = cancel();
        return stopped;
    }
    std::size_t held = 0;   // units kept back from the last stretch
    std::vector<Occurrence> occurrences, picks, mergedOccurrences, secondHalf, mergedSecondHalf;
    std::vector<std::uint32_t> clusterOrder;
    std::vector<char> taken;
    // For the checks of picks that may form later finds: each pick's
    // cluster (where it starts), and from the stretches before, the original
    // text and the picks in it (positions from this stretch's start).
    struct Kept {
        std::uint32_t text;
        std::ptrdiff_t pos;
    };
    std::vector<std::uint32_t> pickClusters;
    std::vector<Kept> keptPicks;
    String checkHistory;
    std::uint64_t settledBefore = 0;  // units before this stretch

    // Sets up every stage for the prepared pairs; onePass false keeps the
    // one-pass mode off.
    Impl(std::shared_ptr<const PreparedPairs<Unit>> prepared, bool onePass);
    ~Impl();
    // Sizes the stages, their tails and the hit log; the one-pass mode needs
    // none of them, so they wait until the stages first run.
    void setUpStages();
    bool stagesReady = false;
    // Runs the gathered stretch through every stage and hands the result to
    // sink; final also flushes every held-back tail.
    void run(bool final, const Sink& sink);
    // Runs cur through stages from..end and hands the result to sink.
    void runStages(std::size_t from, bool final, std::int64_t minStamp, const Sink& sink);
    // Stage k's output, too large to build at once: built from its input in
    // cur (settled of it final) piece by piece, each run through the later
    // stages. The filter is given up first (pieces would break its log).
    void spillStage(std::size_t k, bool final, std::size_t settled, std::int64_t minStamp, const Sink& sink);
    // Replaces every pair's occurrences in the gathered stretch at once and
    // hands the settled part to sink. False, with nothing handed on and cur
    // unchanged, when the stretch breaks the mode's conditions.
    bool runOnePass(bool final, const Sink& sink);
    // Hands on the picks' rebuild of the stretch up to settled in pieces, with
    // a stop asked between them; true, as runOnePass.
    bool handOnInPieces(std::size_t settled, const Sink& sink);
    // Keeps what the next stretch needs once the stretch is settled up to settled.
    void keepRest(std::size_t settled);
    // Every occurrence the filter confirms in x[0..n), in order.
    void findOccurrences(const Unit* x, std::size_t n);
    // Adds the replacements chosen among occurrences [a, b) (one cluster of
    // overlapping ones; mixed when of several texts) to picks.
    void pickCluster(std::size_t a, std::size_t b, bool mixed);
    // False when a pick that may form a later find does (see
    // PipelineOnePass.cpp); picks that cannot yet be checked (their right
    // side passes knownEnd) are dropped with their clusters and settled
    // moved back to them.
    bool checkCreators(std::size_t knownEnd, bool final, std::size_t& settled);
    // Reports the find texts that end in the gathered stretch.
    void scanInput();
    // Drops the filter for good once scanning has cost more than the searches
    // it spared (dense replacements make every pair search everywhere).
    void weighFilter();
    // Runs stage k over cur after putting its tail in front; lowers minStamp
    // to the oldest stamp the text may now carry. True when the output was too
    // large and the stage ran the later stages on it itself (spillStage).
    bool runStage(std::size_t k, bool final, std::int64_t& minStamp, const Sink& sink);
    // Replaces `matches` in cur, leaving stage k's output up to settled.
    void applyMatches(std::size_t k, std::size_t settled);
    // Appends input [from, to) with the matches replaced to out, whose first
    // unit is output position base.
    template <typename Out>
    void rebuild(std::size_t k, Out& out, std::size_t base, std::size_t from, std::size_t to);
    // Keeps the last `reach` units stage s has emitted.
    void keepHistory(Stage& s);
    // Scans the windows around stage k's insertions for later pairs' finds.
    void scanWindows(const Stage& s, std::size_t k);
    // Scans stage k's output [from, to); negative positions are its history.
    void scanWindow(const Stage& s, std::ptrdiff_t from, std::ptrdiff_t to, std::size_t k);
    // Where stage s keeps its history.
    Unit* history(const Stage& s) const { return s.tail + (s.find - 1); }
};

// memcpy for units; empty copies may come with null pointers.
template <typename Unit>
void CopyUnits(Unit* to, const Unit* from, std::size_t n)
{
    if (n) std::memcpy(to, from, n * sizeof(Unit));
}

// Copies n units from `from` to `to`, both of which have kCopySlackBytes of
// room behind the n units (RoomBuffer's slack, a padded store): that many
// bytes move as one fixed block whatever n is, so the many short pieces of a
// one-pass rebuild cost no library call and no mispredicted size test.
template <typename Unit>
[[gnu::always_inline]] inline void CopyWithSlack(Unit* to, const Unit* from, std::size_t n)
{
    constexpr std::size_t kBlock = kCopySlackBytes;
    auto* d = reinterpret_cast<unsigned char*>(to);
    const auto* s = reinterpret_cast<const unsigned char*>(from);
    unsigned char block[kBlock];
    std::memcpy(block, s, kBlock);
    std::memcpy(d, block, kBlock);
    const std::size_t bytes = n * sizeof(Unit);
    if (bytes > kBlock) std::memcpy(d + kBlock, s + kBlock, bytes - kBlock);
}

// Keeps the last `keep` units of history + added in history.
template <typename String, typename Unit>
void KeepLast(String& history, const Unit* added, std::size_t n, std::size_t keep)
{
    if (n >= keep) {
        history.assign(added + n - keep, keep);
    } else {
        history.append(added, n);
        if (history.size() > keep) history.erase(0, history.size() - keep);
    }
}

} // namespace quorvane
