; The hook entry for builds with the Microsoft compiler (MASM); GCC and MinGW
; builds take the same code from hook_entry.cpp. It calls the game function the
; redirected call displaced with every argument untouched (rcx, rdx, r8, r9,
; xmm0 to xmm3, and the first eight stack arguments copied into place), then
; runs the plug-in's own work, and hands the game's caller what the displaced
; function returned (rax and xmm0, kept across the plug-in's work). No
; callee-saved register is used.
;
; The frame, 68h bytes below the return address (rsp is 16-byte aligned at
; both calls):
;   rsp + 00h  home space of the called functions
;   rsp + 20h  the eight stack arguments, copied; after the displaced call
;              returns: its rax at 20h, its xmm0 at 30h
;   rsp + 60h  padding

EXTERN ?siteCallee@Velloquin@@3_KA:QWORD
EXTERN VelloquinFavoritesMenuHookBody:PROC

.code
FavoritesMenuHook PROC FRAME
    sub rsp, 68h
    .allocstack 68h
    .endprolog
    ; the caller's stack arguments start above its return address and home space
    mov rax, [rsp + 90h]
    mov [rsp + 20h], rax
    mov rax, [rsp + 98h]
    mov [rsp + 28h], rax
    mov rax, [rsp + 0A0h]
    mov [rsp + 30h], rax
    mov rax, [rsp + 0A8h]
    mov [rsp + 38h], rax
    mov rax, [rsp + 0B0h]
    mov [rsp + 40h], rax
    mov rax, [rsp + 0B8h]
    mov [rsp + 48h], rax
    mov rax, [rsp + 0C0h]
    mov [rsp + 50h], rax
    mov rax, [rsp + 0C8h]
    mov [rsp + 58h], rax
    call qword ptr [?siteCallee@Velloquin@@3_KA]
    mov [rsp + 20h], rax
    movaps xmmword ptr [rsp + 30h], xmm0
    call VelloquinFavoritesMenuHookBody
    mov rax, [rsp + 20h]
    movaps xmm0, xmmword ptr [rsp + 30h]
    add rsp, 68h
    ret
FavoritesMenuHook ENDP

END
