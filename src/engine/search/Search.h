#pragma once
// Exact literal search over bytes and UTF-16 code units, vectorized on two
// chosen units of the needle.
#include <cstddef>
#include <string>

namespace quorvane {

// Position of the first occurrence of needle[0..m) in hay[0..n), or n when none.
// m == 0 returns 0.
std::size_t FindLiteral(const char* hay, std::size_t n, const char* needle, std::size_t m);
std::size_t FindLiteral(const char16_t* hay, std::size_t n, const char16_t* needle, std::size_t m);

// A needle prepared once for many searches: the two probe units are chosen and
// the vector width decided up front, so repeated calls pay nothing for setup.
template <typename Unit>
class LiteralFinder {
public:
    // Keeps its own copy of the needle.
    explicit LiteralFinder(std::basic_string<Unit> needle = {});
    // Same contract as FindLiteral: first occurrence in hay[0..n), else n.
    std::size_t find(const Unit* hay, std::size_t n) const;
    const std::basic_string<Unit>& needle() const { return needle_; }

private:
    std::basic_string<Unit> needle_;
    std::size_t first_ = 0;   // the rarer-looking probe position
    std::size_t second_ = 0;  // a second probe, on a different unit value when possible
};

extern template class LiteralFinder<char>;
extern template class LiteralFinder<char16_t>;

} // namespace quorvane
