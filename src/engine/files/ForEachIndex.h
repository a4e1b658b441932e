#pragma once
// Runs independent pieces of work on every core at once.
#include <cstddef>
#include <functional>

namespace quorvane {

// Calls work(i) once for each i below count, on the calling thread and as
// many others as there are cores (never more than count); returns when every
// call has returned. Calls run in no set order and must not touch each
// other's data; work must not throw.
void ForEachIndex(std::size_t count, const std::function<void(std::size_t)>& work);

} // namespace quorvane
