// The stand-in of the game's module image: one reserved range that spans every
// offset of the game index. Data offsets hold values or pointers to host
// objects, function offsets hold 14-byte jumps to the host's own functions,
// and the hook site holds a real routine with the 5-byte call the plug-in
// redirects. On Linux the range is mapped memory that the stand-in reports as
// the game module; on Windows it is the host executable's own image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace TestHost {

inline constexpr std::size_t imageSize = 0x6300000;

// Base address of the image (reserved on first use).
std::uintptr_t ImageBase();

// Clears every byte the host wrote and lays the image out afresh: function
// stubs for every registered host function, int3 for the others, the hook
// site routine and the default data values.
void ResetImage();

// Writes a value at base + offset (remembered, so ResetImage clears it).
void WriteImage(std::uint32_t offset, const void* data, std::size_t size);
template <class T>
void SetGameData(std::uint32_t offset, const T& value) {
    WriteImage(offset, &value, sizeof value);
}
template <class T>
T GetGameData(std::uint32_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const void*>(ImageBase() + offset), sizeof value);
    return value;
}
inline void* GameAddress(std::uint32_t offset) { return reinterpret_cast<void*>(ImageBase() + offset); }

// Points the game function at `offset` (a code entry of the game index) to a
// host function: a 14-byte absolute jump is written there.
// Functions that answer a bool or a byte (IsMenuOpen, IsEquipped, the item
// count query) get a stub that calls the host function and then sets bits 8
// to 31 of eax to this junk, as code from another compiler may leave them.
void SetGameFunction(std::uint32_t offset, const void* function);
inline constexpr std::uint32_t byteAnswerJunk = 0x5A5A5A00;
template <class Fn>
void SetGameFunction(std::uint32_t offset, Fn* function) {
    SetGameFunction(offset, reinterpret_cast<const void*>(function));
}

// Host functions that every fresh image gets (each area of the world
// registers its own at static initialisation; see RegisterDefaultFunction).
bool RegisterDefaultFunction(std::uint32_t offset, const void* function);
template <class Fn>
bool RegisterDefaultFunction(std::uint32_t offset, Fn* function) {
    return RegisterDefaultFunction(offset, reinterpret_cast<const void*>(function));
}

// Called by ResetImage after the functions are laid; areas register one to
// set their data offsets to fresh host objects.
using ResetHook = void (*)();
bool RegisterResetHook(ResetHook hook);

}  // namespace TestHost
