#pragma once
// One pass over a stretch of text that tells which of many find texts occur in
// it, so the replacement stages of the others can be skipped. Each find text
// is keyed by its first few units; a bitmap of key hashes rejects almost every
// position at the cost of one multiply and one bit test, and the rare position
// that passes is confirmed against the find texts in its bucket.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace quorvane {

template <typename Unit>
class CandidateFilter {
public:
    // finds[k] is pair k's find text; empty ones are never reported.
    explicit CandidateFilter(const std::vector<const std::basic_string<Unit>*>& finds)
    {
        std::map<std::basic_string<Unit>, std::size_t> seen;
        for (std::size_t k = 0; k < finds.size(); ++k) {
            const auto& f = *finds[k];
            if (f.empty()) continue;
            auto [it, fresh] = seen.emplace(f, patterns_.size());
            if (fresh) patterns_.push_back({f, {}, Key(f.data(), std::min(f.size(), kKeyUnits))});
            patterns_[it->second].pairs.push_back(std::uint32_t(k));
            longest_ = std::max(longest_, f.size());
        }
        marked_.assign(patterns_.size(), Mark{});
        for (std::size_t q = 1; q <= kKeyUnits; ++q) BuildTable(q);
    }

    // Number of distinct non-empty find texts.
    std::size_t size() const { return patterns_.size(); }
    // Length of the longest find text.
    std::size_t longest() const { return longest_; }

    // Sets lastHit[k] = stamp for every pair k >= firstPair whose find text
    // occurs inside text[0..n) at a position before startLimit.
    void scan(const Unit* text, std::size_t n, std::size_t startLimit, std::size_t firstPair,
              std::int64_t stamp, std::vector<std::int64_t>& lastHit) const
    {
        startLimit = std::min(startLimit, n);
        const std::size_t fast = n >= kKeyUnits ? std::min(startLimit, n - kKeyUnits + 1) : 0;
        for (std::size_t s = 0; s < fast; ++s) {
            std::uint64_t word = 0;
            std::memcpy(&word, text + s, kKeyUnits * sizeof(Unit));
            for (const Table& t : tables_) {
                const std::uint64_t key = word & t.mask;
                const std::uint64_t h = Hash(key, t.shift);
                if ((t.bits[h >> 6] >> (h & 63)) & 1)
                    Confirm(t, h, key, text, n, s, firstPair, stamp, lastHit);
            }
        }
        for (std::size_t s = fast; s < startLimit; ++s) {  // near the end: shorter keys only
            for (const Table& t : tables_) {
                if (t.units > n - s) continue;
                const std::uint64_t key = Key(text + s, t.units);
                const std::uint64_t h = Hash(key, t.shift);
                if ((t.bits[h >> 6] >> (h & 63)) & 1)
                    Confirm(t, h, key, text, n, s, firstPair, stamp, lastHit);
            }
        }
    }

private:
    static constexpr std::size_t kKeyUnits = 8 / sizeof(Unit) >= 4 ? 4 : 8 / sizeof(Unit);

    struct Pattern {
        std::basic_string<Unit> text;
        std::vector<std::uint32_t> pairs;  // ascending
        std::uint64_t key;
    };
    struct Table {
        std::size_t units;  // key length of the find texts in this table
        std::uint64_t mask;
        unsigned shift;
        std::vector<std::uint64_t> bits;
        std::vector<std::uint32_t> start;  // bucket h holds entries[start[h]..start[h+1])
        std::vector<std::uint32_t> entries;
    };
    struct Mark {
        std::int64_t stamp = -1;
        std::size_t from = 0;
    };

    static std::uint64_t Key(const Unit* p, std::size_t units)
    {
        std::uint64_t key = 0;
        std::memcpy(&key, p, units * sizeof(Unit));  // little-endian: first unit lowest
        return key;
    }
    static std::uint64_t Hash(std::uint64_t key, unsigned shift)
    {
        return (key * 0x9E3779B97F4A7C15ull) >> shift;
    }

    // Builds the table of find texts whose key is their first q units (all of
    // them for texts shorter than the full key length).
    void BuildTable(std::size_t q)
    {
        std::vector<std::uint32_t> members;
        for (std::size_t i = 0; i < patterns_.size(); ++i)
            if (std::min(patterns_[i].text.size(), kKeyUnits) == q) members.push_back(std::uint32_t(i));
        if (members.empty()) return;
        // About 64 bits per find text keeps false alarms near one position in 64.
        const unsigned logBits = std::clamp(unsigned(std::bit_width(members.size() * 64)), 9u, 22u);
        Table t{q, q * sizeof(Unit) * 8 >= 64 ? ~0ull : (1ull << (q * sizeof(Unit) * 8)) - 1,
                64 - logBits, std::vector<std::uint64_t>((std::size_t(1) << logBits) / 64, 0),
                std::vector<std::uint32_t>((std::size_t(1) << logBits) + 1, 0), {}};
        for (std::uint32_t i : members) {
            const std::uint64_t h = Hash(patterns_[i].key, t.shift);
            t.bits[h >> 6] |= 1ull << (h & 63);
            ++t.start[h + 1];
        }
        for (std::size_t h = 1; h < t.start.size(); ++h) t.start[h] += t.start[h - 1];
        t.entries.resize(members.size());
        std::vector<std::uint32_t> fill(t.start.begin(), t.start.end() - 1);
        for (std::uint32_t i : members) t.entries[fill[Hash(patterns_[i].key, t.shift)]++] = i;
        tables_.push_back(std::move(t));
    }

    void Confirm(const Table& t, std::uint64_t h, std::uint64_t key, const Unit* text, std::size_t n,
                 std::size_t s, std::size_t firstPair, std::int64_t stamp,
                 std::vector<std::int64_t>& lastHit) const
    {
        for (std::uint32_t e = t.start[h]; e < t.start[h + 1]; ++e) {
            const std::uint32_t i = t.entries[e];
            const Pattern& p = patterns_[i];
            Mark& mark = marked_[i];
            if (mark.stamp == stamp && mark.from <= firstPair) continue;  // already reported
            if (p.key != key || p.text.size() > n - s) continue;
            if (std::memcmp(text + s, p.text.data(), p.text.size() * sizeof(Unit)) != 0) continue;
            mark = {stamp, mark.stamp == stamp ? std::min(mark.from, firstPair) : firstPair};
            for (auto k = std::lower_bound(p.pairs.begin(), p.pairs.end(), firstPair); k != p.pairs.end(); ++k)
                lastHit[*k] = stamp;
        }
    }

    std::vector<Pattern> patterns_;
    std::vector<Table> tables_;
    std::size_t longest_ = 0;
    mutable std::vector<Mark> marked_;  // skips re-confirming a text already reported
};

} // namespace quorvane
