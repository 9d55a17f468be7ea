// Forms, keywords, data files and the data handler of the stand-in game,
// laid out at the byte offsets the game uses (checked at compile time).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace TestHost {

inline constexpr std::uint8_t typeKeyword = 4;
inline constexpr std::uint8_t typePower = 28;
inline constexpr std::uint8_t typeEquipment = 34;
inline constexpr std::uint8_t typeWeapon = 48;
inline constexpr std::uint8_t typeConsumable = 54;

// A pooled string entry: length at 0x10, flags at 0x14 (bit 0x2: no inline
// narrow text), the characters from 0x18.
struct PooledString {
    void* next = nullptr;
    std::uint64_t hash = 0;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
    std::uint8_t pad[3] = {};
    char text[256] = {};
};
static_assert(offsetof(PooledString, length) == 0x10 && offsetof(PooledString, flags) == 0x14 &&
              offsetof(PooledString, text) == 0x18);

struct WeaponData {
    std::uint64_t unused[2] = {};
    struct Form* ammunition = nullptr;
};
static_assert(offsetof(WeaponData, ammunition) == 0x10);

struct KeywordHolder {
    void* table = nullptr;
    struct Form** keywords = nullptr;
    std::uint32_t count = 0;
};
static_assert(offsetof(KeywordHolder, keywords) == 0x08 && offsetof(KeywordHolder, count) == 0x10);

// Every form of the game. Virtual slot 34 gives the type, slot 77 the editor id.
struct Form {
    void* const* table;
    std::uint8_t unused[0x20];
    std::uint32_t formId = 0;              // 0x28
    std::uint16_t unused2 = 0;
    std::uint8_t type = 0;                 // 0x2E
    std::uint8_t unused3 = 0;
    std::uint16_t fileListIndex = 0xFFFF;  // 0x30
    std::uint8_t unused4[6] = {};
    PooledString* keywordText = nullptr;   // 0x38 (keywords)
    WeaponData* weaponData = nullptr;      // 0x40 (weapons)

    // Host-side description (not read by the plug-in).
    std::string name;       // display name; empty = the host gives null
    std::string editorId;   // empty = the host gives null
    bool nullName = false;
    KeywordHolder holder;
    std::vector<Form*> keywords;
    bool keywordHolderCastable = true;
};
static_assert(offsetof(Form, formId) == 0x28 && offsetof(Form, type) == 0x2E && offsetof(Form, fileListIndex) == 0x30 &&
              offsetof(Form, keywordText) == 0x38 && offsetof(Form, weaponData) == 0x40);

// Makes a form (owned by the world until the next reset) and makes
// LookupFormByID find it by its id.
Form* MakeForm(std::uint32_t formId, std::uint8_t type, const std::string& name = "",
               const std::string& editorId = "");
Form* MakeKeyword(std::uint32_t formId, const std::string& editorId, const std::string& name = "",
                  const std::string& text = "", bool textIsReference = false);
void AddKeyword(Form* form, Form* keyword);
void SetAmmunition(Form* weapon, Form* ammunition);  // null clears
Form* FindForm(std::uint32_t formId);
// Gives a form another runtime id (0: none), moving it in LookupFormByID, as a
// new game load with another load order does.
void SetFormId(Form* form, std::uint32_t formId);
PooledString* MakePooledString(const std::string& text, bool indirect = false);

// A loaded data file. Only files allocated above 1 TiB with the game's
// table pointer count as data files for the plug-in.
struct DataFile {
    void* const* table = nullptr;
    std::uint8_t unused[0x30] = {};
    char name[0x180] = {};               // 0x38
    std::uint32_t flags = 1;             // 0x1B8
    std::uint8_t unused2[0x5C] = {};
    std::uint8_t index = 0;              // 0x218
    std::uint8_t mediumIndex = 0;        // 0x219
    std::uint16_t smallIndex = 0;        // 0x21A
};
static_assert(offsetof(DataFile, name) == 0x38 && offsetof(DataFile, flags) == 0x1B8 &&
              offsetof(DataFile, index) == 0x218 && offsetof(DataFile, mediumIndex) == 0x219 &&
              offsetof(DataFile, smallIndex) == 0x21A);

struct DataHandler {
    std::uint8_t unused[0x400] = {};
    Form** keywords = nullptr;       // 0x400
    std::uint32_t keywordCount = 0;  // 0x408
    std::uint32_t pad1 = 0;
    Form** powers = nullptr;         // 0x410
    std::uint32_t powerCount = 0;    // 0x418
    std::uint8_t unused2[0x1550 - 0x41C] = {};
    std::uint32_t fullCount = 0;     // 0x1550
    std::uint32_t pad2 = 0;
    DataFile** fullFiles = nullptr;  // 0x1558
    std::uint32_t smallCount = 0;    // 0x1560
    std::uint32_t pad3 = 0;
    DataFile** smallFiles = nullptr;  // 0x1568
    std::uint32_t mediumCount = 0;    // 0x1570
    std::uint32_t pad4 = 0;
    DataFile** mediumFiles = nullptr;  // 0x1578

    // Host side
    std::vector<Form*> keywordList, powerList;
    std::vector<DataFile*> fullList, smallList, mediumList;
};
static_assert(offsetof(DataHandler, keywords) == 0x400 && offsetof(DataHandler, keywordCount) == 0x408 &&
              offsetof(DataHandler, powers) == 0x410 && offsetof(DataHandler, powerCount) == 0x418 &&
              offsetof(DataHandler, fullCount) == 0x1550 && offsetof(DataHandler, fullFiles) == 0x1558 &&
              offsetof(DataHandler, smallCount) == 0x1560 && offsetof(DataHandler, smallFiles) == 0x1568 &&
              offsetof(DataHandler, mediumCount) == 0x1570 && offsetof(DataHandler, mediumFiles) == 0x1578);

// The data handler published at its image offset (created by ResetWorld).
DataHandler& Data();
// The data handler's pointer reads null (false) or leads to the handler again.
void SetDataHandlerPresent(bool present);
// Publishes the host-side vectors into the raw fields the plug-in reads.
void SyncDataHandler();
void AddKeywordToGame(Form* keyword);  // appends to the data handler's keyword list
void AddPowerToGame(Form* power);      // appends to the data handler's power list

// Allocates a data file above 1 TiB with the game's data-file table.
DataFile* MakeDataFile(const std::string& name);

}  // namespace TestHost
