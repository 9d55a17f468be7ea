// The hook site: the game routine that holds the redirected call, and its
// original callee, both as machine code in the image; what each of them saw.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "game/game_index.h"
#include "host.h"
#include "host_parts.h"
#include "image.h"
#include "machine_code.h"

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

CalleeCapture capture;

// Both are machine code, so that nothing of a compiler's choosing touches a
// register first. The routine, as a game function would, keeps its caller's
// callee-saved registers; before the redirected call it loads a distinct
// sentinel into each of them and pushes eight stack arguments, and after it
// records what those registers and the returned rax and xmm0 hold. The callee
// records its argument registers, its eight stack arguments and the stack's
// alignment at its first instruction, and returns sentinels in rax and xmm0.
constexpr std::uint32_t calleeOffset = GI::hookSite + 0x400;
constexpr int stackArgumentCount = 8;

#ifdef _WIN32
constexpr int integerRegisters[] = {1, 2, 8, 9};  // rcx, rdx, r8, r9
constexpr int vectorRegisterCount = 4;
constexpr int homeSpace = 0x20;
constexpr int calleeSavedRegisters[] = {3, 5, 7, 6, 12, 13, 14, 15};
constexpr const char* calleeSavedNames[] = {"rbx", "rbp", "rdi", "rsi", "r12", "r13", "r14", "r15"};
constexpr int firstSavedVector = 6;  // xmm6 to xmm15
constexpr int savedVectorCount = 10;
#else
constexpr int integerRegisters[] = {7, 6, 2, 1, 8, 9};  // rdi, rsi, rdx, rcx, r8, r9
constexpr int vectorRegisterCount = 8;
constexpr int homeSpace = 0;
constexpr int calleeSavedRegisters[] = {3, 5, 12, 13, 14, 15};
constexpr const char* calleeSavedNames[] = {"rbx", "rbp", "r12", "r13", "r14", "r15"};
constexpr int firstSavedVector = 0;
constexpr int savedVectorCount = 0;  // System V keeps no vector register across a call
#endif
constexpr int calleeSavedCount = static_cast<int>(std::size(calleeSavedRegisters));

// What the routine saw after the call (written by its machine code).
struct AfterCall {
    std::uint64_t integers[8];
    std::uint64_t vectors[10][2];
    std::uint64_t rax;
    std::uint64_t xmm0[2];
};
AfterCall afterCall;

struct Sentinels {
    std::uint64_t integers[8];
    std::uint64_t vectors[10][2];
    std::uint64_t stackArguments[stackArgumentCount];
    std::uint64_t returnedXmm0[2];
    std::uint64_t returnedRax;
};
constexpr Sentinels sentinels = [] {
    Sentinels s{};
    for (int i = 0; i < 8; ++i) s.integers[i] = 0x5AFE'0000'0000'0000ull + 0x0101'0101'0101ull * (i + 1);
    for (int i = 0; i < 10; ++i) {
        s.vectors[i][0] = 0x7EC0'0000'0000'0000ull + 0x1111'1111ull * (i + 1);
        s.vectors[i][1] = 0x3C70'0000'0000'0000ull + 0x2222'2222ull * (i + 1);
    }
    for (int i = 0; i < stackArgumentCount; ++i) s.stackArguments[i] = 0x5A5A'0000ull + 0x1111ull * (i + 1);
    s.returnedXmm0[0] = 0x400921FB54442D18ull;  // 3.14159...
    s.returnedXmm0[1] = 0xD00D'FEED'0000'0001ull;
    s.returnedRax = 0x0BAD'CAFE'1234'5678ull;
    return s;
}();

constexpr int rax = 0, rcx = 1, rsp = 4, r11 = 11;

// The routine's frame: home space and stack arguments for the call, then the
// caller's xmm6 to xmm15; eight bytes more align the call to 16.
constexpr int vectorSaveArea = homeSpace + 8 * stackArgumentCount;
constexpr std::uint32_t frameSize = vectorSaveArea + 16 * savedVectorCount + 8;
static_assert((8 * calleeSavedCount + frameSize) % 16 == 8, "the call must find rsp 16-aligned");

// The part before the call instruction at the hook site.
std::vector<unsigned char> RoutineBeforeCall() {
    MachineCode::Code code;
    for (int reg : calleeSavedRegisters) code.Push(reg);
    code.SubtractFromRsp(frameSize);
    for (int i = 0; i < savedVectorCount; ++i) code.StoreVector(rsp, vectorSaveArea + 16 * i, firstSavedVector + i);
    for (int i = 0; i < calleeSavedCount; ++i) code.MoveImmediate(calleeSavedRegisters[i], sentinels.integers[i]);
    code.MoveImmediate(r11, reinterpret_cast<std::uint64_t>(&sentinels));
    for (int i = 0; i < savedVectorCount; ++i)
        code.LoadVector(firstSavedVector + i, r11, offsetof(Sentinels, vectors) + 16 * i);
    for (int i = 0; i < stackArgumentCount; ++i) {
        code.Load(rax, r11, offsetof(Sentinels, stackArguments) + 8 * i);
        code.Store(rsp, homeSpace + 8 * i, rax);
    }
    return code.bytes;
}

