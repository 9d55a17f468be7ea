// The update pass runs on the game's thread on every player update: its cost
// is the player's frame time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <mutex>

#include "allocation_counter.h"
#include "controller.h"
#include "core/slots.h"
#include "forms.h"
#include "config/settings.h"
#include "core/log.h"
#include "game/game.h"
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
    // The passes run with the log on, as in a player's game.
    V::StartLog(V::ReadLogEnabled());
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

// The key-polling pass of a player with outfits: twelve bound keys, six
// outfit slots of twelve pieces and a save modifier, no key down. Its key
// reads per pass (counted over 1,000 passes) and its allocations must be
// those of BM_KeyPollingPass.
void BM_KeyPollingPassWithOutfits(benchmark::State& state) {
    PrepareWorld();
    static TestHost::Form* pieces[V::outfitPieceLimit];
    for (std::size_t n = 0; n < V::outfitPieceLimit; ++n)
        pieces[n] = TestHost::MakeForm(0xB000 + static_cast<std::uint32_t>(n), TestHost::typeEquipment, "Piece");
    {
        V::StateLock lock(V::stateMutex);
        for (std::size_t i = 0; i < V::quickSlotCount; ++i) {
            V::quickKeyCodes[i] = 0x70 + static_cast<std::uint32_t>(i);
            if (i % 2 == 0) V::SetOutfit(i, reinterpret_cast<V::Game::Form* const*>(pieces), V::outfitPieceLimit);
        }
        V::outfitSaveModifier = 0xA3;
    }
    const auto pass = [] {
        V::lastUpdateTime = 0;
        V::RunUpdatePass(false);
    };
    TestHost::RecordKeyStateQueries(true);
    TestHost::ClearKeyStateQueries();
    for (int i = 0; i < 1000; ++i) pass();
    state.counters["key reads per pass"] = static_cast<double>(TestHost::KeyStateQueries().size()) / 1000.0;
    TestHost::RecordKeyStateQueries(false);
    TestHost::ClearKeyStateQueries();
    const std::size_t before = heapAllocations;
    for (auto _ : state) pass();
    state.counters["allocations per pass"] =
        static_cast<double>(heapAllocations - before) / static_cast<double>(state.iterations());
}

// The work no polling pass can avoid: taking and dropping the state lock and
// reading the clock (as a throttled pass does), the twelve key-state calls,
// and the two questions to the game whether the credits or the video menu is
// open (each with its host string made and released).
void BM_KeyPollingBaseline(benchmark::State& state) {
    PrepareWorld();
    for (auto _ : state) {
        std::unique_lock lock(V::stateMutex, std::try_to_lock);
        benchmark::DoNotOptimize(lock.owns_lock());
        benchmark::DoNotOptimize(V::SteadyNow());
        benchmark::DoNotOptimize(V::Game::IsMenuOpen("EndGameCreditsMenu"));
        benchmark::DoNotOptimize(V::Game::IsMenuOpen("PlayBinkMenu"));
        for (int code = 0x70; code < 0x70 + 12; ++code) benchmark::DoNotOptimize(GetKeyState(code));
    }
}

// F1 to F6 alone on slots 12 to 17 and with Shift on slots 18 to 23 (no
// items: the pass polls and activates nothing). state.range(0): 0, no key
// is down; 1, Shift is held and F1 goes down on every other pass, so half
// the passes see a chord's key newly down and read its modifier. The key
// reads per pass are counted over 1,000 passes before the timed ones.
void BM_ChordPollingPass(benchmark::State& state) {
    PrepareWorld();
    for (std::size_t i = 0; i < V::quickSlotCount; ++i) {
        V::quickKeyCodes[i] = 0x70 + static_cast<std::uint32_t>(i % 6);
        V::quickKeyModifiers[i] = i < 6 ? 0 : 0x10;
    }
    const bool pressing = state.range(0) == 1;
    TestHost::SetKeyDown(0x10, pressing);
    bool down = false;
    const auto pass = [&] {
        if (pressing) TestHost::SetKeyDown(0x70, down = !down);
        V::lastUpdateTime = 0;
        V::RunUpdatePass(false);
    };
    TestHost::RecordKeyStateQueries(true);
    TestHost::ClearKeyStateQueries();
    for (int i = 0; i < 1000; ++i) pass();
    state.counters["key reads per pass"] = static_cast<double>(TestHost::KeyStateQueries().size()) / 1000.0;
    TestHost::RecordKeyStateQueries(false);
    TestHost::ClearKeyStateQueries();
    const std::size_t before = heapAllocations;
    for (auto _ : state) pass();
    state.counters["allocations per pass"] =
        static_cast<double>(heapAllocations - before) / static_cast<double>(state.iterations());
    TestHost::ReleaseAllKeys();
}

// Four keyboard keys and the controller example of the players' guide: the
// DPAD and A, B, X, Y behind Left Shoulder (not held).
void BindKeysAndPad() {
    const std::uint32_t codes[] = {0x70, 0x71, 0x72, 0x73, 0x10001, 0x10002, 0x10004, 0x10008,
                                   0x11000, 0x12000, 0x14000, 0x18000};
    for (std::size_t i = 0; i < V::quickSlotCount; ++i) V::quickKeyCodes[i] = codes[i];
    V::gamepadModifier = 0x10100;
}

void BM_GamepadPassConnected(benchmark::State& state) {
    PrepareWorld();
    BindKeysAndPad();
    TestHost::ConnectController(true);
    const std::size_t before = heapAllocations;
    const std::uint64_t readsBefore = TestHost::XInputReads();
    for (auto _ : state) {
        V::lastUpdateTime = 0;
        V::RunUpdatePass(false);
    }
    const auto passes = static_cast<double>(state.iterations());
    state.counters["XInput reads per pass"] = static_cast<double>(TestHost::XInputReads() - readsBefore) / passes;
    state.counters["allocations per pass"] = static_cast<double>(heapAllocations - before) / passes;
}

void BM_GamepadPassDisconnected(benchmark::State& state) {
    PrepareWorld();
    BindKeysAndPad();
    TestHost::ConnectController(false);
    const std::uint64_t readsBefore = TestHost::XInputReads();
    const std::int64_t started = V::SteadyNow();
    for (auto _ : state) {
        V::lastUpdateTime = 0;
        V::RunUpdatePass(false);
    }
    const double seconds = static_cast<double>(V::SteadyNow() - started) / 1e9;
    // Reads per started 2-second window of the run (the first look is at once).
    state.counters["XInput reads per 2 s"] =
        static_cast<double>(TestHost::XInputReads() - readsBefore) / (1.0 + static_cast<double>(static_cast<long>(seconds / 2)));
}

}  // namespace

BENCHMARK(BM_ThrottledPass);
BENCHMARK(BM_ThrottleBaseline);
BENCHMARK(BM_KeyPollingPass);
BENCHMARK(BM_KeyPollingPassWithOutfits);
BENCHMARK(BM_KeyPollingBaseline);
BENCHMARK(BM_ChordPollingPass)->Arg(0)->Arg(1);
BENCHMARK(BM_GamepadPassConnected);
BENCHMARK(BM_GamepadPassDisconnected);
