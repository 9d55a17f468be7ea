#include <chrono>
#include <cstdint>

namespace Velloquin {
// The steady clock (QueryPerformanceCounter underneath), in nanoseconds.
std::int64_t SteadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace Velloquin
