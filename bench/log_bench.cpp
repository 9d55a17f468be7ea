// The cost of one line of Velloquin.log: formatted on the caller's stack and
// written to the file with one call, as a key use is logged on the game's
// thread. A full log (1 MiB) is started afresh outside the timing.
#include <benchmark/benchmark.h>

#include "allocation_counter.h"
#include "config/settings.h"
#include "core/log.h"
#include "host.h"

namespace V = Velloquin;

namespace {

void BM_LogLine(benchmark::State& state) {
    TestHost::ResetWorld();
    V::StartLog(V::ReadLogEnabled());
    if (!V::LogActive()) {
        state.SkipWithError("no log");
        return;
    }
    const std::size_t before = heapAllocations;
    std::size_t restarts = 0;
    for (auto _ : state) {
        V::LogLine("Key 0x%X uses slot %d: %s", 0x70u, 15, "\"Plasma Rifle\" (0001A2B3)");
        if (!V::LogActive()) {
            state.PauseTiming();
            V::StartLog(V::ReadLogEnabled());
            ++restarts;
            state.ResumeTiming();
        }
    }
    state.counters["allocations per line"] =
        static_cast<double>(heapAllocations - before) / static_cast<double>(state.iterations());
    (void)restarts;
    V::StopLog();
}

// The same call while the log is off: what every logging site costs when a player turned the log off.
void BM_LogLineOff(benchmark::State& state) {
    V::StopLog();
    for (auto _ : state) V::LogLine("Key 0x%X uses slot %d: %s", 0x70u, 15, "\"Plasma Rifle\" (0001A2B3)");
}

}  // namespace

BENCHMARK(BM_LogLine);
BENCHMARK(BM_LogLineOff);
