#pragma once
// One pass over a stretch of text that tells which of many find texts occur in
// it, so the replacement stages of the others can be skipped.
//
// Find texts are grouped by length into classes. A class looks at keys of q
// units taken every d positions of the text; each of its find texts (all at
// least q + d - 1 long) is entered under its keys at offsets 0..d-1, so every
// occurrence contains a sampled key. A bitmap of key hashes rejects almost
// every sample at the cost of a multiply and a bit test; the rare sample that
// passes is confirmed against the entries of its bucket. Long find texts thus
// cost a fraction of a probe per position, and keys of six or more units keep
// ordinary text ("inte", "cons") from passing the bitmap all the time.
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
            if (fresh) patterns_.push_back({f, {}});
            patterns_[it->second].pairs.push_back(std::uint32_t(k));
            longest_ = std::max(longest_, f.size());
        }
        BuildClasses();
    }

    // Number of distinct non-empty find texts.
    std::size_t size() const { return patterns_.size(); }
    // Length of the longest find text.
    std::size_t longest() const { return longest_; }

    // The pairs (ascending) whose find text is distinct text i.
    const std::vector<std::uint32_t>& pairsOf(std::size_t i) const { return patterns_[i].pairs; }

    // Calls report.found(i, start) for every occurrence of distinct text i
    // inside text[0..n) that starts before startLimit. Where report.known(i)
    // says i was already found, a sample that matches its key is passed on
    // unconfirmed: the caller only widens a range with it.
    template <typename Report>
    void scan(const Unit* text, std::size_t n, std::size_t startLimit, Report& report) const
    {
        startLimit = std::min(startLimit, n);
        if (startLimit == 0) return;
        for (const Class& c : classes_) {
            if (c.units * sizeof(Unit) > 8) ScanClass<true>(c, text, n, startLimit, report);
            else ScanClass<false>(c, text, n, startLimit, report);
        }
    }

