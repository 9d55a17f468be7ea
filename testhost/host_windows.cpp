// Windows: the host loads the real DLL and answers its calls of MessageBoxA,
// TerminateProcess, GetKeyState, VirtualQuery, VirtualAlloc, the performance
// counter, and LoadLibraryA/GetProcAddress of XInput and of the shell's
// folder lookup by rewriting the DLL's
// import address table, as a debugging tool would. The shipped DLL is thus
// the tested DLL.
#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "controller.h"
#include "file_faults.h"
#include "platform_seam.h"
#include "shell_folders.h"

namespace {

// The system's own entries, from the system DLL itself: the executable's import
// table (through which &::VirtualQuery would go) is patched below.
template <class Fn>
Fn SystemFunction(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}
const auto realVirtualQuery = SystemFunction<decltype(&::VirtualQuery)>("VirtualQuery");
const auto realVirtualAlloc = SystemFunction<decltype(&::VirtualAlloc)>("VirtualAlloc");
const auto realTerminateProcess = SystemFunction<decltype(&::TerminateProcess)>("TerminateProcess");
const auto realLoadLibraryA = SystemFunction<decltype(&::LoadLibraryA)>("LoadLibraryA");
const auto realGetProcAddress = SystemFunction<decltype(&::GetProcAddress)>("GetProcAddress");
const auto realWriteFile = SystemFunction<decltype(&::WriteFile)>("WriteFile");
const auto realSleep = SystemFunction<decltype(&::Sleep)>("Sleep");

int WINAPI HostMessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    return TestHost::Seam::ShowMessageBox(text, caption, type);
}

BOOL WINAPI HostTerminateProcess(HANDLE process, UINT code) {
    if (process == GetCurrentProcess()) TestHost::Seam::TerminateProcess(code);
    return realTerminateProcess(process, code);
}

SHORT WINAPI HostGetKeyState(int key) { return TestHost::Seam::GetKeyState(key); }

SIZE_T WINAPI HostVirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T length) {
    std::uintptr_t base = 0;
    std::size_t size = 0;
    bool free = false;
    if (info && length >= sizeof *info &&
        TestHost::Seam::SimulatedQuery(reinterpret_cast<std::uintptr_t>(address), base, size, free)) {
        std::memset(info, 0, sizeof *info);
        info->BaseAddress = reinterpret_cast<void*>(base);
        info->RegionSize = size;
        info->State = free ? MEM_FREE : MEM_COMMIT;
        info->Protect = free ? PAGE_NOACCESS : PAGE_READWRITE;
        return sizeof *info;
    }
    return realVirtualQuery(address, info, length);
}

LPVOID WINAPI HostVirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
    std::uintptr_t result = 0;
    if (TestHost::Seam::SimulatedAlloc(reinterpret_cast<std::uintptr_t>(address), size, result)) {
        if (!result) SetLastError(ERROR_INVALID_ADDRESS);
        return reinterpret_cast<LPVOID>(result);
    }
    return realVirtualAlloc(address, size, type, protect);
}

// The steady clock of the DLL's runtime reads the performance counter; the
// host's clock is in nanoseconds, so the frequency is 10^9.
BOOL WINAPI HostQueryPerformanceCounter(LARGE_INTEGER* counter) {
    counter->QuadPart = TestHost::Seam::SteadyNow();
    return TRUE;
}
BOOL WINAPI HostQueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = 1'000'000'000;
    return TRUE;
}

// XInput's libraries (its controller) and the shell's (the user's folders)
// are the host's; every other library is the system's.
HMODULE WINAPI HostLoadLibraryA(LPCSTR fileName) {
    bool handled = false;
    void* module = TestHost::Seam::LoadXInputLibrary(fileName, handled);
    if (!handled) module = TestHost::Seam::LoadShellLibrary(fileName, handled);
    if (!handled) return realLoadLibraryA(fileName);
    if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
    return static_cast<HMODULE>(module);
}

FARPROC WINAPI HostGetProcAddress(HMODULE module, LPCSTR name) {
    bool handled = false;
    void* function = TestHost::Seam::XInputProcAddress(module, name, handled);
    if (!handled) function = TestHost::Seam::ShellProcAddress(module, name, handled);
    if (!handled) return realGetProcAddress(module, name);
    if (!function) SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(function);
}

// The disk takes what the host's fault allows; the rest fails as a full disk does.
BOOL WINAPI HostWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    const DWORD room = TestHost::Seam::WriteRoom(size);
    DWORD done = 0;
    if (room > 0 && !realWriteFile(file, buffer, room, &done, overlapped)) {
        if (written) *written = done;
        return FALSE;
    }
    if (written) *written = done;
    if (room < size) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return TRUE;
}

// The plug-in waits on the game's thread: the host's clock runs on. A zero
// wait only yields (the runtime's locks spin so): it stays the system's.
void WINAPI HostSleep(DWORD milliseconds) {
    if (milliseconds == 0) return realSleep(0);
    TestHost::Seam::Sleep(milliseconds);
}

struct Replacement {
    const char* name;
    const void* function;
    bool pluginOnly;  // not in an executable that holds the plug-in's code (the tests' own threads sleep)
};
const Replacement replacements[] = {
    {"MessageBoxA", reinterpret_cast<const void*>(&HostMessageBoxA), false},
    {"TerminateProcess", reinterpret_cast<const void*>(&HostTerminateProcess), false},
    {"GetKeyState", reinterpret_cast<const void*>(&HostGetKeyState), false},
    {"VirtualQuery", reinterpret_cast<const void*>(&HostVirtualQuery), false},
    {"VirtualAlloc", reinterpret_cast<const void*>(&HostVirtualAlloc), false},
    {"QueryPerformanceCounter", reinterpret_cast<const void*>(&HostQueryPerformanceCounter), false},
    {"QueryPerformanceFrequency", reinterpret_cast<const void*>(&HostQueryPerformanceFrequency), false},
    {"LoadLibraryA", reinterpret_cast<const void*>(&HostLoadLibraryA), false},
    {"GetProcAddress", reinterpret_cast<const void*>(&HostGetProcAddress), false},
    {"WriteFile", reinterpret_cast<const void*>(&HostWriteFile), true},
    {"Sleep", reinterpret_cast<const void*>(&HostSleep), true},
};

void PatchImports(HMODULE module, bool plugin) {
    auto* base = reinterpret_cast<unsigned char*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress) return;
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + import->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA64*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            for (const auto& replacement : replacements) {
                if (std::strcmp(name, replacement.name) != 0 || (replacement.pluginOnly && !plugin)) continue;
                DWORD old = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
                slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement.function);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            }
        }
    }
}

// Executables that hold the plug-in's code themselves (the unit tests) are
// patched the same way when the host starts.
const bool selfPatched = [] {
    PatchImports(GetModuleHandleA(nullptr), false);
    return true;
}();

}  // namespace

namespace TestHost {

void* PlatformLoadLibrary(const std::string& path) {
    (void)selfPatched;
    std::string windowsPath = path;
    if (!windowsPath.empty() && windowsPath[0] == '/') {  // a Linux path under Wine: drive Z:
        windowsPath = "Z:" + windowsPath;
        for (char& c : windowsPath)
            if (c == '/') c = '\\';
    }
    HMODULE module = LoadLibraryA(windowsPath.c_str());
    if (!module) {
        std::fprintf(stderr, "LoadLibrary failed: %lu\n", GetLastError());
        return nullptr;
    }
    PatchImports(module, true);
    return module;
}

void* PlatformSymbol(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void PlatformFreeLibrary(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

}  // namespace TestHost
#endif
