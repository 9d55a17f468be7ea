// The player's controller and the XInput libraries, as the host provides
// them to the plug-in's run-time lookup: LoadLibraryA of an XInput library
// and GetProcAddress of XInputGetState are answered by the host in both
// builds (the import table on Windows, VelloquinHost_Seam on Linux).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TestHost {

// The controller sits at port 0 (unless moved); the other ports are empty. It
// starts disconnected, with nothing pressed.
void ConnectController(bool connected);
// The port (0 to 3) the controller is plugged into.
void SetControllerPort(int port);
// A gamepad code (0x10000 + button mask) goes down or up; the trigger codes
// 0x10009 and 0x1000A pull their trigger fully (255) or release it.
void SetPadButton(std::uint32_t code, bool down);
void SetPadTrigger(bool left, std::uint8_t value);
// Every read answers this error (0: the controller's state as set).
void SetXInputError(std::uint32_t error);

// The XInput libraries that load (by file name, any case); all three at first.
void SetXInputLibraries(const std::vector<std::string>& names);
// The XInput libraries the plug-in asked for, in order.
std::vector<std::string> XInputLibraryRequests();
// XInputGetState calls so far, whatever they answered.
std::uint64_t XInputReads();

// Back to a disconnected controller, all three libraries, no reads.
void ResetController();

namespace Seam {
// handled: the name is an XInput library (the module is null when it does not load).
void* LoadXInputLibrary(const char* fileName, bool& handled);
// handled: the module is one the host gave out.
void* XInputProcAddress(void* module, const char* name, bool& handled);
}  // namespace Seam

}  // namespace TestHost
