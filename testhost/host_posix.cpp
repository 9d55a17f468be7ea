// Linux: the plug-in's POSIX stand-in asks the host through VelloquinHost_Seam.
#ifndef _WIN32
#include <dlfcn.h>

#include <cstdio>

#include "controller.h"
#include "file_faults.h"
#include "image.h"
#include "shell_folders.h"
#include "platform/posix/host_seam.h"
#include "platform_seam.h"

namespace {

SIZE_T SeamVirtualQuery(const void* address, MEMORY_BASIC_INFORMATION* info) {
    std::uintptr_t base = 0;
    std::size_t size = 0;
    bool free = false;
    if (!TestHost::Seam::SimulatedQuery(reinterpret_cast<std::uintptr_t>(address), base, size, free)) return 0;
    *info = MEMORY_BASIC_INFORMATION{};
    info->BaseAddress = reinterpret_cast<void*>(base);
    info->RegionSize = size;
    info->State = free ? MEM_FREE : MEM_COMMIT;
    info->Protect = free ? PAGE_NOACCESS : PAGE_READWRITE;
    return sizeof *info;
}

void* SeamVirtualAlloc(void* address, SIZE_T size, DWORD, DWORD, bool* handled) {
    std::uintptr_t result = 0;
    *handled = TestHost::Seam::SimulatedAlloc(reinterpret_cast<std::uintptr_t>(address), size, result);
    return reinterpret_cast<void*>(result);
}

VelloquinHostSeam seam = {
    &TestHost::ImageBase,
    &TestHost::Seam::SteadyNow,
    &TestHost::Seam::GetKeyState,
    &TestHost::Seam::ShowMessageBox,
    [](unsigned code) { TestHost::Seam::TerminateProcess(code); },
    &SeamVirtualQuery,
    &SeamVirtualAlloc,
    [](const char* fileName) {
        bool handled = false;
        void* module = TestHost::Seam::LoadXInputLibrary(fileName, handled);
        return handled ? module : TestHost::Seam::LoadShellLibrary(fileName, handled);
    },
    [](void* module, const char* name) {
        bool handled = false;
        void* function = TestHost::Seam::XInputProcAddress(module, name, handled);
        return handled ? function : TestHost::Seam::ShellProcAddress(module, name, handled);
    },
    &TestHost::Seam::FileHeld,
    &TestHost::Seam::WriteRoom,
    &TestHost::Seam::Sleep,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) VelloquinHostSeam* VelloquinHost_Seam() { return &seam; }

namespace TestHost {

void* PlatformLoadLibrary(const std::string& path) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) std::fprintf(stderr, "%s\n", dlerror());
    return module;
}

void* PlatformSymbol(void* module, const char* name) { return dlsym(module, name); }

void PlatformFreeLibrary(void* module) { dlclose(module); }

}  // namespace TestHost
#endif
