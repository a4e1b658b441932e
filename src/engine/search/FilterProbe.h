#pragma once
// The candidate filter's inner loop: hashes the key at every sampled position
// of a text and tests the hash in a bitmap. With AVX2 eight samples go through
// at once (the keys fetched with byte shuffles or a gather, the bitmap words
// with a gather); the scalar loop computes the same hash, so either works on
// the same bitmap. The vector loop is x86-64's; other processors use the scalar one.
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quorvane {

// A key of up to 16 bytes, first unit in the lowest bytes, zero past its end.
struct FilterKey {
    std::uint64_t lo = 0, hi = 0;
    bool operator==(const FilterKey&) const = default;
};

// The key's hash: its four 32-bit words multiplied by odd constants and
// summed; the top logBits bits index the bitmap. Words past the key are zero
// and add nothing, so a sample loads only the words its key has.
inline constexpr std::uint32_t kFilterMul[4] = {0x9E3779B1u, 0x85EBCA77u, 0xC2B2AE3Du, 0x27D4EB2Fu};
inline std::uint32_t FilterHash(const FilterKey& key, unsigned logBits)
{
    const std::uint32_t sum = std::uint32_t(key.lo) * kFilterMul[0] + std::uint32_t(key.lo >> 32) * kFilterMul[1] +
                              std::uint32_t(key.hi) * kFilterMul[2] + std::uint32_t(key.hi >> 32) * kFilterMul[3];
    return sum >> (32 - logBits);
}

// The key of `bytes` bytes (at most 16) at p, where `avail` bytes can be read.
inline FilterKey LoadFilterKey(const void* p, std::size_t bytes, std::size_t avail)
{
    FilterKey key;
    if (avail >= 16) {  // whole words, then cut: no byte-by-byte copy
        std::memcpy(&key.lo, p, 8);
        std::memcpy(&key.hi, static_cast<const char*>(p) + 8, 8);
        // Shifts by up to 64 bits are done in two steps, so no branch is needed.
        const unsigned loCut = unsigned(64 - 8 * std::min<std::size_t>(bytes, 8));
        const unsigned hiCut = unsigned(64 - 8 * (std::max<std::size_t>(bytes, 8) - 8));
        key.lo &= (~0ull >> (loCut / 2)) >> (loCut - loCut / 2);
        key.hi &= (~0ull >> (hiCut / 2)) >> (hiCut - hiCut / 2);
        return key;
    }
    unsigned char b[16] = {};
    std::memcpy(b, p, bytes);
    std::memcpy(&key.lo, b, 8);
    std::memcpy(&key.hi, b + 8, 8);
    return key;
}

// What a probe loop needs of a class: key length and sampling step in bytes,
// and the bitmap (bit h of the little-endian words is hash h).
struct ProbePlan {
    std::size_t keyBytes;
    std::size_t stepBytes;
    unsigned logBits;
    const std::uint64_t* bits;
};

namespace probe_detail {

inline bool Passes(const ProbePlan& plan, std::uint32_t h)
{
    return (plan.bits[h >> 6] >> (h & 63)) & 1;
}

// Samples at byte offsets s = 0, step, ... below end (sample s reads bytes
// [s, s + keyBytes) of text, all inside size); hit(s, h) for each that passes.
template <typename Hit>
void ProbeScalar(const char* text, std::size_t size, std::size_t from, std::size_t end, const ProbePlan& plan,
                 Hit& hit)
{
    for (std::size_t s = from; s < end; s += plan.stepBytes) {
        const std::uint32_t h = FilterHash(LoadFilterKey(text + s, plan.keyBytes, size - s), plan.logBits);
        if (Passes(plan, h)) hit(s, h);
    }
}

#if defined(__x86_64__)

// How the vector loop fetches the keys of eight samples.
struct KeyFetch {
    __m256i lanes;     // gather: each sample's byte offset
    __m256i pick[4];   // shuffle: per word, each lane's bytes within its 16
    __m256i lastMask;  // cuts the last word to the key
};

// The keys of eight samples at `at` hashed (before the final shift). With
// Shuffle the samples of each half lie within 16 bytes (at and at + 4 steps),
// fetched with two loads and a byte shuffle per word; otherwise each word of
// the eight keys is gathered.
template <unsigned Words, bool Shuffle>
__attribute__((target("avx2"))) inline __m256i HashEight(const char* at, std::size_t step, const KeyFetch& f)
{
    __m256i bytes = _mm256_setzero_si256();
    if constexpr (Shuffle)
        bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 4 * step)), 1);
    __m256i sum = _mm256_setzero_si256();
    for (unsigned w = 0; w < Words; ++w) {
        __m256i word = Shuffle ? _mm256_shuffle_epi8(bytes, f.pick[w])
                               : _mm256_i32gather_epi32(reinterpret_cast<const int*>(at + 4 * w), f.lanes, 1);
        if (w == Words - 1) word = _mm256_and_si256(word, f.lastMask);
        sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(word, _mm256_set1_epi32(int(kFilterMul[w]))));
    }
    return sum;
}

