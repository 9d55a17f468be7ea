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

// What became of a request to the pool. Every outcome but Done has also
// written its diagnostic line.
enum class TrampolineOutcome {
    Done,
    QueryFailed,   // VirtualQuery refused an address below the module
    NoFreeSpace,   // no free region within reach of the module was large enough
    NoPool,        // a stub was asked for before the pool was reserved
    PoolFull,      // fewer than 14 bytes are left in the pool
    OutOfReach,    // the stub lies beyond a 32-bit displacement from the call site
};

// One stub: an indirect jump through the eight bytes that follow it.
#pragma pack(push, 1)
struct JumpStub {
    std::uint8_t opcode[2];  // FF 25: jmp qword ptr [rip + disp32]
    std::int32_t ripOffset;  // 00 00 00 00: the address follows the instruction directly
    std::uint64_t target;    // the absolute address jumped to, little-endian
};
#pragma pack(pop)

class BranchTrampoline {
public:
    BranchTrampoline() = default;
    ~BranchTrampoline();  // releases the pool
    BranchTrampoline(const BranchTrampoline&) = delete;
    BranchTrampoline& operator=(const BranchTrampoline&) = delete;

    // Reserves the pool: Done (also when it is reserved already), QueryFailed or NoFreeSpace.
    TrampolineOutcome AllocateNearImage(std::size_t size, std::uintptr_t moduleBase);
    void Release();

    // Writes a stub jumping to target and turns the 5-byte call at site into a call of the stub.
    bool WriteCallSite(std::uintptr_t site, std::uintptr_t target) {
        return PlaceCallSite(site, target) == TrampolineOutcome::Done;
    }
    // The same, telling why it failed: Done, NoPool, PoolFull or OutOfReach.
    TrampolineOutcome PlaceCallSite(std::uintptr_t site, std::uintptr_t target);

    void* m_base = nullptr;
    std::uint64_t m_size = 0;
    std::uint64_t m_pos = 0;
};

// The absolute address called by the 5-byte E8 call at site, or 0.
std::uintptr_t ResolveCallTarget(std::uintptr_t site);

extern BranchTrampoline trampoline;

inline constexpr std::size_t stubSize = 14;
static_assert(sizeof(JumpStub) == stubSize);
inline constexpr std::size_t trampolinePoolSize = 256;

}  // namespace Velloquin
