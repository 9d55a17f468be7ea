// The doctor's readers on large damaged inputs: the DLL version reader on
// section tables and export lists of every size, and the log reader on a
// 16 MiB file of line ends and on a full log. Their time must grow with the
// bytes they read (and the log reader reads at most logReadLimit of them).
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "doctor/findings.h"
#include "doctor/library_version.h"
#include "support/library_image.h"

namespace {

// N sections before the exports and 10 N export names that are not the
// version record's: the damage that made each name walk the whole table.
void BM_LibraryVersionDamaged(benchmark::State& state) {
    const auto n = static_cast<std::uint32_t>(state.range(0));
    const std::string bytes = TestSupport::LibraryImage({.sections = n, .decoyNames = 10 * n});
    for (auto _ : state) {
        const auto version = Velloquin::Doctor::PluginVersionOfLibrary(bytes);
        benchmark::DoNotOptimize(version);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.SetComplexityN(state.range(0));
}
// 20000 sections and 200000 names make a file of 2 MB; 65535 sections are the most a table has.
BENCHMARK(BM_LibraryVersionDamaged)->Arg(2'000)->Arg(20'000)->Arg(65'535)->Unit(benchmark::kMillisecond)->Complexity();

void ReadLog(benchmark::State& state, const std::string& bytes) {
    for (auto _ : state) {
        std::istringstream in(bytes);
        const Velloquin::Doctor::LogFindings log = Velloquin::Doctor::ReadLogStream(in, Velloquin::Doctor::logReadLimit);
        benchmark::DoNotOptimize(log.lines);
    }
}

// 16 MiB of line ends: one MiB of them is read.
void BM_LogReaderLineEnds(benchmark::State& state) {
    ReadLog(state, std::string(16 << 20, '\n'));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Velloquin::Doctor::logReadLimit));
}
BENCHMARK(BM_LogReaderLineEnds)->Unit(benchmark::kMillisecond);

// A full log of boxes and failed saves after 11.6 days of play (a seven-place time column).
void BM_LogReaderFullLog(benchmark::State& state) {
    std::string bytes;
    while (bytes.size() < Velloquin::Doctor::logReadLimit) {
        bytes += "[1000000.000] Error box from Velloquin::FlushQuickItemsToFile line 467: a couldn't be opened\r\n";
        bytes += "[1000000.001] Error box answered No: the game goes on\r\n";
        bytes += "[1000000.002] Save failed: .\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt cannot be replaced\r\n";
    }
    ReadLog(state, bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Velloquin::Doctor::logReadLimit));
}
BENCHMARK(BM_LogReaderFullLog)->Unit(benchmark::kMillisecond);

}  // namespace
