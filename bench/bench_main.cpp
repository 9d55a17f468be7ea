// Runs the benchmarks and prints each measured path beside its baseline.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>

#include "allocation_counter.h"

std::atomic<std::size_t> heapAllocations{0};

void* operator new(std::size_t size) {
    ++heapAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
            for (const auto& [name, counter] : run.counters) counters[run.benchmark_name() + " " + name] = counter;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::map<std::string, double> counters;
};

void Ratio(const RatioReporter& r, const char* what, const char* measured, const char* baseline, double target) {
    auto m = r.times.find(measured), b = r.times.find(baseline);
    if (m == r.times.end() || b == r.times.end()) return;
    const double ratio = m->second / b->second;
    std::printf("%-52s %8.3f (target at most %.1f) %s\n", what, ratio, target, ratio <= target ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    Ratio(reporter, "throttled pass / (try_lock+unlock + clock read)", "BM_ThrottledPass", "BM_ThrottleBaseline", 1.5);
    Ratio(reporter, "key-polling pass / (12 key-state calls + 2 menu queries)", "BM_KeyPollingPass",
          "BM_KeyPollingBaseline", 1.3);
    Ratio(reporter, "gamepad pass, connected / the same baseline", "BM_GamepadPassConnected", "BM_KeyPollingBaseline",
          2.0);
    Ratio(reporter, "gamepad pass, disconnected / the same baseline", "BM_GamepadPassDisconnected",
          "BM_KeyPollingBaseline", 1.3);
    for (const auto& [name, value] : reporter.counters)
        if (name.find("allocation") != std::string::npos || name.find("XInput") != std::string::npos) std::printf("%-52s %8.3f\n", name.c_str(), value);
    benchmark::Shutdown();
    return 0;
}
