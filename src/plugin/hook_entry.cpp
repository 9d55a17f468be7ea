// The hook entry the redirected game call lands in. It is written in assembly
// so that every argument the game passed (all argument registers, vector
// registers included, and the first eight stack arguments) reaches the
// displaced game function unchanged; only then does the plug-in's own work run.
// What the displaced function returned (rax and xmm0) is kept across that work
// and handed back, so a caller that reads it gets the game's own answer.
#include "menu/runtime.h"
#include "plugin/exports.h"
#include "core/state.h"

extern "C" {
// Runs after the displaced call: the pass serves the item menus' assignment mode.
void VelloquinFavoritesMenuHookBody() {
    try {
        if (Velloquin::Game::MenuModeContext()) Velloquin::RunUpdatePass(true);
    } catch (...) {
        // Nothing is thrown into the game.
    }
}
}

#if defined(_MSC_VER) || defined(VELLOQUIN_MASM_HOOK_ENTRY)
// The Microsoft compiler has no inline assembly for x64: hook_entry_msvc.asm
// holds the same entry for it (a MinGW build can link that one too, so that it
// is tested here).
#elif defined(_WIN64)
// Microsoft x64: arguments in rcx, rdx, r8, r9 (xmm0 to xmm3 for floating
// point), the rest on the stack above 32 bytes of home space. The code is
// written once, in hook_entry_win64.inc, one instruction or unwind directive
// a line.
#if defined(__clang__)
// clang makes it a naked function (no prologue or epilogue of its own, no
// unwind directives of its own: the entry's own ones describe its frame), so
// that the PDB holds a procedure record for it, with its extent and a line for
// each instruction, as for the compiled functions: a crash tool names an
// address inside the entry.
extern "C" __attribute__((naked)) void FavoritesMenuHook() {
#define VELLOQUIN_HOOK_ENTRY_LINE(text) asm(text);
#include "plugin/hook_entry_win64.inc"
#undef VELLOQUIN_HOOK_ENTRY_LINE
}
#else
// GCC writes unwind directives of its own even for a naked function: the
// entry is a top-level block of assembly.
asm(".text\n"
    ".globl FavoritesMenuHook\n"
    ".def FavoritesMenuHook; .scl 2; .type 32; .endef\n"
    "FavoritesMenuHook:\n"
#define VELLOQUIN_HOOK_ENTRY_LINE(text) text "\n"
#include "plugin/hook_entry_win64.inc"
#undef VELLOQUIN_HOOK_ENTRY_LINE
);
#endif
#elif defined(__x86_64__)
// System V: arguments in rdi, rsi, rdx, rcx, r8, r9, xmm0 to xmm7 (al counts
// the vector registers of a variadic call), the rest on the stack.
asm(R"(
    .text
    .globl FavoritesMenuHook
    .hidden FavoritesMenuHook
    .type FavoritesMenuHook, @function
FavoritesMenuHook:
    .cfi_startproc
    pushq %rbp
    .cfi_def_cfa_offset 16
    .cfi_offset %rbp, -16
    movq %rsp, %rbp
    .cfi_def_cfa_register %rbp
    subq $0x60, %rsp
    movq 0x10(%rbp), %r10
    movq %r10, 0x00(%rsp)
    movq 0x18(%rbp), %r10
    movq %r10, 0x08(%rsp)
    movq 0x20(%rbp), %r10
    movq %r10, 0x10(%rsp)
    movq 0x28(%rbp), %r10
    movq %r10, 0x18(%rsp)
    movq 0x30(%rbp), %r10
    movq %r10, 0x20(%rsp)
    movq 0x38(%rbp), %r10
    movq %r10, 0x28(%rsp)
    movq 0x40(%rbp), %r10
    movq %r10, 0x30(%rsp)
    movq 0x48(%rbp), %r10
    movq %r10, 0x38(%rsp)
    movq _ZN9Velloquin10siteCalleeE(%rip), %r11
    callq *%r11
    movq %rax, -0x10(%rbp)
    movdqu %xmm0, -0x20(%rbp)
    callq VelloquinFavoritesMenuHookBody
    movq -0x10(%rbp), %rax
    movdqu -0x20(%rbp), %xmm0
    leave
    .cfi_def_cfa %rsp, 8
    ret
    .cfi_endproc
    .size FavoritesMenuHook, .-FavoritesMenuHook
)");
#else
#error "the hook entry is written for x86-64"
#endif
