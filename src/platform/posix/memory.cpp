// Memory calls of the stand-in: regions come from the process's memory map,
// reservations are made exactly at the requested address or not at all.
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/host_seam.h"

namespace {


VelloquinHostSeam* Seam() { return VelloquinHost_Seam ? VelloquinHost_Seam() : nullptr; }

constexpr std::uintptr_t userSpaceEnd = 0x800000000000;  // first address above user space
constexpr std::uintptr_t lowestUsable = 0x10000;

std::uintptr_t PageSize() { return static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE)); }

DWORD ProtectionOf(const char* perms) {
    const bool r = perms[0] == 'r', w = perms[1] == 'w', x = perms[2] == 'x';
    if (x) return w ? PAGE_EXECUTE_READWRITE : PAGE_EXECUTE_READ;
    if (w) return PAGE_READWRITE;
    return r ? PAGE_READONLY : PAGE_NOACCESS;
}

int PosixProtection(DWORD protect) {
    switch (protect & 0xFF) {
        case PAGE_NOACCESS: return PROT_NONE;
        case PAGE_READONLY: return PROT_READ;
        case PAGE_READWRITE: return PROT_READ | PROT_WRITE;
        case PAGE_EXECUTE_READ: return PROT_READ | PROT_EXEC;
        default: return PROT_READ | PROT_WRITE | PROT_EXEC;
    }
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName) return nullptr;  // only the main module is ever asked for
    auto* seam = Seam();
    return seam && seam->moduleBase ? reinterpret_cast<HMODULE>(seam->moduleBase()) : nullptr;
}

// Walks /proc/self/maps: an address inside a mapping is a used region (the
// mapping), an address between two mappings is a free region (the gap).
SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T length) {
    if (auto* seam = Seam(); seam && seam->virtualQuery && info && length >= sizeof(MEMORY_BASIC_INFORMATION)) {
        if (SIZE_T answer = seam->virtualQuery(address, info)) return answer;
    }
    const auto addr = reinterpret_cast<std::uintptr_t>(address);
    if (!info || length < sizeof(MEMORY_BASIC_INFORMATION) || addr >= userSpaceEnd) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memset(info, 0, sizeof *info);
    std::uintptr_t gapStart = 0;
    bool answered = false;
    char line[512];
    while (!answered && std::fgets(line, sizeof line, maps)) {
        unsigned long start = 0, end = 0;
        char perms[5] = {};
        if (std::sscanf(line, "%lx-%lx %4s", &start, &end, perms) != 3) continue;
        if (addr < start) {  // in the gap before this mapping
            info->BaseAddress = reinterpret_cast<void*>(gapStart);
            info->RegionSize = start - gapStart;
            info->State = MEM_FREE;
            info->Protect = PAGE_NOACCESS;
            answered = true;
        } else if (addr < end) {
            info->BaseAddress = reinterpret_cast<void*>(start);
            info->AllocationBase = info->BaseAddress;
            info->RegionSize = end - start;
            info->State = MEM_COMMIT;
            info->Protect = info->AllocationProtect = ProtectionOf(perms);
            info->Type = MEM_PRIVATE;
            answered = true;
        }
        gapStart = end;
    }
    std::fclose(maps);
    if (!answered) {  // above the last mapping
        info->BaseAddress = reinterpret_cast<void*>(gapStart);
        info->RegionSize = userSpaceEnd - gapStart;
        info->State = MEM_FREE;
        info->Protect = PAGE_NOACCESS;
    }
    if (info->State == MEM_FREE && reinterpret_cast<std::uintptr_t>(info->BaseAddress) < lowestUsable) {
        const auto base = reinterpret_cast<std::uintptr_t>(info->BaseAddress);
        const auto top = base + info->RegionSize;
        if (addr < lowestUsable) {
            info->BaseAddress = nullptr;
            info->RegionSize = lowestUsable;
            info->State = MEM_RESERVE;  // the null page area is never available
        } else {
            info->BaseAddress = reinterpret_cast<void*>(lowestUsable);
            info->RegionSize = top - lowestUsable;
        }
    }
    return sizeof(MEMORY_BASIC_INFORMATION);
}

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
    if (auto* seam = Seam(); seam && seam->virtualAlloc) {
        bool handled = false;
        void* result = seam->virtualAlloc(address, size, type, protect, &handled);
        if (handled) {
            if (!result) SetLastError(ERROR_INVALID_ADDRESS);
            return result;
        }
    }
    if (size == 0) return SetLastError(ERROR_INVALID_PARAMETER), nullptr;
    const std::uintptr_t page = PageSize();
    const auto requested = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t start = requested & ~(page - 1);
    const std::uintptr_t length = ((requested + size + page - 1) & ~(page - 1)) - start;
    int flags = MAP_PRIVATE | MAP_ANONYMOUS;
    if (address) flags |= MAP_FIXED_NOREPLACE;
    void* result = mmap(reinterpret_cast<void*>(start), length, PosixProtection(protect), flags, -1, 0);
    if (result == MAP_FAILED) {
        SetLastError(address ? ERROR_INVALID_ADDRESS : ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (address && reinterpret_cast<std::uintptr_t>(result) != start) {  // kernels without NOREPLACE
        munmap(result, length);
        SetLastError(ERROR_INVALID_ADDRESS);
        return nullptr;
    }
    return result;
}

BOOL VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, PDWORD oldProtect) {
    MEMORY_BASIC_INFORMATION info{};
    DWORD old = PAGE_NOACCESS;
    if (::VirtualQuery(address, &info, sizeof info)) old = info.Protect;
    const std::uintptr_t page = PageSize();
    const auto addr = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t start = addr & ~(page - 1);
    const std::uintptr_t end = (addr + size + page - 1) & ~(page - 1);
    if (mprotect(reinterpret_cast<void*>(start), end - start, PosixProtection(newProtect)) != 0) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return 0;
    }
    if (oldProtect) *oldProtect = old;
    return 1;
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
    if (freeType != MEM_RELEASE || size != 0 || !address) return SetLastError(ERROR_INVALID_PARAMETER), 0;
    // A release frees the whole reservation: the run of pages the map shows at that address.
    MEMORY_BASIC_INFORMATION info{};
    if (!::VirtualQuery(address, &info, sizeof info) || info.State == MEM_FREE) {
        return SetLastError(ERROR_INVALID_ADDRESS), 0;
    }
    return munmap(info.BaseAddress, info.RegionSize) == 0;
}
