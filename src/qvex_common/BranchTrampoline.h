// A pool of executable memory just below the game module that holds 14-byte
// jump stubs, so that a 5-byte relative call in the game can reach code
// anywhere in the address space.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace Velloquin {

// printf-style line on standard output (no log file); %I64X is accepted for
// 64-bit values in both builds.
void DiagnosticLog(const char* format, ...);

class BranchTrampoline {
public:
    BranchTrampoline() = default;
    ~BranchTrampoline();  // releases the pool
    BranchTrampoline(const BranchTrampoline&) = delete;
    BranchTrampoline& operator=(const BranchTrampoline&) = delete;

    void AllocateNearImage(std::size_t size, std::uintptr_t moduleBase);
    void Release();

    // Writes a stub jumping to target and turns the 5-byte call at site into a call of the stub.
    bool WriteCallSite(std::uintptr_t site, std::uintptr_t target);

    void* m_base = nullptr;
    std::uint64_t m_size = 0;
    std::uint64_t m_pos = 0;
};

// The absolute address called by the 5-byte E8 call at site, or 0.
std::uintptr_t ResolveCallTarget(std::uintptr_t site);

extern BranchTrampoline trampoline;

inline constexpr std::size_t stubSize = 14;
inline constexpr std::size_t trampolinePoolSize = 256;

}  // namespace Velloquin
