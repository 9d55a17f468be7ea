#include "recorder.h"

#include <atomic>
#include <cstdio>

#include "thread_log.h"

namespace TestHost {

namespace {
struct RecordsTag;
using RecordLog = ThreadLog<std::string, RecordsTag>;
std::atomic<bool> echo{false};
std::atomic<bool> paused{false};
}  // namespace

void Record(std::string line) {
    if (paused.load(std::memory_order_relaxed)) return;
    if (echo.load(std::memory_order_relaxed)) {
        std::printf("  game: %s\n", line.c_str());
        std::fflush(stdout);
    }
    RecordLog::Instance().Append(std::move(line));
}

const std::vector<std::string>& Records() { return RecordLog::Instance().Merged(); }

void ClearRecords() { RecordLog::Instance().Clear(); }

std::vector<std::string> RecordsStartingWith(const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& line : Records())
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

void EchoRecords(bool on) { echo.store(on, std::memory_order_relaxed); }

void PauseRecords(bool on) { paused.store(on, std::memory_order_relaxed); }

}  // namespace TestHost
