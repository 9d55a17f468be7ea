// The settings doctor on large settings files: its time must grow in
// proportion to the file, whatever the file holds.
#include <benchmark/benchmark.h>

#include <string>

#include "doctor/findings.h"
#include "game_folder.h"

namespace {

const char* const settingsPath = ".\\Data\\QVEX\\Plugins\\Velloquin.ini";

void Examine(benchmark::State& state, std::size_t bytes) {
    for (auto _ : state) {
        const Velloquin::Doctor::Findings findings = Velloquin::Doctor::Examine(TestHost::GameFolder());
        benchmark::DoNotOptimize(findings.warnings.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// A file of nothing but section headers, each of a name of its own.
void BM_DoctorSectionHeaders(benchmark::State& state) {
    TestHost::ClearGameFolder();
    std::string text = "[QuickKeys]\r\niQuickKey12=70\r\n";
    for (std::int64_t i = 0; i < state.range(0); ++i) text += "[Section" + std::to_string(i) + "]\r\n";
    TestHost::WriteGameFile(settingsPath, text);
    Examine(state, text.size());
    state.SetComplexityN(state.range(0));
    TestHost::ClearGameFolder();
}
BENCHMARK(BM_DoctorSectionHeaders)->Arg(10'000)->Arg(40'000)->Arg(80'000)->Unit(benchmark::kMillisecond)->Complexity();

// About 1 MB of what a player's file may hold: the two sections again and
// again, with their keys, repeated keys, misspelt keys, comments and values
// that are names instead of codes.
void BM_DoctorOneMegabyte(benchmark::State& state) {
    TestHost::ClearGameFolder();
    const std::string block =
        "; the extra slots\r\n[Visibility]\r\nbQuickKey12Visible=1\r\nbQuickKey13Visible=yes\r\n"
        "bQuickKy14Visible=0\r\n[QuickKeys]\r\niQuickKey12=70\r\niQuickKey12=71\r\niQuickKey13=F2\r\n"
        "iQuickKey24=72\r\nnot a setting\r\n[Other]\r\nname=value\r\n\r\n";
    std::string text;
    while (text.size() < 1'000'000) text += block;
    TestHost::WriteGameFile(settingsPath, text);
    Examine(state, text.size());
    TestHost::ClearGameFolder();
}
BENCHMARK(BM_DoctorOneMegabyte)->Unit(benchmark::kMillisecond);

}  // namespace
