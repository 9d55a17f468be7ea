// The clock the plug-in reads: the host's own time, moved by the session, or
// the machine's steady clock for benchmarks.
#include <atomic>
#include <chrono>

#include "host.h"
#include "platform_seam.h"

namespace TestHost {

namespace {

// The clock is a plain value the game's threads read: relaxed atomics, which
// order nothing else.
std::atomic<std::int64_t> clockNow{0};
std::atomic<bool> realClock{false};

std::int64_t HostNow() {
    if (realClock.load(std::memory_order_relaxed)) {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    return clockNow.load(std::memory_order_relaxed);
}

}  // namespace

std::int64_t Seam::SteadyNow() { return HostNow(); }

std::int64_t Now() { return HostNow(); }
void SetNow(std::int64_t nanoseconds) { clockNow.store(nanoseconds, std::memory_order_relaxed); }
void Advance(std::int64_t milliseconds) { clockNow.fetch_add(milliseconds * 1'000'000, std::memory_order_relaxed); }
void UseRealClock(bool on) { realClock.store(on, std::memory_order_relaxed); }

}  // namespace TestHost
