#pragma once
// PCRE2's 8- and 16-bit libraries behind one name per call, chosen by the
// unit width, so the regex code is written once for bytes and UTF-16 units.
// Private to the regex library: nothing outside it sees PCRE2's headers.
#define PCRE2_CODE_UNIT_WIDTH 0
#include <pcre2.h>

#include <cstddef>

namespace quorvane::pcre {

template <typename Unit>
struct Api;

#define QUORVANE_PCRE2_API(W, UNIT)                                                                     \
    template <>                                                                                         \
    struct Api<UNIT> {                                                                                  \
        using Code = pcre2_code_##W;                                                                    \
        using MatchData = pcre2_match_data_##W;                                                         \
        using Sptr = PCRE2_SPTR##W;                                                                     \
        using Uchar = PCRE2_UCHAR##W;                                                                   \
        static Code* compile(const UNIT* p, size_t n, uint32_t o, int* e, PCRE2_SIZE* at)               \
        {                                                                                               \
            return pcre2_compile_##W(reinterpret_cast<Sptr>(p), n, o, e, at, nullptr);                  \
        }                                                                                               \
        static int jit(Code* c) { return pcre2_jit_compile_##W(c, PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD); } \
        static void free(Code* c) { pcre2_code_free_##W(c); }                                           \
        static int info(const Code* c, uint32_t what, void* where) { return pcre2_pattern_info_##W(c, what, where); } \
        static int group(const Code* c, const UNIT* name)                                               \
        {                                                                                               \
            return pcre2_substring_number_from_name_##W(c, reinterpret_cast<Sptr>(name));              \
        }                                                                                               \
        static MatchData* data(const Code* c) { return pcre2_match_data_create_from_pattern_##W(c, nullptr); } \
        static void free(MatchData* m) { pcre2_match_data_free_##W(m); }                                \
        static PCRE2_SIZE* ovector(MatchData* m) { return pcre2_get_ovector_pointer_##W(m); }            \
        static int match(const Code* c, const UNIT* s, size_t n, size_t from, uint32_t o, MatchData* m) \
        {                                                                                               \
            return pcre2_match_##W(c, reinterpret_cast<Sptr>(s), n, from, o, m, nullptr);               \
        }                                                                                               \
        static int message(int e, UNIT* into, size_t n)                                                 \
        {                                                                                               \
            return pcre2_get_error_message_##W(e, reinterpret_cast<Uchar*>(into), n);                   \
        }                                                                                               \
    };

QUORVANE_PCRE2_API(8, char)
QUORVANE_PCRE2_API(16, char16_t)
#undef QUORVANE_PCRE2_API

} // namespace quorvane::pcre
