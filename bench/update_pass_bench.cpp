// The update pass runs on the game's thread on every player update: its cost
// is the player's frame time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <mutex>

#include "allocation_counter.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/runtime.h"
#include "platform/win32.h"
#include "recorder.h"
#include "support/plugin_state.h"

namespace V = Velloquin;

namespace {

void PrepareWorld() {
    TestHost::ResetWorld();
    ResetPluginState();
    TestHost::UseRealClock(true);
    TestHost::RecordKeyStateQueries(false);
    TestHost::PauseRecords(true);
    V::creditsMenuTime = V::SteadyNow() - 60'000'000'000;
}

void BM_ThrottledPass(benchmark::State& state) {
    PrepareWorld();
    V::lastUpdateTime = V::SteadyNow();  // the last pass was just now: every call is throttled
    const std::size_t before = heapAllocations;
    for (auto _ : state) V::RunUpdatePass(false);
    state.counters["allocations per pass"] =
        static_cast<double>(heapAllocations - before) / static_cast<double>(state.iterations());
}

void BM_ThrottleBaseline(benchmark::State& state) {
    std::recursive_mutex mutex;
    for (auto _ : state) {
        if (mutex.try_lock()) mutex.unlock();
        benchmark::DoNotOptimize(std::chrono::steady_clock::now());
    }
}

void BM_KeyPollingPass(benchmark::State& state) {
    PrepareWorld();
    for (std::size_t i = 0; i < V::quickSlotCount; ++i) V::quickKeyCodes[i] = 0x70 + static_cast<std::uint32_t>(i);
    const std::size_t before = heapAllocations;
    for (auto _ : state) {
        V::lastUpdateTime = 0;  // never throttled: every call polls the keys
        V::RunUpdatePass(false);
    }
    state.counters["allocations per pass"] =
        static_cast<double>(heapAllocations - before) / static_cast<double>(state.iterations());
}

void BM_KeyPollingBaseline(benchmark::State& state) {
    PrepareWorld();
    for (auto _ : state)
        for (int code = 0x70; code < 0x70 + 12; ++code) benchmark::DoNotOptimize(GetKeyState(code));
}

}  // namespace

BENCHMARK(BM_ThrottledPass);
BENCHMARK(BM_ThrottleBaseline);
BENCHMARK(BM_KeyPollingPass);
BENCHMARK(BM_KeyPollingBaseline);
