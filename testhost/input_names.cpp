// The game's input-name object, laid out at the byte offsets the game uses.
#include "input_names.h"

#include <array>
#include <cstddef>
#include <deque>

#include "forms.h"
#include "image.h"
#include "game/game_index.h"

namespace TestHost {

namespace {

struct MapEntry {
    PooledString* name = nullptr;  // 0x00
    std::uint32_t code = 0;        // 0x08
    std::uint32_t unused = 0;
    std::uint32_t chain = 0;       // 0x10; 0xFFFFFFFF = free entry
    std::uint32_t unused2 = 0;
};
static_assert(sizeof(MapEntry) == 24 && offsetof(MapEntry, code) == 8 && offsetof(MapEntry, chain) == 0x10);

struct NameMap {
    std::uint8_t unused[0x60] = {};
    MapEntry* entries = nullptr;  // 0x60
    std::uint32_t count = 0;      // 0x68
    std::uint32_t unused2 = 0;
};
static_assert(offsetof(NameMap, entries) == 0x60 && offsetof(NameMap, count) == 0x68);

struct InputNames {
    std::uint8_t unused[0x68] = {};
    NameMap* maps[3] = {};  // 0x68 keyboard, 0x70 mouse, 0x78 gamepad
};
static_assert(offsetof(InputNames, maps) == 0x68 && sizeof(InputNames) == 0x80);

struct DeviceState {
    NameMap map;
    std::vector<MapEntry> entries;
    std::deque<PooledString> names;
    bool present = true;
};

struct State {
    InputNames object;
    std::array<DeviceState, 3> devices;
    bool published = true;
};

State& Current() {
    static State state;
    return state;
}

void Publish() {
    State& state = Current();
    for (std::size_t i = 0; i < state.devices.size(); ++i) {
        DeviceState& device = state.devices[i];
        device.map.entries = device.entries.empty() ? nullptr : device.entries.data();
        device.map.count = static_cast<std::uint32_t>(device.entries.size());
        state.object.maps[i] = device.present ? &device.map : nullptr;
    }
    SetGameData<void*>(Velloquin::GameIndex::inputNameTables, state.published ? &state.object : nullptr);
}

void ResetInputNames() {
    State& state = Current();
    for (DeviceState& device : state.devices) {
        device.entries.clear();
        device.names.clear();
        device.present = true;
    }
    state.published = true;
    Publish();
}

const bool registered = RegisterResetHook(&ResetInputNames);

}  // namespace

void SetKeyNameEntries(InputDevice which, const std::vector<KeyNameEntry>& entries) {
    (void)registered;
    DeviceState& device = Current().devices.at(static_cast<std::size_t>(which));
    device.entries.clear();
    device.names.clear();
    device.present = true;
    for (const KeyNameEntry& wanted : entries) {
        MapEntry entry;
        entry.code = wanted.code;
        entry.chain = wanted.empty ? 0xFFFFFFFFu : 0;
        if (!wanted.nullName) {
            PooledString& name = device.names.emplace_back();
            name.length = static_cast<std::uint32_t>(wanted.name.copy(name.text, sizeof name.text - 1));
            name.flags = wanted.wide ? 0x2 : 0;
            entry.name = &name;
        }
        device.entries.push_back(entry);
    }
    Publish();
}

void SetKeyNames(InputDevice device, std::initializer_list<std::pair<std::uint32_t, const char*>> names) {
    std::vector<KeyNameEntry> entries;
    for (const auto& [code, name] : names) entries.push_back({code, name});
    SetKeyNameEntries(device, entries);
}

void RemoveInputMap(InputDevice which) {
    DeviceState& device = Current().devices.at(static_cast<std::size_t>(which));
    device.entries.clear();
    device.names.clear();
    device.present = false;
    Publish();
}

void ClearInputNames() { ResetInputNames(); }

void RemoveInputNameObject() {
    Current().published = false;
    Publish();
}

const void* InputNameObject() { return Current().published ? &Current().object : nullptr; }

}  // namespace TestHost
