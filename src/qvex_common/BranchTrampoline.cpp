#include "qvex_common/BranchTrampoline.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/log.h"
#include "platform/win32.h"

namespace Velloquin {

namespace {

// One line of diagnostic output. Only the loader's thread writes it, in
// QVEXPlugin_Load (the pool and the call site are made there, once).
char logBuffer[8192];

constexpr std::uintptr_t searchWindow = 0x78000000;
constexpr const char* sourceFile = "BranchTrampoline.cpp";

// The Microsoft runtime's %I64 length modifier, spelt as the C standard's ll elsewhere.
std::string PortableFormat(const char* format) {
    std::string text(format);
#ifndef _WIN32
    for (std::size_t at = text.find("I64"); at != std::string::npos; at = text.find("I64", at)) {
        if (at > 0 && text[at - 1] != '%' && !std::strchr("0123456789-+ #.", text[at - 1])) {
            at += 3;
            continue;
        }
        text.replace(at, 3, "ll");
    }
#endif
    return text;
}

}  // namespace

void DiagnosticLog(const char* format, ...) {
    const std::string portable = PortableFormat(format);
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(logBuffer, sizeof logBuffer - 1, portable.c_str(), args);
    va_end(args);
    if (length < 0) return;
    if (length > static_cast<int>(sizeof logBuffer) - 2) length = sizeof logBuffer - 2;
    logBuffer[length] = '\n';
    logBuffer[length + 1] = '\0';
    std::fputs(logBuffer, stdout);
    std::fflush(stdout);
    // The same line in the plug-in's log, where a player can find it.
    LogLine("Trampoline: %.*s", length, logBuffer);
}

BranchTrampoline::~BranchTrampoline() { Release(); }

void BranchTrampoline::Release() {
    if (m_base) VirtualFree(m_base, 0, MEM_RELEASE);
    m_base = nullptr;
    m_size = 0;
    m_pos = 0;
}

// Walks down from the byte below the module, region by region, and takes the
// top of the highest free region that is large enough and lies within reach.
TrampolineOutcome BranchTrampoline::AllocateNearImage(std::size_t size, std::uintptr_t moduleBase) {
    const std::uintptr_t lowest = moduleBase < searchWindow ? 0 : moduleBase - searchWindow;
    if (m_base) return TrampolineOutcome::Done;
    std::uintptr_t query = moduleBase - 1;
    for (;;) {
        MEMORY_BASIC_INFORMATION region{};
        if (!VirtualQuery(reinterpret_cast<LPCVOID>(query), &region, sizeof region)) {
            DiagnosticLog("VirtualQuery failed: %08X", GetLastError());
            return TrampolineOutcome::QueryFailed;
        }
        const auto regionBase = reinterpret_cast<std::uintptr_t>(region.BaseAddress);
        if (region.State == MEM_FREE && region.RegionSize >= size) {
            const std::uintptr_t candidate = regionBase + region.RegionSize - size;
            void* result = VirtualAlloc(reinterpret_cast<LPVOID>(candidate), size, MEM_COMMIT | MEM_RESERVE,
                                        PAGE_EXECUTE_READWRITE);
            if (result) {
                m_base = result;
                m_size = size;
                m_pos = 0;
                return TrampolineOutcome::Done;
            }
            DiagnosticLog("trampoline alloc %016I64Xx%016I64X failed (%08X)",
                          static_cast<unsigned long long>(candidate), static_cast<unsigned long long>(size),
                          GetLastError());
        }
        query = regionBase - 1;
        if (query < lowest || regionBase == 0) {
            DiagnosticLog("couldn't allocate trampoline, no free space before image");
            return TrampolineOutcome::NoFreeSpace;
        }
    }
}

TrampolineOutcome BranchTrampoline::PlaceCallSite(std::uintptr_t site, std::uintptr_t target) {
    if (!m_base) {
        DiagnosticLog("Assertion failed in %s (%d): %s", sourceFile, 125, "m_base");
        return TrampolineOutcome::NoPool;
    }
    if (m_size - m_pos < stubSize) {
        DiagnosticLog("Assertion failed in %s (%d): %s", sourceFile, 255, "result");
        return TrampolineOutcome::PoolFull;
    }
    auto* stub = static_cast<unsigned char*>(m_base) + m_pos;
    m_pos += stubSize;
    const JumpStub jump{{0xFF, 0x25}, 0, target};
    std::memcpy(stub, &jump, sizeof jump);

    const auto trampolineDispl = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(stub) - site - 5);
    if (!((trampolineDispl >= INT32_MIN) && (trampolineDispl <= INT32_MAX))) {
        DiagnosticLog("Assertion failed in %s (%d): %s", sourceFile, 245,
                      "(trampolineDispl >= _I32_MIN) && (trampolineDispl <= _I32_MAX)");
        return TrampolineOutcome::OutOfReach;
    }
    DWORD oldProtection = 0;
    VirtualProtect(reinterpret_cast<LPVOID>(site), 5, PAGE_EXECUTE_READWRITE, &oldProtection);
    const auto displacement = static_cast<std::int32_t>(trampolineDispl);
    // Four bytes first, then the opcode byte, as two plain stores.
    const std::uint32_t low = 0xE8u | (static_cast<std::uint32_t>(displacement) << 8);
    std::memcpy(reinterpret_cast<void*>(site), &low, 4);
    *reinterpret_cast<volatile unsigned char*>(site + 4) = static_cast<unsigned char>(displacement >> 24);
    DWORD ignored = 0;
    VirtualProtect(reinterpret_cast<LPVOID>(site), 5, oldProtection, &ignored);
    return TrampolineOutcome::Done;
}

std::uintptr_t ResolveCallTarget(std::uintptr_t site) {
    if (!site) return 0;
    unsigned char code[5];
    std::memcpy(code, reinterpret_cast<const void*>(site), sizeof code);
    if (code[0] != 0xE8) return 0;
    std::int32_t displacement;
    std::memcpy(&displacement, code + 1, 4);
    return site + 5 + static_cast<std::int64_t>(displacement);
}

}  // namespace Velloquin
