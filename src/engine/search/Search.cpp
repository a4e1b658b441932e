#include "engine/search/Search.h"

// The vector loops are x86-64's (SSE2 is always there, AVX2 is checked at run
// time); other processors, and the test of that path, compare one position at a time.
#if defined(__x86_64__) && !defined(QUORVANE_SCALAR_SEARCH)
#define QUORVANE_X86_SEARCH 1
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>

// Candidate positions come from comparing two probe units of the needle against
// the haystack, a vector register at a time (on x86-64); each candidate is then
// confirmed with memcmp. Probes on rare-looking units keep candidates (and so memcmp
// calls) scarce. Vector loads never start past hay + n - width, and the last
// few positions are checked one by one, so nothing past the haystack is read.
// Text that keeps passing both probes without matching (periodic text) hands
// the rest of the search to a linear-time method.

namespace quorvane {
namespace {

// Rough commonness of a code unit in everyday text: higher is more common.
// Only the order matters; it steers the probe choice away from spaces and vowels.
int Commonness(unsigned unit)
{
    static const std::array<unsigned char, 128> table = [] {
        std::array<unsigned char, 128> t{};
        for (unsigned c = 0; c < 128; ++c) {
            if (c >= 'a' && c <= 'z') t[c] = 150;
            else if (c >= 'A' && c <= 'Z') t[c] = 80;
            else if (c >= '0' && c <= '9') t[c] = 90;
            else if (c >= 32) t[c] = 60;
            else t[c] = 20;
        }
        for (const char* p = "etaoinshrdl"; *p; ++p) t[static_cast<unsigned char>(*p)] = 200;
        for (const char* p = ".,\r\n"; *p; ++p) t[static_cast<unsigned char>(*p)] = 120;
        t[' '] = 255;
        t['\t'] = 100;
        return t;
    }();
    return unit < 128 ? table[unit] : 30;
}

template <typename Unit>
unsigned AsUnsigned(Unit u) { return static_cast<std::make_unsigned_t<Unit>>(u); }

template <typename Unit>
bool SameAt(const Unit* at, const Unit* needle, std::size_t m)
{
    return std::memcmp(at, needle, m * sizeof(Unit)) == 0;
}

// Periodic text such as "abab..." can make both probes match almost
// everywhere while the needle does not; past this many failed candidates
// (plus one per 16 positions) the search goes on in guaranteed linear time.
bool TooManyMisses(std::size_t misses, std::size_t scanned)
{
    return misses > 64 + scanned / 16;
}

// Linear-time search from i on, for haystacks that defeat the probes.
template <typename Unit>
std::size_t FindLinear(const Unit* h, std::size_t n, const Unit* nd, std::size_t m, std::size_t i)
{
    if constexpr (sizeof(Unit) == 1) {
        const void* p = memmem(h + i, n - i, nd, m);  // glibc's two-way search
        return p ? static_cast<std::size_t>(static_cast<const Unit*>(p) - h) : n;
    } else {
        const auto p = std::search(h + i, h + n, std::boyer_moore_searcher(nd, nd + m));
        return static_cast<std::size_t>(p - h);
    }
}

#ifdef QUORVANE_X86_SEARCH

// Position-by-position search from i on, for the last few positions.
template <typename Unit>
std::size_t ScalarFrom(const Unit* h, std::size_t n, const Unit* nd, std::size_t m,
                       std::size_t p1, std::size_t p2, std::size_t i)
{
    for (; i + m <= n; ++i)
        if (h[i + p1] == nd[p1] && h[i + p2] == nd[p2] && SameAt(h + i, nd, m)) return i;
    return n;
}

// Checks the candidate positions i + lane for each set lane of mask; counts
// the candidates that turn out not to match.
template <typename Unit, typename Mask>
bool Confirm(const Unit* h, std::size_t n, const Unit* nd, std::size_t m, std::size_t i,
             Mask mask, std::size_t& found, std::size_t& misses)
{
    while (mask) {
        const std::size_t pos = i + static_cast<std::size_t>(__builtin_ctzll(mask)) / sizeof(Unit);
        if (pos + m <= n && SameAt(h + pos, nd, m)) {
            found = pos;
            return true;
        }
        ++misses;
        mask &= mask - 1;
    }
    return false;
}

template <typename Unit>
std::size_t FindSse2(const Unit* h, std::size_t n, const Unit* nd, std::size_t m,
                     std::size_t p1, std::size_t p2)
{
    constexpr std::size_t lanes = 16 / sizeof(Unit);
    const std::size_t reach = std::max(p1, p2) + lanes;
    std::size_t i = 0, misses = 0;
    if (n >= reach) {
        __m128i a, b;
        if constexpr (sizeof(Unit) == 1) {
            a = _mm_set1_epi8(static_cast<char>(nd[p1]));
            b = _mm_set1_epi8(static_cast<char>(nd[p2]));
        } else {
            a = _mm_set1_epi16(static_cast<short>(nd[p1]));
            b = _mm_set1_epi16(static_cast<short>(nd[p2]));
        }
        for (const std::size_t last = n - reach; i <= last; i += lanes) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + p1));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + p2));
            unsigned mask;
            if constexpr (sizeof(Unit) == 1)
                mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b))));
            else
                mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(x, a), _mm_cmpeq_epi16(y, b)))) & 0x5555u;
            std::size_t found;
            if (mask && Confirm(h, n, nd, m, i, mask, found, misses)) return found;
            if (TooManyMisses(misses, i)) return FindLinear(h, n, nd, m, i);
        }
    }
    return ScalarFrom(h, n, nd, m, p1, p2, i);
}

