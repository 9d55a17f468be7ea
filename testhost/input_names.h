// The game's input-name object: three maps (keyboard, mouse, gamepad) from
// key codes to the game's own key names, published at the game's
// inputNameTables pointer. A fresh image has the object with three empty maps.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace TestHost {

enum class InputDevice { Keyboard, Mouse, Gamepad };

// One entry of a map as the game keeps it.
struct KeyNameEntry {
    std::uint32_t code = 0;
    std::string name;
    bool empty = false;     // a free entry (chain word 0xFFFFFFFF) that lookups skip
    bool wide = false;      // the name record is flagged wide: no narrow text
    bool nullName = false;  // the entry has no name record at all
};

// Replaces the device's map with these names, in this order.
void SetKeyNames(InputDevice device, std::initializer_list<std::pair<std::uint32_t, const char*>> names);
void SetKeyNameEntries(InputDevice device, const std::vector<KeyNameEntry>& entries);
// The device's map pointer becomes null.
void RemoveInputMap(InputDevice device);
// Back to the fresh state: the object with three empty maps.
void ClearInputNames();
// The game's pointer to the object becomes null (the game has not started).
void RemoveInputNameObject();
// The object the game's pointer leads to (null when removed).
const void* InputNameObject();

}  // namespace TestHost
