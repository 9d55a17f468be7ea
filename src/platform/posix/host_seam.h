// What only the program that loaded the plug-in can answer on Linux: the game
// module's address, the clock, key states, message-box answers, the end of
// the process and the libraries loaded at run time (the controller's). The
// test host exports VelloquinHost_Seam; without it the stand-in answers as a
// process with no game would.
#pragma once

#include <cstdint>

#include "platform/posix/win32_posix.h"

extern "C" {

struct VelloquinHostSeam {
    std::uintptr_t (*moduleBase)();
    std::int64_t (*steadyNow)();
    short (*getKeyState)(int virtualKey);
    int (*messageBox)(const char* text, const char* caption, unsigned style);
    void (*terminateProcess)(unsigned exitCode);
    // Optional: answers for a simulated memory layout; 0 (or null) uses the process's map.
    SIZE_T (*virtualQuery)(const void* address, MEMORY_BASIC_INFORMATION* info);
    void* (*virtualAlloc)(void* address, SIZE_T size, DWORD type, DWORD protect, bool* handled);
    // Optional: libraries the host provides by name (null: none), and their functions.
    void* (*loadLibrary)(const char* fileName);
    void* (*procAddress)(void* module, const char* name);
    // Optional: the file system as players have it. Whether another program
    // holds the file open without delete sharing (its path as the stand-in
    // opens it); how many of `requested` bytes the disk takes before it is
    // full; and waits of the calling thread (the host's clock runs on).
    bool (*fileHeld)(const char* path);
    std::uint32_t (*writeRoom)(std::uint32_t requested);
    void (*sleep)(std::uint32_t milliseconds);
};

// Defined by the host program (exported from the executable).
__attribute__((weak)) VelloquinHostSeam* VelloquinHost_Seam();
}

// Whether another program holds the file at this native path (the host says so).
bool HeldByAnotherProgram(const char* nativePath);
