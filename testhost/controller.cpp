// The player's controller behind XInputGetState, and the XInput libraries.
#include "controller.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "base/text.h"
#include "platform/xinput.h"

namespace TestHost {

namespace {

constexpr std::uint32_t padCodeBase = 0x10000;
constexpr std::uint32_t leftTrigger = 0x10009, rightTrigger = 0x1000A;
constexpr const char* libraryNames[] = {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"};

std::atomic<bool> connected{false};
std::atomic<int> controllerPort{0};
std::atomic<std::uint16_t> buttons{0};
std::atomic<std::uint8_t> leftValue{0}, rightValue{0};
std::atomic<std::uint32_t> forcedError{0};
std::atomic<std::uint64_t> reads{0};
std::atomic<std::uint32_t> packet{0};

std::mutex librariesMutex;
bool loads[3] = {true, true, true};
std::vector<std::string> requests;
// The module handles given out: the address of one byte per library.
char modules[3];

int LibraryIndex(const std::string& fileName) {
    std::string name = Velloquin::LowerAscii(fileName);
    const auto slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    for (int i = 0; i < 3; ++i)
        if (name == libraryNames[i]) return i;
    return -1;
}

DWORD WINAPI HostXInputGetState(DWORD port, Velloquin::XInputGamepadState* state) {
    ++reads;
    if (const std::uint32_t error = forcedError) return error;
    if (port != static_cast<DWORD>(controllerPort.load()) || !connected || !state) return ERROR_DEVICE_NOT_CONNECTED;
    std::memset(state, 0, sizeof *state);
    state->packetNumber = ++packet;
    state->buttons = buttons;
    state->leftTrigger = leftValue;
    state->rightTrigger = rightValue;
    return ERROR_SUCCESS;
}

}  // namespace

void ConnectController(bool on) { connected = on; }
void SetControllerPort(int port) { controllerPort = port; }

void SetPadButton(std::uint32_t code, bool down) {
    if (code == leftTrigger || code == rightTrigger) {
        SetPadTrigger(code == leftTrigger, down ? 255 : 0);
        return;
    }
    const auto mask = static_cast<std::uint16_t>(code - padCodeBase);
    if (down) buttons |= mask;
    else buttons &= static_cast<std::uint16_t>(~mask);
}

void SetPadTrigger(bool left, std::uint8_t value) { (left ? leftValue : rightValue) = value; }

void SetXInputError(std::uint32_t error) { forcedError = error; }

void SetXInputLibraries(const std::vector<std::string>& names) {
    std::lock_guard lock(librariesMutex);
    for (int i = 0; i < 3; ++i)
        loads[i] = std::any_of(names.begin(), names.end(), [&](const std::string& n) { return LibraryIndex(n) == i; });
}

std::vector<std::string> XInputLibraryRequests() {
    std::lock_guard lock(librariesMutex);
    return requests;
}

std::uint64_t XInputReads() { return reads; }

void ResetController() {
    connected = false;
    controllerPort = 0;
    buttons = 0;
    leftValue = 0;
    rightValue = 0;
    forcedError = 0;
    reads = 0;
    std::lock_guard lock(librariesMutex);
    std::fill(std::begin(loads), std::end(loads), true);
    requests.clear();
}

namespace Seam {

void* LoadXInputLibrary(const char* fileName, bool& handled) {
    const int index = fileName ? LibraryIndex(fileName) : -1;
    handled = index >= 0;
    if (!handled) return nullptr;
    std::lock_guard lock(librariesMutex);
    requests.push_back(fileName);
    return loads[index] ? &modules[index] : nullptr;
}

void* XInputProcAddress(void* module, const char* name, bool& handled) {
    handled = std::any_of(std::begin(modules), std::end(modules), [&](char& m) { return module == &m; });
    if (!handled) return nullptr;
    // Names below 0x10000 are ordinals, which the host does not give out.
    if (reinterpret_cast<std::uintptr_t>(name) < 0x10000 || std::strcmp(name, "XInputGetState") != 0) return nullptr;
    return reinterpret_cast<void*>(&HostXInputGetState);
}

}  // namespace Seam

}  // namespace TestHost
