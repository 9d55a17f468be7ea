// The host's side of the plug-in's platform calls, and loading a library;
// host_posix.cpp and host_windows.cpp connect them to the plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace TestHost {

namespace Seam {
short GetKeyState(int virtualKey);
int ShowMessageBox(const char* text, const char* caption, unsigned style);
[[noreturn]] void TerminateProcess(unsigned exitCode);
std::int64_t SteadyNow();
// Simulated memory: true when the simulation answered.
bool SimulatedQuery(std::uintptr_t address, std::uintptr_t& base, std::size_t& size, bool& free);
bool SimulatedAlloc(std::uintptr_t address, std::size_t size, std::uintptr_t& result);
}  // namespace Seam

void* PlatformLoadLibrary(const std::string& path);
void* PlatformSymbol(void* module, const char* name);
void PlatformFreeLibrary(void* module);

}  // namespace TestHost
