// The keyboard as the plug-in's GetKeyState sees it, and the record of its
// queries.
#include <array>
#include <atomic>

#include "host.h"
#include "platform_seam.h"
#include "thread_log.h"

namespace TestHost {

namespace {

// The keys are plain values the game's threads read: relaxed atomics, which
// order nothing else. The queries go to each thread's own log, so the host
// puts no ordering between the plug-in's threads that the plug-in does not
// make itself.
std::atomic<bool> recordKeyQueries{true};
std::array<std::atomic<bool>, 256> keysDown{};
struct KeyQueriesTag;
using KeyQueryLog = ThreadLog<int, KeyQueriesTag>;

}  // namespace

short Seam::GetKeyState(int virtualKey) {
    if (recordKeyQueries.load(std::memory_order_relaxed)) KeyQueryLog::Instance().Append(virtualKey);
    const bool down = virtualKey >= 0 && virtualKey < static_cast<int>(keysDown.size()) &&
                      keysDown[virtualKey].load(std::memory_order_relaxed);
    return down ? static_cast<short>(0xFF80) : 0;
}

void RecordKeyStateQueries(bool on) { recordKeyQueries.store(on, std::memory_order_relaxed); }

void SetKeyDown(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey < static_cast<int>(keysDown.size()))
        keysDown[virtualKey].store(down, std::memory_order_relaxed);
}
void ReleaseAllKeys() {
    for (auto& key : keysDown) key.store(false, std::memory_order_relaxed);
}
const std::vector<int>& KeyStateQueries() { return KeyQueryLog::Instance().Merged(); }
void ClearKeyStateQueries() { KeyQueryLog::Instance().Clear(); }

}  // namespace TestHost
