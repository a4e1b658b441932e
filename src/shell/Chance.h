#pragma once
// The program's one source of chance (the occasional visit to the maker's site).
// Tests replace it so no run depends on luck.
#include <functional>

namespace quorvane {

// A random fraction in [0, 1).
double RandomFraction();
// Replaces the source; an empty function restores the system's generator.
void SetRandomFractionSource(std::function<double()> source);

} // namespace quorvane
