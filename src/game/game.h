// Typed access to the game: the layouts of the host objects the plug-in reads
// (byte offsets inside them) and one small function per host operation.
// Addresses come from game_index.h; nothing else in the plug-in computes an
// address of the game or knows a field offset of a host object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/game_index.h"

namespace Velloquin {

extern std::uintptr_t gameModuleBase;

namespace Game {

// Host objects are opaque to the plug-in: it only holds their addresses.
struct Form;
struct Menu;
struct Movie;
struct DataFile;
struct Player;
struct InventoryList;
struct InventoryEntry;
struct EventSource;

// ---------------------------------------------------------------------------
// Layouts (byte offsets inside host objects)
namespace Layout {
// every form
inline constexpr std::size_t formId = 0x28;          // u32
inline constexpr std::size_t formType = 0x2E;        // u8
inline constexpr std::size_t formFileIndex = 0x30;   // u16, 0xFFFF = none
inline constexpr std::size_t weaponData = 0x40;      // weapon forms: pointer to the weapon data record
inline constexpr std::size_t weaponDataAmmo = 0x10;  // in the weapon data record: ammunition form
inline constexpr std::size_t keywordText = 0x38;     // keyword forms: pointer to a pooled string entry
inline constexpr int formSlotType = 34;              // virtual: form type in the low byte
inline constexpr int formSlotEditorId = 77;          // virtual: editor id (narrow text or null)

// pooled string entry (keyword texts, stack names, key names)
inline constexpr std::size_t stringLength = 0x10;  // u32
inline constexpr std::size_t stringFlags = 0x14;   // u8; bit 0x2: wide / reference, no inline narrow text
inline constexpr std::uint8_t stringFlagIndirect = 0x2;
inline constexpr std::size_t stringText = 0x18;    // inline narrow characters, NUL-terminated

// keyword holder returned by the run-time cast
inline constexpr std::size_t holderKeywords = 0x08;      // pointer to an array of keyword forms
inline constexpr std::size_t holderKeywordCount = 0x10;  // u32

// data handler
inline constexpr std::size_t handlerKeywords = 0x400;      // pointer to an array of keyword forms
inline constexpr std::size_t handlerKeywordCount = 0x408;  // u32
inline constexpr std::size_t handlerPowers = 0x410;        // pointer to an array of power forms
inline constexpr std::size_t handlerPowerCount = 0x418;    // u32
inline constexpr std::size_t handlerFullCount = 0x1550;    // u32; file array pointer at +8
inline constexpr std::size_t handlerFullFiles = 0x1558;
inline constexpr std::size_t handlerSmallCount = 0x1560;
inline constexpr std::size_t handlerSmallFiles = 0x1568;
inline constexpr std::size_t handlerMediumCount = 0x1570;
inline constexpr std::size_t handlerMediumFiles = 0x1578;

// data file
inline constexpr std::size_t fileName = 0x38;         // inline narrow text
inline constexpr std::size_t fileFlags = 0x1B8;       // u32; bit 0: counts as a defining file
inline constexpr std::size_t fileIndex = 0x218;       // u8; 0xFE small, 0xFD medium
inline constexpr std::size_t fileMediumIndex = 0x219; // u8
inline constexpr std::size_t fileSmallIndex = 0x21A;  // u16
inline constexpr std::uintptr_t dataFileLowestAddress = 0x10000000000;

// form file list record (entry of the table at formFileLists)
inline constexpr std::size_t fileListFiles = 0x0;   // pointer to an array of data file pointers
inline constexpr std::size_t fileListCount = 0x8;   // u32
inline constexpr std::size_t formFileListsArray = 0x8;  // after the count word in the image

// player
inline constexpr std::size_t playerInventory = 0xA0;         // pointer to the inventory list
inline constexpr std::size_t playerInventoryLock = 0xA8;     // lock word
inline constexpr std::size_t playerDamageInterface = 0xB0;   // embedded interface handed to the damage functions
inline constexpr std::size_t playerIdValue = 0x108;          // u64, in the object behind playerIdHolder

// inventory list and entries
inline constexpr std::size_t inventoryEntries = 0x0;    // pointer to an array of entries
inline constexpr std::size_t inventoryCount = 0x10;     // u32
inline constexpr std::size_t inventoryEntrySize = 40;
inline constexpr std::size_t entryForm = 0x0;
inline constexpr std::size_t entrySecondWord = 0x8;
inline constexpr std::size_t entryStackCount = 0x10;    // u32
inline constexpr std::size_t entryStacks = 0x18;        // pointer to an array of stacks
inline constexpr std::size_t stackSize = 0x20;
inline constexpr std::size_t stackExtraList = 0x08;     // pointer, may be null
inline constexpr std::size_t extraTextEntry = 0x10;     // extra data of type 0x96: pointer to a pooled string entry
inline constexpr std::uint32_t extraTypeCustomName = 0x96;

// damage figure list filled by the host
inline constexpr std::size_t damagePairs = 0x0;     // pointer to an array of pairs
inline constexpr std::size_t damageCount = 0x10;    // u32
inline constexpr std::size_t damageListSize = 0x18;
inline constexpr std::size_t damagePairSize = 0x10; // damage-type form pointer, then a float at +8

// interface manager and menus
inline constexpr std::size_t uiOpenMenus = 0x80;      // pointer to an array of menu pointers
inline constexpr std::size_t uiOpenMenuCount = 0x90;  // u32
inline constexpr int menuSlotName = 3;
inline constexpr std::size_t menuMovieView = 0x10;    // pointer, may be null
inline constexpr std::size_t viewMovie = 0x18;        // pointer, may be null
inline constexpr int movieSlotSetVariable = 49;
inline constexpr int movieSlotGetVariable = 50;
inline constexpr int movieSlotArraySize = 53;
inline constexpr int movieSlotInvoke = 56;

// favourites manager
inline constexpr std::size_t favoritesAssigning = 0x420;
inline constexpr std::size_t favoritesNativeSlots = 0x438;  // ten form pointers

// input-name object
inline constexpr std::size_t inputKeyboardMap = 0x68;
inline constexpr std::size_t inputMouseMap = 0x70;
inline constexpr std::size_t inputGamepadMap = 0x78;
inline constexpr std::size_t mapEntries = 0x60;
inline constexpr std::size_t mapEntryCount = 0x68;  // u32
inline constexpr std::size_t mapEntrySize = 24;
inline constexpr std::size_t mapEntryName = 0x0;
inline constexpr std::size_t mapEntryCode = 0x8;
inline constexpr std::size_t mapEntryChain = 0x10;
inline constexpr std::uint32_t mapEntryEmpty = 0xFFFFFFFF;

// loader records
inline constexpr std::size_t loaderOperations = 0x10;  // after three u32 words, 8-byte aligned
inline constexpr std::size_t interfaceOperation = 0x8;  // second 8-byte slot of an interface record
}  // namespace Layout

// The movie's value record.
struct MenuValue {
    void* objectInterface = nullptr;
    std::uint32_t type = 0;
    std::uint32_t reserved = 0;
    std::uint64_t value = 0;
};
static_assert(sizeof(MenuValue) == 0x18 && offsetof(MenuValue, type) == 8 && offsetof(MenuValue, value) == 0x10);

// The host's pooled string handle: one pointer-sized word.
struct HostString {
    void* handle = nullptr;
};
static_assert(sizeof(HostString) == 8);

// ---------------------------------------------------------------------------
// Raw access
template <class T>
inline T ReadField(const void* object, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(object) + offset, sizeof value);
    return value;
}

template <class T>
inline T* FieldAddress(const void* object, std::size_t offset) {
    return reinterpret_cast<T*>(const_cast<unsigned char*>(static_cast<const unsigned char*>(object)) + offset);
}

inline std::uintptr_t Address(std::uint32_t offset) { return gameModuleBase + offset; }

template <class T>
inline T ReadGame(std::uint32_t offset) {
    return *reinterpret_cast<const volatile T*>(Address(offset));
}

template <class Fn>
inline Fn* Function(std::uint32_t offset) {
    return reinterpret_cast<Fn*>(Address(offset));
}

// Calls virtual slot `slot` of a host object whose first word is its table.
template <class Ret, class... Args>
inline Ret CallVirtual(const void* object, int slot, Args... args) {
    auto table = ReadField<void* const*>(object, 0);
    return reinterpret_cast<Ret (*)(const void*, Args...)>(table[slot])(object, args...);
}

// ---------------------------------------------------------------------------
// Forms
inline std::uint32_t FormId(const Form* form) { return ReadField<std::uint32_t>(form, Layout::formId); }
inline std::uint8_t StoredFormType(const Form* form) { return ReadField<std::uint8_t>(form, Layout::formType); }
inline std::uint16_t FormFileIndex(const Form* form) { return ReadField<std::uint16_t>(form, Layout::formFileIndex); }
inline std::uint8_t FormType(const Form* form) {
    return static_cast<std::uint8_t>(CallVirtual<std::uint32_t>(form, Layout::formSlotType));
}
inline const char* FormEditorId(const Form* form) { return CallVirtual<const char*>(form, Layout::formSlotEditorId); }
inline const char* FormDisplayName(const Form* form) {
    return Function<const char*(const Form*)>(GameIndex::formDisplayName)(form);
}
Form* LookupFormByID(std::uint32_t formId);  // address fixed at start-up

// Text of a pooled string entry, or null when it has no inline narrow text.
inline const char* PooledText(const void* entry) {
    if (!entry || (ReadField<std::uint8_t>(entry, Layout::stringFlags) & Layout::stringFlagIndirect)) return nullptr;
    return FieldAddress<const char>(entry, Layout::stringText);
}
inline std::uint32_t PooledLength(const void* entry) { return ReadField<std::uint32_t>(entry, Layout::stringLength); }

// Keyword holder of a form through the game's run-time cast (address fixed at
// start-up): cast(form, 0, form type descriptor, keyword holder descriptor, 0).
extern std::uintptr_t keywordHolderCastAddress;
inline const void* KeywordHolder(const Form* form) {
    using Cast = void*(const void*, std::int32_t, const void*, const void*, std::int32_t);
    return reinterpret_cast<Cast*>(keywordHolderCastAddress)(form, 0,
                                                             reinterpret_cast<const void*>(Address(GameIndex::formTypeDescriptor)),
                                                             reinterpret_cast<const void*>(Address(GameIndex::keywordHolderTypeDescriptor)), 0);
}
inline std::uint32_t HolderKeywordCount(const void* holder) {
    return ReadField<std::uint32_t>(holder, Layout::holderKeywordCount);
}
inline const Form* HolderKeyword(const void* holder, std::uint32_t index) {
    auto* keywords = ReadField<const Form* const*>(holder, Layout::holderKeywords);
    return keywords ? keywords[index] : nullptr;
}
// Text member of a keyword form (a pooled string entry, may be null).
inline const void* KeywordTextEntry(const Form* keyword) { return ReadField<const void*>(keyword, Layout::keywordText); }

// ---------------------------------------------------------------------------
// Host strings (made per call, released at once)
void MakeHostString(HostString& out, const char* text);
void ReleaseHostString(HostString& handle);

// ---------------------------------------------------------------------------
// Menus and interface
inline void* UiObject() { return ReadGame<void*>(GameIndex::uiObject); }
inline void* UiMessageQueue() { return ReadGame<void*>(GameIndex::uiMessageQueue); }
inline void* MenuModeContext() { return Function<void*()>(GameIndex::GetMenuModeContext)(); }
inline std::uint8_t HostReadyFlag() { return ReadGame<std::uint8_t>(GameIndex::hostReadyFlag); }
inline std::uint8_t HostBlockFlag() { return ReadGame<std::uint8_t>(GameIndex::hostBlockFlag); }
inline const char* MenuName(const Menu* menu) { return CallVirtual<const char*>(menu, Layout::menuSlotName); }
inline std::uint32_t OpenMenuCount(const void* ui) { return ReadField<std::uint32_t>(ui, Layout::uiOpenMenuCount); }
inline Menu* OpenMenuAt(const void* ui, std::uint32_t index) {
    auto* menus = ReadField<Menu* const*>(ui, Layout::uiOpenMenus);
    return menus ? menus[index] : nullptr;
}
// The movie held by the menu's movie view; null when either is absent.
inline Movie* MenuMovie(const Menu* menu) {
    auto* view = ReadField<const void*>(menu, Layout::menuMovieView);
    return view ? ReadField<Movie*>(view, Layout::viewMovie) : nullptr;
}
// The movie's virtual operations, as the host implements them (the movie is
// the first argument; boolean answers are read from the low byte):
//   slot 49  bool     SetVariable(Movie*, const char* path, const MenuValue* value, std::uint32_t setKind)
//   slot 50  bool     GetVariable(Movie*, MenuValue* out, const char* path)
//   slot 53  uint32_t ArraySize(Movie*, const char* path)
//   slot 56  bool     Invoke(Movie*, const char* path, MenuValue* result, const MenuValue* args, std::uint32_t count)
inline bool MovieSetVariable(Movie* movie, const char* path, const MenuValue* value, std::uint32_t setKind) {
    return CallVirtual<std::uint8_t>(movie, Layout::movieSlotSetVariable, path, value, setKind) != 0;
}
inline bool MovieGetVariable(Movie* movie, MenuValue* out, const char* path) {
    return CallVirtual<std::uint8_t>(movie, Layout::movieSlotGetVariable, out, path) != 0;
}
inline std::uint32_t MovieArraySize(Movie* movie, const char* path) {
    return CallVirtual<std::uint32_t>(movie, Layout::movieSlotArraySize, path);
}
inline bool MovieInvoke(Movie* movie, const char* path, MenuValue* result, const MenuValue* args, std::uint32_t count) {
    return CallVirtual<std::uint8_t>(movie, Layout::movieSlotInvoke, path, result, args, count) != 0;
}
// Hands a managed movie value back to the host.
using MovieValueRelease = void(void* objectInterface, MenuValue* value, std::uint64_t valueWord);
bool IsMenuOpen(const char* menuName);         // false when the interface manager is absent
void PostCloseMenu(const char* menuName);      // message kind 2 for that menu

// ---------------------------------------------------------------------------
// Player, inventory
inline Player* PlayerObject() { return ReadGame<Player*>(GameIndex::player); }
InventoryList* ReadInventoryList(Player* player);  // under the host's inventory lock
inline std::uint32_t InventoryCount(const InventoryList* list) {
    return ReadField<std::uint32_t>(list, Layout::inventoryCount);
}
inline InventoryEntry* InventoryEntryAt(const InventoryList* list, std::uint32_t index) {
    auto* entries = ReadField<unsigned char*>(list, Layout::inventoryEntries);
    return entries ? reinterpret_cast<InventoryEntry*>(entries + index * Layout::inventoryEntrySize) : nullptr;
}
inline Form* EntryForm(const InventoryEntry* entry) { return ReadField<Form*>(entry, Layout::entryForm); }
inline std::uint64_t EntrySecondWord(const InventoryEntry* entry) {
    return ReadField<std::uint64_t>(entry, Layout::entrySecondWord);
}
inline std::uint32_t EntryStackCount(const InventoryEntry* entry) {
    return ReadField<std::uint32_t>(entry, Layout::entryStackCount);
}
inline void* StackExtraList(const InventoryEntry* entry, std::uint32_t stack) {
    auto* stacks = ReadField<unsigned char*>(entry, Layout::entryStacks);
    return stacks ? ReadField<void*>(stacks + stack * Layout::stackSize, Layout::stackExtraList) : nullptr;
}
inline void* FindExtraData(void* extraList, std::uint32_t type) {
    return Function<void*(void*, std::uint32_t)>(GameIndex::stackCustomName)(extraList, type);
}
inline bool IsEquipped(Player* player, const Form* form) {
    return Function<std::uint8_t(Player*, const Form*)>(GameIndex::IsEquipped)(player, form) != 0;
}
inline std::uint32_t ItemCount(Player* player, const Form* form) {
    std::uint32_t count = 0;
    Function<bool(Player*, std::uint32_t*, const Form*, bool)>(GameIndex::itemCount)(player, &count, form, true);
    return count;
}
inline Form* WeaponAmmunition(const Form* weapon) {
    auto* data = ReadField<const void*>(weapon, Layout::weaponData);
    return data ? ReadField<Form*>(data, Layout::weaponDataAmmo) : nullptr;
}
// Damage figures of an inventory entry: the host fills `outList` (Layout::damage*,
// pairs in memory the host owns). `function` is equipmentDamage or weaponDamage:
//   void DamageFigures(void* outList, void* playerDamageInterface, const InventoryEntry* entry)
inline void ReadDamageFigures(std::uint32_t function, void* outList, Player* player, const InventoryEntry* entry) {
    Function<void(void*, void*, const InventoryEntry*)>(function)(
        outList, FieldAddress<void>(player, Layout::playerDamageInterface), entry);
}
inline std::uint32_t DamagePairCount(const void* list) { return ReadField<std::uint32_t>(list, Layout::damageCount); }
inline const Form* DamagePairType(const void* list, std::uint32_t index) {
    auto* pairs = ReadField<const unsigned char*>(list, Layout::damagePairs);
    return pairs ? ReadField<const Form*>(pairs + index * Layout::damagePairSize, 0) : nullptr;
}
inline float DamagePairValue(const void* list, std::uint32_t index) {
    auto* pairs = ReadField<const unsigned char*>(list, Layout::damagePairs);
    return pairs ? ReadField<float>(pairs + index * Layout::damagePairSize, 8) : 0.0f;
}
// Power test: the record is one word holding the player; the float is 1.0 when owned.
inline bool PlayerHasPower(Player* player, const Form* power) {
    void* record[1] = {player};
    float result = -1.0f;
    Function<void(void**, const Form*, std::uint64_t, float*)>(GameIndex::powerTest)(record, power, 0, &result);
    return result == 1.0f;
}

// ---------------------------------------------------------------------------
// Equipping
inline void* EquipManager() { return ReadGame<void*>(GameIndex::equipManager); }
inline Form* CurrentPower(Player* player) {
    return Function<Form*(void*, void*, Player*, std::uint32_t)>(GameIndex::currentPower)(nullptr, nullptr, player, 2);
}
inline void* EquipPosition(std::uint8_t which) { return Function<void*(std::uint8_t)>(GameIndex::equipPosition)(which); }
inline void EquipSpell(Player* player, const Form* power, void* position) {
    Function<void(void*, Player*, const Form*, void*)>(GameIndex::EquipSpell)(EquipManager(), player, power, position);
}
inline void PowerFollowUp(const Form* power) { Function<void*(const Form*)>(GameIndex::powerFollowUp)(power); }
inline void MakeObjectInstance(void* block16, Form* form, std::uint64_t secondWord) {
    Function<void*(void*, Form*, std::uint64_t)>(GameIndex::objectInstance)(block16, form, secondWord);
}
inline void EquipObject(Player* player, void* instance) {
    Function<void(void*, Player*, void*, void*, std::uint32_t, void*, bool, bool, bool)>(GameIndex::EquipObject)(
        EquipManager(), player, instance, nullptr, 1, nullptr, true, false, false);
}

// ---------------------------------------------------------------------------
// Data handler, data files
inline void* DataHandler() { return ReadGame<void*>(GameIndex::dataHandler); }
inline std::uint32_t HandlerKeywordCount(const void* handler) {
    return ReadField<std::uint32_t>(handler, Layout::handlerKeywordCount);
}
inline const Form* HandlerKeyword(const void* handler, std::uint32_t index) {
    auto* keywords = ReadField<const Form* const*>(handler, Layout::handlerKeywords);
    return keywords ? keywords[index] : nullptr;
}
inline std::uint32_t HandlerPowerCount(const void* handler) {
    return ReadField<std::uint32_t>(handler, Layout::handlerPowerCount);
}
inline const Form* HandlerPower(const void* handler, std::uint32_t index) {
    auto* powers = ReadField<const Form* const*>(handler, Layout::handlerPowers);
    return powers ? powers[index] : nullptr;
}

}  // namespace Game
}  // namespace Velloquin
