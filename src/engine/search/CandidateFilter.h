#pragma once
// One pass over a stretch of text that tells which of many find texts occur in
// it, so the replacement stages of the others can be skipped.
//
// Find texts are grouped by length into classes. A class looks at keys of q
// units taken every d positions of the text; each of its find texts (all at
// least q + d - 1 long) is entered under its keys at d consecutive offsets, so
// every occurrence contains a sampled key. Longer texts choose where those
// offsets start: at the keys least likely in ordinary text ("word#12" keys on
// the '#', not on a word that occurs everywhere). A bitmap of key hashes rejects almost
// every sample at the cost of a multiply and a bit test; the rare sample that
// passes is confirmed against the entries of its bucket. Long find texts thus
// cost a fraction of a probe per position, and keys of five or more units keep
// ordinary text ("inte", "cons") from passing the bitmap all the time.
// Classes are chosen by their shortest member: see BuildClasses.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <type_traits>
#include <cstdint>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>
#include <string>
#include <vector>

#include "engine/search/FilterProbe.h"
#include "engine/search/Search.h"

namespace quorvane {

template <typename Unit>
class CandidateFilter {
public:
    // finds[k] is pair k's find text; empty ones are never reported.
    explicit CandidateFilter(const std::vector<const std::basic_string<Unit>*>& finds)
    {
        std::unordered_map<std::basic_string<Unit>, std::size_t> seen;
        seen.reserve(finds.size());
        patterns_.reserve(finds.size());
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
    // says i was already found, a sample that matches its first 16 bytes is
    // passed on unconfirmed: the caller only widens a range with it.
    // report.missed(i) hears of each sample checked against i that was not i.
    // A report with nextClass() hears when the next class (or literal text)
    // starts: within one, starts come nearly in ascending order.
    template <typename Report>
    void scan(const Unit* text, std::size_t n, std::size_t startLimit, Report& report) const
    {
        startLimit = std::min(startLimit, n);
        if (startLimit == 0) return;
        for (const Class& c : classes_) {
            if (!c.literals.empty()) {
                ScanLiterals(c, text, n, startLimit, report);
                continue;
            }
            if constexpr (requires { report.nextClass(); }) report.nextClass();
            ScanClass(c, text, n, startLimit, report);
        }
    }

private:
    static constexpr std::size_t kKeyUnits = 8;  // at most 16 bytes
    static constexpr unsigned kBucketBits = 4;   // bitmap bits per bucket, as a power of two

    struct Pattern {
        std::basic_string<Unit> text;
        std::vector<std::uint32_t> pairs;  // ascending
    };
    // What a sample that passes the bitmap is checked against, without
    // leaving the entry: a find text up to 16 bytes long is all in `head`.
    struct Entry {
        FilterKey head;          // the find text's first 16 bytes
        std::uint32_t pattern;
        std::uint32_t offset;    // where the key sits in the find text
        std::uint32_t length;    // of the find text
    };
    struct Class {
        std::size_t units;  // key length q
        std::size_t step;   // sampling distance d
        std::size_t maxOffset;  // where the latest key of a find text may start
        unsigned logBits;       // the bitmap has 2^logBits bits
        std::vector<std::uint64_t> bits;
        std::vector<std::uint32_t> start;  // bucket b holds entries[start[b]..start[b+1])
        std::vector<Entry> entries;
        // A literal class has no keys: each of its texts is searched in turn.
        std::vector<std::uint32_t> literals;
        std::vector<LiteralFinder<Unit>> finders;
    };

    // One vector search over the text costs about a tenth of a probe per unit.
    static constexpr double kLiteralCost = 0.1;

    template <typename Report>
    void ScanLiterals(const Class& c, const Unit* text, std::size_t n, std::size_t startLimit, Report& report) const
    {
        for (std::size_t t = 0; t < c.literals.size(); ++t) {
            if constexpr (requires { report.nextClass(); }) report.nextClass();
            const std::uint32_t i = c.literals[t];
            const std::size_t m = patterns_[i].text.size();
            const std::size_t limit = std::min(n, startLimit + m - 1);
            for (std::size_t p = 0; p + m <= limit;) {
                const std::size_t q = c.finders[t].find(text + p, limit - p);
                if (q == limit - p) break;
                report.found(i, p + q);
                p += q + 1;
            }
        }
    }

    // One class's samples, each passing the bitmap confirmed against its bucket.
    template <typename Report>
    void ScanClass(const Class& c, const Unit* text, std::size_t n, std::size_t startLimit, Report& report) const
    {
        // Samples up to startLimit + maxOffset + d - 2 cover every start before startLimit.
        const std::size_t end = std::min(startLimit + c.maxOffset + c.step - 1, n - std::min(n, c.units - 1));
        const ProbePlan plan{c.units * sizeof(Unit), c.step * sizeof(Unit), c.logBits, c.bits.data()};
        ProbeSamples(reinterpret_cast<const char*>(text), n * sizeof(Unit), end * sizeof(Unit), plan,
                     [&](std::size_t byteAt, std::uint32_t h) {
                         const std::size_t s = byteAt / sizeof(Unit);
                         Confirm(c, h, text, n, startLimit, s, report);
                     });
    }

    static FilterKey Key(const Unit* p, std::size_t units) { return LoadFilterKey(p, units * sizeof(Unit), 0); }

    // Key length and step of a class whose shortest find text has m units:
    // keys of five or more units where possible, and the longest step that
    // still puts a whole key inside every occurrence.
    static constexpr std::size_t kShortKey = 5;
    static std::pair<std::size_t, std::size_t> KeyAndStep(std::size_t m)
    {
        if (m < kShortKey) return {m, 1};
        // Steps stay short enough that longer texts have offsets to choose from.
        const std::size_t step = std::min<std::size_t>(4, m - kShortKey + 1);
        return {std::min(kKeyUnits, m - step + 1), step};
    }

    // Splits the find texts by length into classes, each class taking every
    // text from its shortest length up to the next class. The split minimizes
    // the probes per position (the sum of 1 / step), so a few short texts do
    // not make a second full pass when one class at step 1 does the same.
    void BuildClasses()
    {
        std::map<std::size_t, std::vector<std::uint32_t>> byLength;
        for (std::size_t i = 0; i < patterns_.size(); ++i)
            byLength[patterns_[i].text.size()].push_back(std::uint32_t(i));
        std::vector<std::size_t> lengths;
        for (const auto& entry : byLength) lengths.push_back(entry.first);
        const std::size_t count = lengths.size();
        // best[a] = cost of classing lengths[a..]; cut[a] = where a's class ends.
        std::vector<double> best(count + 1, 0.0);
        std::vector<std::size_t> cut(count + 1, count);
        // members[a][b]: how many texts have lengths[a..b).
        std::vector<std::size_t> upTo(count + 1, 0);
        for (std::size_t b = 0; b < count; ++b) upTo[b + 1] = upTo[b] + byLength[lengths[b]].size();
        // A class of a few texts is cheaper searched text by text with the
        // vector search than probed at every step.
        auto classCost = [&](std::size_t a, std::size_t b) {
            return std::min(1.0 / double(KeyAndStep(lengths[a]).second), kLiteralCost * double(upTo[b] - upTo[a]));
        };
        for (std::size_t a = count; a-- > 0;) {
            best[a] = -1;
            for (std::size_t b = a + 1; b <= count; ++b) {
                // Short keys pass on ordinary text all the time: a class of
                // short find texts never takes in long ones, whose longer keys
                // would otherwise be cut down to the short length.
                if (lengths[a] < kShortKey && lengths[b - 1] >= kShortKey) break;
                // Nor does it take in a longer short text: its key would be
                // shared by every text that begins alike, and a sample would
                // have to be compared with all of them.
                if (lengths[a] < kShortKey && b - 1 > a) break;
                const double cost = classCost(a, b) + best[b];
                if (best[a] < 0 || cost < best[a] - 1e-9) {
                    best[a] = cost;
                    cut[a] = b;
                }
            }
        }
        for (std::size_t a = 0; a < count; a = cut[a]) {
            std::vector<std::uint32_t> members;
            for (std::size_t b = a; b < cut[a]; ++b)
                members.insert(members.end(), byLength[lengths[b]].begin(), byLength[lengths[b]].end());
            const auto [q, step] = KeyAndStep(lengths[a]);
            if (kLiteralCost * double(members.size()) < 1.0 / double(step)) {
                Class c{};
                c.units = q;
                for (std::uint32_t i : members) {
                    c.literals.push_back(i);
                    c.finders.emplace_back(patterns_[i].text);
                }
                classes_.push_back(std::move(c));
            } else {
                BuildClass(q, step, members);
            }
        }
    }

    // Rough log2 frequency of a unit in ordinary text: spaces and lower-case
    // letters are everywhere, punctuation other than the commonest is rare.
    static double LogCommonness(Unit unit)
    {
        const auto u = static_cast<std::make_unsigned_t<Unit>>(unit);
        if (u == ' ') return -2.6;
        if (u >= 'a' && u <= 'z') return -4.3;
        if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')) return -6.6;
        if (u == '\r' || u == '\n' || u == '\t') return -5.6;
        if (u >= 0x80) return -6.6;
        switch (u) {
        case ',': case '.': case '-': case '\'': case '"': case ':': case ';': case '(': case ')': case '/': case '_':
            return -7.6;
        default:
            return -10.0;
        }
    }

    // Rough frequency of a unit in ordinary text (2 to the LogCommonness).
    static double Frequency(Unit unit)
    {
        static const auto table = [] {
            std::array<double, 129> t{};
            for (unsigned u = 0; u < 128; ++u) t[u] = std::exp2(LogCommonness(Unit(u)));
            t[128] = std::exp2(LogCommonness(Unit(0x80)));
            return t;
        }();
        const auto u = static_cast<std::make_unsigned_t<Unit>>(unit);
        return table[std::min<unsigned>(u, 128)];
    }

    // The first of the d consecutive key offsets (keys of q units) in text
    // whose keys are together least likely in ordinary text.
    static std::size_t RarestOffsets(const std::basic_string<Unit>& text, std::size_t q, std::size_t d)
    {
        const std::size_t last = text.size() - q - d + 1;
        if (last == 0) return 0;
        // key[j]: how likely the key at j is, as the product of its units'.
        std::vector<double> key(text.size() - q + 1);
        for (std::size_t j = 0; j < key.size(); ++j) {
            double likely = 1;
            for (std::size_t u = j; u < j + q; ++u) likely *= Frequency(text[u]);
            key[j] = likely;
        }
        double window = 0;
        for (std::size_t j = 0; j < d; ++j) window += key[j];
        std::size_t best = 0;
        double bestWindow = window;
        for (std::size_t o = 1; o <= last; ++o) {
            window += key[o + d - 1] - key[o - 1];
            if (window < bestWindow * (1 - 1e-9)) {
                best = o;
                bestWindow = window;
            }
        }
        return best;
    }

    void BuildClass(std::size_t q, std::size_t d, const std::vector<std::uint32_t>& members)
    {
        const std::size_t count = members.size() * d;
        // About 64 bits per entry keeps false alarms near one sample in 64; a
        // small class gets at least 4 KB, which still stays in the first-level cache.
        const unsigned logBits = std::clamp(unsigned(std::bit_width(count * 64)), 15u, 24u);
        // Buckets are coarser than bitmap bits, which keeps the bucket index
        // small; comparing the text tells a bucket's entries apart.
        Class c{q, d, 0, logBits, std::vector<std::uint64_t>((std::size_t(1) << logBits) / 64, 0),
                std::vector<std::uint32_t>((std::size_t(1) << (logBits - kBucketBits)) + 1, 0), {}, {}, {}};
        std::vector<std::uint32_t> offsets(members.size()), hashes(count);
        for (std::size_t m = 0; m < members.size(); ++m) {
            const Pattern& p = patterns_[members[m]];
            const std::size_t o = RarestOffsets(p.text, q, d);
            offsets[m] = std::uint32_t(o);
            c.maxOffset = std::max(c.maxOffset, o);
            for (std::size_t j = 0; j < d; ++j) {
                const std::uint32_t h = FilterHash(Key(p.text.data() + o + j, q), logBits);
                hashes[m * d + j] = h;
                c.bits[h >> 6] |= 1ull << (h & 63);
                ++c.start[(h >> kBucketBits) + 1];
            }
        }
        for (std::size_t b = 1; b < c.start.size(); ++b) c.start[b] += c.start[b - 1];
        c.entries.resize(count);
        std::vector<std::uint32_t> fill(c.start.begin(), c.start.end() - 1);
        for (std::size_t m = 0; m < members.size(); ++m) {
            const Pattern& p = patterns_[members[m]];
            const FilterKey head = LoadFilterKey(p.text.data(), std::min<std::size_t>(16, p.text.size() * sizeof(Unit)), 0);
            for (std::size_t j = 0; j < d; ++j)
                c.entries[fill[hashes[m * d + j] >> kBucketBits]++] = {head, members[m], offsets[m] + std::uint32_t(j),
                                                                       std::uint32_t(p.text.size())};
        }
        classes_.push_back(std::move(c));
    }

    // Checks the bucket of a sample at s that passed the bitmap. Inlined: on
    // dense text most samples pass, and a call cost a tenth of the check.
    template <typename Report>
    [[gnu::always_inline]] void Confirm(const Class& c, std::uint32_t h, const Unit* text, std::size_t n,
                                        std::size_t startLimit, std::size_t s, Report& report) const
    {
        const std::uint32_t b = h >> kBucketBits;
        for (std::uint32_t e = c.start[b]; e < c.start[b + 1]; ++e) {
            const Entry& entry = c.entries[e];
            if (entry.offset > s) continue;
            const std::size_t at = s - entry.offset;
            if (at >= startLimit || entry.length > n - at) continue;
            const std::size_t bytes = entry.length * sizeof(Unit);
            const Unit* here = text + at;
            bool same = LoadFilterKey(here, std::min<std::size_t>(bytes, 16), (n - at) * sizeof(Unit)) == entry.head;
            // Past 16 bytes a text already reported needs no comparison: the
            // caller only widens a range with it.
            if (same && bytes > 16 && !report.known(entry.pattern))
                same = std::memcmp(here, patterns_[entry.pattern].text.data(), bytes) == 0;
            if (same) report.found(entry.pattern, at);
            else report.missed(entry.pattern);
        }
    }

    std::vector<Pattern> patterns_;
    std::vector<Class> classes_;
    std::size_t longest_ = 0;
};

} // namespace quorvane
