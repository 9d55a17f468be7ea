#include <mutex>

#include "host.h"
#include "platform_seam.h"

namespace TestHost {

namespace {
std::mutex simulationMutex;
bool simulating = false;
std::vector<MemoryRegion> regions;
std::vector<std::uintptr_t> refused;
std::vector<std::uintptr_t> requests;
}  // namespace

void SimulateMemory(std::vector<MemoryRegion> newRegions, std::vector<std::uintptr_t> refusedAddresses) {
    std::lock_guard lock(simulationMutex);
    simulating = true;
    regions = std::move(newRegions);
    refused = std::move(refusedAddresses);
    requests.clear();
}

void StopSimulatingMemory() {
    std::lock_guard lock(simulationMutex);
    simulating = false;
    regions.clear();
    refused.clear();
}

const std::vector<std::uintptr_t>& AllocationRequests() { return requests; }

namespace Seam {

bool SimulatedQuery(std::uintptr_t address, std::uintptr_t& base, std::size_t& size, bool& free) {
    std::lock_guard lock(simulationMutex);
    if (!simulating) return false;
    for (const auto& region : regions) {
        if (address >= region.base && address - region.base < region.size) {
            base = region.base;
            size = region.size;
            free = region.free;
            return true;
        }
    }
    // Outside the simulated regions: one used region around the address.
    base = address & ~std::uintptr_t{0xFFFF};
    size = 0x10000;
    free = false;
    return true;
}

bool SimulatedAlloc(std::uintptr_t address, std::size_t, std::uintptr_t& result) {
    std::lock_guard lock(simulationMutex);
    if (!simulating) return false;
    requests.push_back(address);
    result = 0;
    for (std::uintptr_t at : refused)
        if (at == address) return true;
    result = address;
    return true;
}

}  // namespace Seam
}  // namespace TestHost
