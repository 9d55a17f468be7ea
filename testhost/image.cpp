#include "image.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <vector>

#include "game/game_index.h"
#include "host_parts.h"
#include "machine_code.h"

#ifdef _WIN32
#include <windows.h>
// The image lives in the executable's own uninitialised section .gimage, which
// the linker script places right after the headers: the module base plus any
// game offset then lands inside it, as in the game.
asm(".section .gimage,\"bw\"\n"
    ".globl velloquin_game_image\n"
    ".balign 4096\n"
    "velloquin_game_image:\n"
    ".space 0x6301000\n"
    ".text\n");
extern "C" unsigned char velloquin_game_image[];
#else
#include <sys/mman.h>
#endif

namespace TestHost {

namespace {

struct Written {
    std::uint32_t offset;
    std::size_t size;
};

std::vector<Written>& WrittenRanges() {
    static std::vector<Written> ranges;
    return ranges;
}

std::map<std::uint32_t, const void*>& DefaultFunctions() {
    static std::map<std::uint32_t, const void*> functions;
    return functions;
}

std::vector<ResetHook>& ResetHooks() {
    static std::vector<ResetHook> hooks;
    return hooks;
}

std::uintptr_t Reserve() {
#ifdef _WIN32
    const auto base = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const auto start = reinterpret_cast<std::uintptr_t>(velloquin_game_image);
    if (start > base + 0x2BE580 || start + 0x6301000 < base + imageSize) {
        std::fprintf(stderr, "test host: the image section does not span the game offsets\n");
        std::abort();
    }
    DWORD old = 0;
    // Code is placed in the image: it must be executable, as the game's is.
    VirtualProtect(reinterpret_cast<void*>(start), 0x6301000, PAGE_EXECUTE_READWRITE, &old);
    return base;
#else
    // A high address, as Windows gives, with free space below it for the plug-in's stubs.
    void* hint = reinterpret_cast<void*>(0x7ff712340000);
    void* image = mmap(hint, imageSize, PROT_READ | PROT_WRITE | PROT_EXEC,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE | MAP_NORESERVE, -1, 0);
    if (image == MAP_FAILED)
        image = mmap(nullptr, imageSize, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                     -1, 0);
    if (image == MAP_FAILED) {
        std::perror("test host: cannot reserve the game image");
        std::abort();
    }
    return reinterpret_cast<std::uintptr_t>(image);
#endif
}

// The game's functions that answer a bool or a byte. The game's compiler
// leaves whatever it likes in the rest of eax; their stubs put junk there, so
// a caller that reads more than al answers wrongly. They also leave junk in
// the registers a call may change. Each takes at most four
// arguments, all in registers, so the stub's own frame hides none of them.
constexpr std::uint32_t byteAnswers[] = {Velloquin::GameIndex::IsMenuOpen, Velloquin::GameIndex::IsEquipped,
                                         Velloquin::GameIndex::itemCount};

void WriteStub(std::uint32_t offset, const void* function) {
    const auto target = reinterpret_cast<std::uint64_t>(function);
    if (std::find(std::begin(byteAnswers), std::end(byteAnswers), offset) != std::end(byteAnswers)) {
        MachineCode::Code code;
        code.Emit({0x48, 0x83, 0xEC, 0x28});  // sub rsp, 0x28: home space, and rsp 16-aligned at the call
        code.MoveImmediate(0, target);        // mov rax, function
        code.Emit({0xFF, 0xD0});              // call rax
        code.Emit({0x48, 0x83, 0xC4, 0x28});  // add rsp, 0x28
        code.Emit({0x0F, 0xB6, 0xC0});        // movzx eax, al
        code.Emit({0x0D});                    // or eax, junk
        code.Emit32(byteAnswerJunk);
        // The registers no caller may expect kept (in either convention)
        // come back changed, as from any function of the game.
        code.MoveImmediate(1, 0xC1088E2ED0000000ull);  // mov rcx, junk
        for (unsigned char n = 0; n < 6; ++n)           // movq xmmN, rcx
            code.Emit({0x66, 0x48, 0x0F, 0x6E, static_cast<unsigned char>(0xC1 | (n << 3))});
        code.Emit({0x48, 0x89, 0xCA, 0x49, 0x89, 0xC8, 0x49, 0x89, 0xC9,  // mov rdx, rcx; mov r8, rcx; mov r9, rcx
                   0x49, 0x89, 0xCA, 0x49, 0x89, 0xCB});                 // mov r10, rcx; mov r11, rcx
        code.Emit({0xC3});
        WriteImage(offset, code.bytes.data(), code.bytes.size());
        return;
    }
    unsigned char stub[14] = {0xFF, 0x25, 0, 0, 0, 0};
    std::memcpy(stub + 6, &target, 8);
    WriteImage(offset, stub, sizeof stub);
}

}  // namespace

std::uintptr_t ImageBase() {
    static const std::uintptr_t base = Reserve();
    return base;
}

void WriteImage(std::uint32_t offset, const void* data, std::size_t size) {
    std::memcpy(reinterpret_cast<void*>(ImageBase() + offset), data, size);
    WrittenRanges().push_back({offset, size});
}

void SetGameFunction(std::uint32_t offset, const void* function) { WriteStub(offset, function); }

bool RegisterDefaultFunction(std::uint32_t offset, const void* function) {
    DefaultFunctions()[offset] = function;
    return true;
}

bool RegisterResetHook(ResetHook hook) {
    ResetHooks().push_back(hook);
    return true;
}

void ResetImage() {
    const std::uintptr_t base = ImageBase();
    for (const auto& range : WrittenRanges()) std::memset(reinterpret_cast<void*>(base + range.offset), 0, range.size);
    WrittenRanges().clear();
    // Functions the host has no stand-in for trap at once if the plug-in calls them.
    const unsigned char trap = 0xCC;
    for (const auto& entry : Velloquin::GameIndex::entries)
        if (entry.kind == Velloquin::GameIndex::Kind::Code) WriteImage(entry.offset, &trap, 1);
    for (const auto& [offset, function] : DefaultFunctions()) WriteStub(offset, function);
    LayHookRoutine();
    for (ResetHook hook : ResetHooks()) hook();
}

}  // namespace TestHost
