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
    ; the caller's stack arguments start above its return address and home
    ; space: eight of them, 90h to 0C8h, go to 20h to 58h
    copied = 0
    REPT 8
        mov rax, [rsp + 90h + copied]
        mov [rsp + 20h + copied], rax
        copied = copied + 8
    ENDM
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