// The part after it: record, restore, return.
std::vector<unsigned char> RoutineAfterCall() {
    MachineCode::Code code;
    code.MoveImmediate(r11, reinterpret_cast<std::uint64_t>(&afterCall));
    for (int i = 0; i < calleeSavedCount; ++i)
        code.Store(r11, offsetof(AfterCall, integers) + 8 * i, calleeSavedRegisters[i]);
    for (int i = 0; i < savedVectorCount; ++i)
        code.StoreVector(r11, offsetof(AfterCall, vectors) + 16 * i, firstSavedVector + i);
    code.Store(r11, offsetof(AfterCall, rax), rax);
    code.StoreVector(r11, offsetof(AfterCall, xmm0), 0);
    for (int i = 0; i < savedVectorCount; ++i) code.LoadVector(firstSavedVector + i, rsp, vectorSaveArea + 16 * i);
    code.AddToRsp(frameSize);
    for (int i = calleeSavedCount - 1; i >= 0; --i) code.Pop(calleeSavedRegisters[i]);
    code.Emit({0xC3});
    return code.bytes;
}

std::vector<unsigned char> CalleeCode() {
    MachineCode::Code code;
    code.MoveImmediate(rax, reinterpret_cast<std::uint64_t>(&capture));
    int index = 0;
    for (int reg : integerRegisters) code.Store(rax, offsetof(CalleeCapture, integerRegisters) + 8 * index++, reg);
    for (int n = 0; n < vectorRegisterCount; ++n) {  // movq [rax + ...], xmmN
        code.Emit({0x66, 0x0F, 0xD6, static_cast<unsigned char>(0x80 | (n << 3))});
        code.Emit32(offsetof(CalleeCapture, vectorRegisters) + 8 * n);
    }
    // Above the return address (and the home space on Windows).
    for (int n = 0; n < stackArgumentCount; ++n) {
        code.Load(rcx, rsp, 8 + homeSpace + 8 * n);
        code.Store(rax, offsetof(CalleeCapture, stackArguments) + 8 * n, rcx);
    }
    code.Emit({0x48, 0x89, 0xE1, 0x48, 0x83, 0xE1, 0x0F});  // mov rcx, rsp; and rcx, 15
    code.Store(rax, offsetof(CalleeCapture, entryAlignment), rcx);
    code.Emit({0x48, 0xFF, 0x80});  // inc qword [rax + calls]
    code.Emit32(offsetof(CalleeCapture, calls));
    code.MoveImmediate(r11, reinterpret_cast<std::uint64_t>(&sentinels));
    code.LoadVector(0, r11, offsetof(Sentinels, returnedXmm0));
    code.Load(rax, r11, offsetof(Sentinels, returnedRax));
    code.Emit({0xC3});
    return code.bytes;
}

std::uint32_t routineStart = 0;

}  // namespace

void LayHookRoutine() {
    const std::vector<unsigned char> callee = CalleeCode();
    WriteImage(calleeOffset, callee.data(), callee.size());
    const std::vector<unsigned char> before = RoutineBeforeCall();
    routineStart = GI::hookSite - static_cast<std::uint32_t>(before.size());
    WriteImage(routineStart, before.data(), before.size());
    unsigned char call[5] = {0xE8};
    const std::int32_t displacement = MachineCode::Code::Displacement(GI::hookSite, calleeOffset);
    std::memcpy(call + 1, &displacement, 4);
    WriteImage(GI::hookSite, call, sizeof call);
    const std::vector<unsigned char> after = RoutineAfterCall();
    if (GI::hookSite + 5 + after.size() > calleeOffset) std::abort();
    WriteImage(GI::hookSite + 5, after.data(), after.size());
}

std::uintptr_t OriginalCallee() { return ImageBase() + calleeOffset; }
std::uintptr_t HookRoutine() { return ImageBase() + routineStart; }
const CalleeCapture& LastCalleeCapture() { return capture; }

SiteCapture LastSiteCapture() {
    SiteCapture seen;
    seen.returnedRax = afterCall.rax;
    seen.returnedXmm0[0] = afterCall.xmm0[0];
    seen.returnedXmm0[1] = afterCall.xmm0[1];
    for (int i = 0; i < calleeSavedCount; ++i)
        if (afterCall.integers[i] != sentinels.integers[i]) seen.changedRegisters.push_back(calleeSavedNames[i]);
    for (int i = 0; i < savedVectorCount; ++i)
        if (afterCall.vectors[i][0] != sentinels.vectors[i][0] || afterCall.vectors[i][1] != sentinels.vectors[i][1])
            seen.changedRegisters.push_back("xmm" + std::to_string(firstSavedVector + i));
    return seen;
}

const std::uint64_t* CalleeStackArguments() { return sentinels.stackArguments; }
std::uint64_t CalleeReturnedRax() { return sentinels.returnedRax; }
const std::uint64_t* CalleeReturnedXmm0() { return sentinels.returnedXmm0; }

void RunHookedCall() {
    using Routine = void (*)(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t);
    reinterpret_cast<Routine>(HookRoutine())(0x1111, 0x2222, 0x3333, 0x4444, 0x7777, 0x8888);
}

void ClearHookCaptures() {
    capture = CalleeCapture{};
    afterCall = AfterCall{};
}

}  // namespace TestHost