template <typename Unit>
__attribute__((target("avx2")))
std::size_t FindAvx2(const Unit* h, std::size_t n, const Unit* nd, std::size_t m,
                     std::size_t p1, std::size_t p2)
{
    constexpr std::size_t lanes = 32 / sizeof(Unit);
    const std::size_t reach = std::max(p1, p2) + lanes;
    std::size_t i = 0, misses = 0;
    if (n >= reach) {
        __m256i a, b;
        if constexpr (sizeof(Unit) == 1) {
            a = _mm256_set1_epi8(static_cast<char>(nd[p1]));
            b = _mm256_set1_epi8(static_cast<char>(nd[p2]));
        } else {
            a = _mm256_set1_epi16(static_cast<short>(nd[p1]));
            b = _mm256_set1_epi16(static_cast<short>(nd[p2]));
        }
        for (const std::size_t last = n - reach; i <= last; i += lanes) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + p1));
            const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + p2));
            std::uint32_t mask;
            if constexpr (sizeof(Unit) == 1)
                mask = std::uint32_t(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(x, a), _mm256_cmpeq_epi8(y, b))));
            else
                mask = std::uint32_t(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi16(x, a), _mm256_cmpeq_epi16(y, b)))) & 0x55555555u;
            std::size_t found;
            if (mask && Confirm(h, n, nd, m, i, mask, found, misses)) return found;
            if (TooManyMisses(misses, i)) return FindLinear(h, n, nd, m, i);
        }
    }
    return FindSse2(h + i, n - i, nd, m, p1, p2) + i;
}

bool HasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

#else

// The probes compared one position at a time, with the same way out on periodic text.
template <typename Unit>
std::size_t FindScalar(const Unit* h, std::size_t n, const Unit* nd, std::size_t m,
                       std::size_t p1, std::size_t p2)
{
    std::size_t misses = 0;
    for (std::size_t i = 0; i + m <= n; ++i) {
        if (h[i + p1] != nd[p1] || h[i + p2] != nd[p2]) continue;
        if (SameAt(h + i, nd, m)) return i;
        if (TooManyMisses(++misses, i)) return FindLinear(h, n, nd, m, i + 1);
    }
    return n;
}

#endif

template <typename Unit>
std::size_t FindWithProbes(const Unit* h, std::size_t n, const Unit* nd, std::size_t m,
                           std::size_t p1, std::size_t p2)
{
    if (m == 0) return 0;
    if (n < m) return n;
    if constexpr (sizeof(Unit) == 1) {
        if (m == 1) {  // glibc's memchr is already vectorized
            const void* p = std::memchr(h, nd[0], n);
            return p ? static_cast<std::size_t>(static_cast<const Unit*>(p) - h) : n;
        }
    }
#ifdef QUORVANE_X86_SEARCH
    return HasAvx2() ? FindAvx2(h, n, nd, m, p1, p2) : FindSse2(h, n, nd, m, p1, p2);
#else
    return FindScalar(h, n, nd, m, p1, p2);
#endif
}

// Picks the two probe positions: the least common unit, then the least common
// position holding a different unit value (so runs like "aaab" probe 'b' and 'a').
template <typename Unit>
void ChooseProbes(const Unit* nd, std::size_t m, std::size_t& p1, std::size_t& p2)
{
    p1 = p2 = 0;
    if (m < 2) return;
    for (std::size_t i = 1; i < m; ++i)
        if (Commonness(AsUnsigned(nd[i])) <= Commonness(AsUnsigned(nd[p1]))) p1 = i;
    bool found = false;
    for (std::size_t i = 0; i < m; ++i) {
        if (nd[i] == nd[p1]) continue;
        if (!found || Commonness(AsUnsigned(nd[i])) < Commonness(AsUnsigned(nd[p2]))) p2 = i;
        found = true;
    }
    if (!found) p2 = p1 == m - 1 ? 0 : m - 1;
}

template <typename Unit>
std::size_t FindOnce(const Unit* hay, std::size_t n, const Unit* needle, std::size_t m)
{
    std::size_t p1, p2;
    ChooseProbes(needle, m, p1, p2);
    return FindWithProbes(hay, n, needle, m, p1, p2);
}

} // namespace

std::size_t FindLiteral(const char* hay, std::size_t n, const char* needle, std::size_t m)
{
    return FindOnce(hay, n, needle, m);
}

std::size_t FindLiteral(const char16_t* hay, std::size_t n, const char16_t* needle, std::size_t m)
{
    return FindOnce(hay, n, needle, m);
}

template <typename Unit>
LiteralFinder<Unit>::LiteralFinder(std::basic_string<Unit> needle)
    : needle_(std::move(needle))
{
    ChooseProbes(needle_.data(), needle_.size(), first_, second_);
}

template <typename Unit>
std::size_t LiteralFinder<Unit>::find(const Unit* hay, std::size_t n) const
{
    return FindWithProbes(hay, n, needle_.data(), needle_.size(), first_, second_);
}

template class LiteralFinder<char>;
template class LiteralFinder<char16_t>;

} // namespace quorvane
