// A bare host menu object for the menu callback: slot 3 of its table gives the name.
#pragma once

struct FakeMenu {
    void* const* table;
    const char* name;
};

// Of the type the plug-in calls a menu's slot with.
inline const char* FakeMenuNameSlot(const void* menu) { return static_cast<const FakeMenu*>(menu)->name; }

inline void* const* FakeMenuTable() {
    static void* table[4] = {nullptr, nullptr, nullptr, reinterpret_cast<void*>(&FakeMenuNameSlot)};
    return table;
}
