#pragma once
// A multi-text automaton (trie with failure links) over a list of texts: after
// reading any text unit by unit from the root, the state is the longest suffix
// of what was read that is a prefix of one of the texts, and the failure links
// from it run through every shorter such suffix. Used on pair lists before any
// file is read, so it favours a quick build over a small footprint.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

namespace quorvane {

template <typename Unit>
class TextAutomaton {
public:
    using View = std::basic_string_view<Unit>;

    // Builds the trie of texts (empty ones are the root) and its failure links.
    explicit TextAutomaton(const std::vector<View>& texts)
    {
        std::size_t units = 0;
        for (const View& t : texts) units += t.size();
        parent_.reserve(units + 1);
        unit_.reserve(units + 1);
        depth_.reserve(units + 1);
        firstTo_.reserve(units + 1);
        firstUnit_.reserve(units + 1);
        parent_.push_back(0);
        unit_.push_back(Unit{});
        depth_.push_back(0);
        firstTo_.push_back(kNone);
        firstUnit_.push_back(Unit{});
        Reserve(64);
        ends_.reserve(texts.size());
        for (const View& t : texts) {
            std::uint32_t s = 0;
            for (const Unit u : t) {
                std::uint32_t next = Edge(s, u);
                if (next == kNone) {
                    next = std::uint32_t(parent_.size());
                    parent_.push_back(s);
                    unit_.push_back(u);
                    depth_.push_back(depth_[s] + 1);
                    firstTo_.push_back(kNone);
                    firstUnit_.push_back(Unit{});
                    AddEdge(s, u, next);
                }
                s = next;
            }
            ends_.push_back(s);
        }
        // Depth order (a stable counting sort): every failure link points to
        // a shallower state, which then already has its own.
        const std::size_t count = parent_.size();
        std::uint32_t deepest = 0;
        for (const std::uint32_t d : depth_) deepest = std::max(deepest, d);
        std::vector<std::uint32_t> start(std::size_t(deepest) + 2, 0);
        for (const std::uint32_t d : depth_) ++start[d + 1];
        for (std::size_t d = 1; d < start.size(); ++d) start[d] += start[d - 1];
        order_.resize(count);
        for (std::uint32_t s = 0; s < count; ++s) order_[start[depth_[s]]++] = s;
        fail_.assign(count, 0);
        for (const std::uint32_t s : order_) {
            if (depth_[s] < 2) continue;
            fail_[s] = step(fail_[parent_[s]], unit_[s]);
        }
    }

    static constexpr std::uint32_t root() { return 0; }
    std::size_t states() const { return parent_.size(); }
    // The state after reading u in state s.
    std::uint32_t step(std::uint32_t s, Unit u) const
    {
        for (;;) {
            const std::uint32_t next = Edge(s, u);
            if (next != kNone) return next;
            if (s == 0) return 0;
            s = fail_[s];
        }
    }
    // The state whose string is texts[i] whole.
    std::uint32_t endOf(std::size_t i) const { return ends_[i]; }
    std::uint32_t fail(std::uint32_t s) const { return fail_[s]; }
    // The state one unit shorter on the way from the root (the root's own is the root).
    std::uint32_t parent(std::uint32_t s) const { return parent_[s]; }
    std::uint32_t depth(std::uint32_t s) const { return depth_[s]; }
    // Every state, shallower ones first (the root first of all).
    const std::vector<std::uint32_t>& byDepth() const { return order_; }

private:
    static constexpr std::uint32_t kNone = ~std::uint32_t(0);
    // A state's first edge is kept with it: most states of a list's trie have
    // one, and a text's states follow one another, so reading along a text
    // stays in a few cache lines. Further edges live in one open-addressed
    // table keyed by (state, unit).
    struct Slot {
        std::uint64_t key = ~std::uint64_t(0);
        std::uint32_t to = kNone;
    };
    static std::uint64_t Key(std::uint32_t s, Unit u)
    {
        return std::uint64_t(s) << 32 | std::uint64_t(static_cast<std::make_unsigned_t<Unit>>(u));
    }
    std::size_t Home(std::uint64_t key) const { return std::size_t((key * 0x9E3779B97F4A7C15ull) >> shift_); }
    std::uint32_t Edge(std::uint32_t s, Unit u) const
    {
        if (firstUnit_[s] == u && firstTo_[s] != kNone) return firstTo_[s];
        if (used_ == 0) return kNone;
        const std::uint64_t key = Key(s, u);
        for (std::size_t i = Home(key);; i = (i + 1) & mask_) {
            if (slots_[i].key == key) return slots_[i].to;
            if (slots_[i].to == kNone) return kNone;
        }
    }
    void AddEdge(std::uint32_t s, Unit u, std::uint32_t to)
    {
        if (firstTo_[s] == kNone) {
            firstTo_[s] = to;
            firstUnit_[s] = u;
            return;
        }
        if (2 * (used_ + 1) > slots_.size()) Reserve(2 * slots_.size());
        const std::uint64_t key = Key(s, u);
        std::size_t i = Home(key);
        while (slots_[i].to != kNone) i = (i + 1) & mask_;
        slots_[i] = {key, to};
        ++used_;
    }
    // Makes room for at least `edges` slots, keeping the edges there are.
    void Reserve(std::size_t edges)
    {
        std::size_t size = 16;
        unsigned bits = 4;
        while (size < edges) {
            size *= 2;
            ++bits;
        }
        if (size <= slots_.size()) return;
        std::vector<Slot> old(size);
        old.swap(slots_);
        mask_ = size - 1;
        shift_ = 64 - bits;
        for (const Slot& slot : old) {
            if (slot.to == kNone) continue;
            std::size_t i = Home(slot.key);
            while (slots_[i].to != kNone) i = (i + 1) & mask_;
            slots_[i] = slot;
        }
    }

    std::vector<std::uint32_t> parent_, depth_, fail_, order_, ends_;
    std::vector<std::uint32_t> firstTo_;
    std::vector<Unit> unit_, firstUnit_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0, mask_ = 0;
    unsigned shift_ = 64;
};

} // namespace quorvane
