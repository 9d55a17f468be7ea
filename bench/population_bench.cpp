// One fill of the favourites menu (twelve filled slots, padding to 24, the
// selection) against inventories of growing size and 1,000 powers.
#include <benchmark/benchmark.h>

#include "forms.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/runtime.h"
#include "menus.h"
#include "player.h"
#include "recorder.h"
#include "support/plugin_state.h"

namespace V = Velloquin;
using namespace TestHost;

namespace {

void BM_PopulationPass(benchmark::State& state) {
    const auto inventorySize = static_cast<std::uint32_t>(state.range(0));
    ResetWorld();
    ResetPluginState();
    PauseRecords(true);
    for (std::uint32_t i = 0; i < 1000; ++i) {
        Form* power = MakeForm(0x500000 + i, typePower, "Power");
        AddPowerToGame(power);
        if (i == 999) GivePower(power);
    }
    // The slots' items lie at the end of the inventory, the worst place; the
    // last slot holds a power that is not carried, so the power list is walked.
    for (std::uint32_t i = 0; i < inventorySize; ++i) AddItem(MakeForm(0x100000 + i, typeEquipment, "Item"));
    for (std::size_t slot = 0; slot < 11; ++slot)
        V::quickItems[slot] = reinterpret_cast<V::Game::Form*>(FindForm(0x100000 + inventorySize - 1 - slot));
    V::quickItems[11] = reinterpret_cast<V::Game::Form*>(FindForm(0x500000 + 999));
    Menu* menu = OpenMenu("FavoritesMenu");
    MakeFavoritesMovie(menu);
    V::openFavoritesMenu = reinterpret_cast<V::Game::Menu*>(menu);
    Movie* movie = MovieOf(menu);
    for (auto _ : state) {
        state.PauseTiming();
        movie->arrays["root1.Menu_mc.FavoritesInfoA"].clear();
        V::favoritesMenuPopulated = false;
        state.ResumeTiming();
        benchmark::DoNotOptimize(V::ProcessOpenFavoritesMenu());
    }
    PauseRecords(false);
}

}  // namespace

BENCHMARK(BM_PopulationPass)->Arg(100)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