private:
    static constexpr std::size_t kKeyUnits = 8;  // at most 16 bytes

    struct Key128 {
        std::uint64_t lo = 0, hi = 0;
        bool operator==(const Key128&) const = default;
    };
    struct Pattern {
        std::basic_string<Unit> text;
        std::vector<std::uint32_t> pairs;  // ascending
    };
    struct Entry {
        Key128 key;
        std::uint32_t pattern;
        std::uint32_t offset;  // where the key sits in the find text
    };
    struct Class {
        std::size_t units;  // key length q
        std::size_t step;   // sampling distance d
        Key128 mask;
        unsigned shift;
        std::vector<std::uint64_t> bits;
        std::vector<std::uint32_t> start;  // bucket h holds entries[start[h]..start[h+1])
        std::vector<Entry> entries;
    };

    // One class's samples; Wide classes have keys of more than 8 bytes.
    template <bool Wide, typename Report>
    void ScanClass(const Class& c, const Unit* text, std::size_t n, std::size_t startLimit, Report& report) const
    {
        constexpr std::size_t loadUnits = (Wide ? 16 : 8) / sizeof(Unit);
        // Samples up to startLimit + d - 2 cover every start before startLimit.
        const std::size_t end = std::min(startLimit + c.step - 1, n - std::min(n, c.units - 1));
        const std::size_t fast = n >= loadUnits ? std::min(end, n - loadUnits + 1) : 0;
        const std::uint64_t* bits = c.bits.data();
        const Key128 mask = c.mask;
        const unsigned shift = c.shift;
        const std::size_t step = c.step;
        std::size_t s = 0;
        for (; s < fast; s += step) {
            Key128 key;
            std::memcpy(&key.lo, text + s, 8);
            if constexpr (Wide) std::memcpy(&key.hi, reinterpret_cast<const char*>(text + s) + 8, 8);
            key.lo &= mask.lo;
            key.hi &= mask.hi;
            const std::uint64_t h = Hash(key, shift);
            if ((bits[h >> 6] >> (h & 63)) & 1) Confirm(c, h, key, text, n, startLimit, s, report);
        }
        for (; s < end; s += step) {  // the last few samples: no full-width load
            const Key128 key = Key(text + s, c.units);
            const std::uint64_t h = Hash(key, shift);
            if ((bits[h >> 6] >> (h & 63)) & 1) Confirm(c, h, key, text, n, startLimit, s, report);
        }
    }

    static Key128 Key(const Unit* p, std::size_t units)
    {
        unsigned char bytes[16] = {};
        std::memcpy(bytes, p, units * sizeof(Unit));  // little-endian: first unit lowest
        Key128 key;
        std::memcpy(&key.lo, bytes, 8);
        std::memcpy(&key.hi, bytes + 8, 8);
        return key;
    }
    static Key128 Mask(std::size_t units)
    {
        const std::size_t bits = units * sizeof(Unit) * 8;
        return {bits >= 64 ? ~0ull : (1ull << bits) - 1,
                bits >= 128 ? ~0ull : bits > 64 ? (1ull << (bits - 64)) - 1 : 0};
    }
    static std::uint64_t Hash(const Key128& key, unsigned shift)
    {
        return (key.lo * 0x9E3779B97F4A7C15ull + key.hi * 0xC2B2AE3D27D4EB4Full) >> shift;
    }

    // Find texts of 6 units or more share one class whose key and step follow
    // the shortest of them; shorter ones get a class per length, keyed whole.
    void BuildClasses()
    {
        std::map<std::size_t, std::vector<std::uint32_t>> byClass;  // shortest length -> members
        std::size_t shortestLong = 0;
        for (std::size_t i = 0; i < patterns_.size(); ++i) {
            const std::size_t m = patterns_[i].text.size();
            if (m >= 6) shortestLong = shortestLong ? std::min(shortestLong, m) : m;
            else byClass[m].push_back(std::uint32_t(i));
        }
        for (auto& [m, members] : byClass) BuildClass(m, 1, members);
        if (shortestLong) {
            std::vector<std::uint32_t> members;
            for (std::size_t i = 0; i < patterns_.size(); ++i)
                if (patterns_[i].text.size() >= 6) members.push_back(std::uint32_t(i));
            const std::size_t step = std::min<std::size_t>(8, shortestLong - 5);
            BuildClass(std::min(kKeyUnits, shortestLong - step + 1), step, members);
        }
    }

    void BuildClass(std::size_t q, std::size_t d, const std::vector<std::uint32_t>& members)
    {
        std::vector<Entry> entries;
        for (std::uint32_t i : members)
            for (std::size_t j = 0; j < d; ++j)
                entries.push_back({Key(patterns_[i].text.data() + j, q), i, std::uint32_t(j)});
        // About 64 bits per entry keeps false alarms near one sample in 64.
        const unsigned logBits = std::clamp(unsigned(std::bit_width(entries.size() * 64)), 9u, 24u);
        Class c{q, d, Mask(q), 64 - logBits, std::vector<std::uint64_t>((std::size_t(1) << logBits) / 64, 0),
                std::vector<std::uint32_t>((std::size_t(1) << logBits) + 1, 0), {}};
        for (const Entry& e : entries) {
            const std::uint64_t h = Hash(e.key, c.shift);
            c.bits[h >> 6] |= 1ull << (h & 63);
            ++c.start[h + 1];
        }
        for (std::size_t h = 1; h < c.start.size(); ++h) c.start[h] += c.start[h - 1];
        c.entries.resize(entries.size());
        std::vector<std::uint32_t> fill(c.start.begin(), c.start.end() - 1);
        for (const Entry& e : entries) c.entries[fill[Hash(e.key, c.shift)]++] = e;
        classes_.push_back(std::move(c));
    }

    // Checks the bucket of a sample at s that passed the bitmap.
    template <typename Report>
    void Confirm(const Class& c, std::uint64_t h, const Key128& key, const Unit* text, std::size_t n,
                 std::size_t startLimit, std::size_t s, Report& report) const
    {
        for (std::uint32_t e = c.start[h]; e < c.start[h + 1]; ++e) {
            const Entry& entry = c.entries[e];
            if (!(entry.key == key) || entry.offset > s) continue;
            const Pattern& p = patterns_[entry.pattern];
            const std::size_t at = s - entry.offset;
            if (at >= startLimit || p.text.size() > n - at) continue;
            if (!report.known(entry.pattern) &&
                std::memcmp(text + at, p.text.data(), p.text.size() * sizeof(Unit)) != 0)
                continue;
            report.found(entry.pattern, at);
        }
    }

    std::vector<Pattern> patterns_;
    std::vector<Class> classes_;
    std::size_t longest_ = 0;
};

} // namespace quorvane
