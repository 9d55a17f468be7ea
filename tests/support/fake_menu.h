// A bare host menu object for the menu callback: slot 3 of its table gives the name.
#pragma once

struct FakeMenu {
    void* const* table;
    const char* name;
};

inline const char* FakeMenuNameSlot(const FakeMenu* menu) { return menu->name; }

inline void* const* FakeMenuTable() {
    static void* table[4] = {nullptr, nullptr, nullptr, reinterpret_cast<void*>(&FakeMenuNameSlot)};
    return table;
}
