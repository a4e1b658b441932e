#pragma once
// Two pieces of work at once: one on the calling thread, one on a helper
// thread kept for the life of the program.
#include <functional>

namespace quorvane {

// Runs `side` on the helper thread while `main` runs here, and returns when
// both are done (an exception from either is rethrown here, after both
// ended). With one core, or while the helper is busy for another caller,
// main then side simply run here.
void RunSideBySide(const std::function<void()>& main, const std::function<void()>& side);

} // namespace quorvane
