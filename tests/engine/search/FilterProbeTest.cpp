// The vector probe loop must report exactly the samples, hashes and order of
// the scalar loop, whatever the key length, step, text length and bitmap, so
// that a filter built with the scalar hash works on either.
#include "engine/search/FilterProbe.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace quorvane {
namespace {

using Hits = std::vector<std::pair<std::size_t, std::uint32_t>>;

TEST(FilterProbe, VectorLoopReportsWhatTheScalarLoopReports)
{
    std::mt19937 rng(7);
    int compared = 0;
    for (std::size_t keyBytes = 1; keyBytes <= 16; ++keyBytes) {
        for (std::size_t step = 1; step <= 8; ++step) {
            for (int round = 0; round < 6; ++round) {
                const unsigned logBits = 9 + rng() % 8;
                std::vector<std::uint64_t> bits((std::size_t(1) << logBits) / 64);
                // From nearly empty to nearly full bitmaps.
                const unsigned density = rng() % 64;
                for (auto& word : bits)
                    for (unsigned b = 0; b < 64; ++b)
                        if (rng() % 64 <= density) word |= 1ull << b;
                std::vector<char> text(rng() % 300);
                // A small alphabet repeats keys, so hits come in runs.
                for (char& c : text) c = char('a' + rng() % (round % 2 ? 3 : 26));
                const std::size_t size = text.size();
                const std::size_t end = size >= keyBytes ? size - keyBytes + 1 - rng() % (size - keyBytes + 1) / 4 : 0;
                const ProbePlan plan{keyBytes, step, logBits, bits.data()};
                Hits vector, scalar;
                ProbeSamples(text.data(), size, end, plan,
                             [&](std::size_t s, std::uint32_t h) { vector.emplace_back(s, h); });
                auto collect = [&](std::size_t s, std::uint32_t h) { scalar.emplace_back(s, h); };
                probe_detail::ProbeScalar(text.data(), size, 0, end, plan, collect);
                ASSERT_EQ(vector, scalar) << "key " << keyBytes << " step " << step << " size " << size;
                for (const auto& [s, h] : scalar) {
                    ASSERT_EQ(s % step, 0u);
                    ASSERT_LT(s, end);
                    ASSERT_EQ(h, FilterHash(LoadFilterKey(text.data() + s, keyBytes, 0), logBits));
                }
                compared += int(scalar.size());
            }
        }
    }
    EXPECT_GT(compared, 10000);
}

TEST(FilterProbe, KeysAreCutToTheirLengthWhereverTheyAreRead)
{
    const char bytes[32] = "abcdefghijklmnopqrstuvwxyz01234";
    for (std::size_t n = 1; n <= 16; ++n) {
        const FilterKey wide = LoadFilterKey(bytes, n, 32);
        const FilterKey narrow = LoadFilterKey(bytes, n, n);
        EXPECT_EQ(wide, narrow) << n;
        unsigned char out[16];
        std::memcpy(out, &wide.lo, 8);
        std::memcpy(out + 8, &wide.hi, 8);
        for (std::size_t b = 0; b < 16; ++b) EXPECT_EQ(out[b], b < n ? static_cast<unsigned char>(bytes[b]) : 0) << n;
    }
}

} // namespace
} // namespace quorvane
