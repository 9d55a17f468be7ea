#include "recorder.h"

#include <cstdio>
#include <mutex>

namespace TestHost {

namespace {
std::mutex recordsMutex;
std::vector<std::string> records;
bool echo = false;
bool paused = false;
}  // namespace

void Record(std::string line) {
    std::lock_guard lock(recordsMutex);
    if (paused) return;
    if (echo) {
        std::printf("  game: %s\n", line.c_str());
        std::fflush(stdout);
    }
    records.push_back(std::move(line));
}

const std::vector<std::string>& Records() { return records; }

void ClearRecords() {
    std::lock_guard lock(recordsMutex);
    records.clear();
}

std::vector<std::string> RecordsStartingWith(const std::string& prefix) {
    std::lock_guard lock(recordsMutex);
    std::vector<std::string> found;
    for (const auto& line : records)
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

void EchoRecords(bool on) { echo = on; }

void PauseRecords(bool on) {
    std::lock_guard lock(recordsMutex);
    paused = on;
}

}  // namespace TestHost
