// Process-level calls of the stand-in, answered by the host program when it
// provides them.
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "platform/posix/host_seam.h"

namespace {
VelloquinHostSeam* Seam() { return VelloquinHost_Seam ? VelloquinHost_Seam() : nullptr; }
thread_local DWORD lastError = 0;
}  // namespace

void SetLastError(DWORD code) { lastError = code; }
DWORD GetLastError() { return lastError; }

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    if (auto* seam = Seam(); seam && seam->messageBox) return seam->messageBox(text, caption, type);
    std::fprintf(stderr, "%s\n%s\n", caption ? caption : "", text ? text : "");
    return 0;  // no display: the box fails
}

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

BOOL TerminateProcess(HANDLE, UINT exitCode) {
    std::fflush(nullptr);
    if (auto* seam = Seam(); seam && seam->terminateProcess) seam->terminateProcess(exitCode);
    _exit(static_cast<int>(exitCode));
}

SHORT GetKeyState(int virtualKey) {
    if (auto* seam = Seam(); seam && seam->getKeyState) return seam->getKeyState(virtualKey);
    return 0;
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (auto* seam = Seam(); seam && seam->loadLibrary && fileName) {
        if (void* module = seam->loadLibrary(fileName)) return module;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (auto* seam = Seam(); seam && seam->procAddress && module && name)
        return reinterpret_cast<FARPROC>(seam->procAddress(module, name));
    return nullptr;
}

namespace Velloquin {
std::int64_t SteadyNow() {
    if (auto* seam = Seam(); seam && seam->steadyNow) return seam->steadyNow();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace Velloquin
