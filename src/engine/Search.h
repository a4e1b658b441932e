#pragma once
// Exact literal search over bytes and UTF-16 code units, vectorized on two
// chosen units of the needle.
#include <cstddef>

namespace quorvane {

// Position of the first occurrence of needle[0..m) in hay[0..n), or n when none.
// m == 0 returns 0.
std::size_t FindLiteral(const char* hay, std::size_t n, const char* needle, std::size_t m);
std::size_t FindLiteral(const char16_t* hay, std::size_t n, const char16_t* needle, std::size_t m);

} // namespace quorvane