// The vector loop for keys of Words words. Samples that pass are queued and
// handed to hit a batch at a time: a branch on each group of eight would
// mispredict often on dense text, and each miss costs the whole gather chain.
template <unsigned Words, bool Shuffle, typename Hit>
__attribute__((target("avx2"))) void ProbeAvx2(const char* text, std::size_t size, std::size_t end,
                                               const ProbePlan& plan, Hit& hit)
{
    const std::size_t step = plan.stepBytes;
    // Eight samples read up to 7 steps plus the key's words past their first;
    // shuffled ones read 16 bytes 4 steps on.
    const std::size_t span = std::max(7 * step + 4 * Words, Shuffle ? 4 * step + 16 : 0);
    KeyFetch f;
    f.lanes = _mm256_setr_epi32(0, int(step), int(2 * step), int(3 * step), int(4 * step), int(5 * step),
                                int(6 * step), int(7 * step));
    for (unsigned w = 0; w < 4; ++w) {
        // Byte b of a half belongs to sample b / 4 of that half; words the key
        // does not have point anywhere inside the 16 bytes.
        alignas(32) unsigned char pick[32];
        for (unsigned b = 0; b < 32; ++b)
            pick[b] = static_cast<unsigned char>(std::min<std::size_t>(15, (b % 16) / 4 * step + 4 * w + b % 4));
        f.pick[w] = _mm256_load_si256(reinterpret_cast<const __m256i*>(pick));
    }
    const std::size_t lastBytes = plan.keyBytes - 4 * (Words - 1);
    f.lastMask = _mm256_set1_epi32(lastBytes >= 4 ? -1 : int((1u << (8 * lastBytes)) - 1));
    const __m128i shift = _mm_cvtsi32_si128(int(32 - plan.logBits));
    const int* bitWords = reinterpret_cast<const int*>(plan.bits);
    constexpr unsigned kBatch = 64;
    alignas(32) std::uint32_t hashes[kBatch][8];
    std::size_t where[kBatch];
    unsigned masks[kBatch];
    unsigned queued = 0;
    auto flush = [&] {
        for (unsigned i = 0; i < queued; ++i)
            for (unsigned m = masks[i]; m; m &= m - 1) {
                const unsigned lane = unsigned(__builtin_ctz(m));
                hit(where[i] + lane * step, hashes[i][lane]);
            }
        queued = 0;
    };
    std::size_t s = 0;
    for (; s + 7 * step < end && s + span <= size; s += 8 * step) {
        const __m256i h = _mm256_srl_epi32(HashEight<Words, Shuffle>(text + s, step, f), shift);
        const __m256i word = _mm256_i32gather_epi32(bitWords, _mm256_srli_epi32(h, 5), 4);
        // Each lane's bit to its sign bit.
        const __m256i bit = _mm256_sllv_epi32(
            word, _mm256_sub_epi32(_mm256_set1_epi32(31), _mm256_and_si256(h, _mm256_set1_epi32(31))));
        const unsigned mask = unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(bit)));
        _mm256_store_si256(reinterpret_cast<__m256i*>(hashes[queued]), h);
        where[queued] = s;
        masks[queued] = mask;
        queued += mask != 0;
        if (queued == kBatch) flush();
    }
    flush();
    ProbeScalar(text, size, s, end, plan, hit);
}

inline bool HaveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2") != 0;
    return have;
}

#endif

} // namespace probe_detail

// Calls hit(s, h) for every sample s = 0, step, ... below `end` (byte
// offsets into text, which has `size` bytes; every sample's key lies inside)
// whose hash h passes the bitmap.
template <typename Hit>
void ProbeSamples(const char* text, std::size_t size, std::size_t end, const ProbePlan& plan, Hit&& hit)
{
#if !defined(__x86_64__)
    return probe_detail::ProbeScalar(text, size, 0, end, plan, hit);
#else
    if (!probe_detail::HaveAvx2()) return probe_detail::ProbeScalar(text, size, 0, end, plan, hit);
    // Keys of four samples within 16 bytes are shuffled out of two loads.
    const bool shuffle = 3 * plan.stepBytes + 4 * ((plan.keyBytes + 3) / 4) <= 16;
    switch ((plan.keyBytes + 3) / 4) {
    case 1:
        if (shuffle) return probe_detail::ProbeAvx2<1, true>(text, size, end, plan, hit);
        return probe_detail::ProbeAvx2<1, false>(text, size, end, plan, hit);
    case 2:
        if (shuffle) return probe_detail::ProbeAvx2<2, true>(text, size, end, plan, hit);
        return probe_detail::ProbeAvx2<2, false>(text, size, end, plan, hit);
    case 3: return probe_detail::ProbeAvx2<3, false>(text, size, end, plan, hit);
    default: return probe_detail::ProbeAvx2<4, false>(text, size, end, plan, hit);
    }
#endif
}

} // namespace quorvane
