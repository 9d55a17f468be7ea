// Every address of Halvorine.exe (game version 1.15.3456, version word
// 0x010F0D80) that the plug-in uses, as an offset from the game module's base.
// This is the only place these numbers appear; the test host lays out its
// stand-in of the game's image from the same table.
#pragma once

#include <cstdint>

namespace Velloquin::GameIndex {

enum class Kind : std::uint8_t {
    Code,      // machine code: a function the plug-in calls
    Data,      // a pointer-sized (or byte) variable the plug-in reads
    Object,    // a host object that lives in the image itself
    Site,      // the call instruction the plug-in redirects
};

struct Entry {
    const char* role;
    std::uint32_t offset;
    Kind kind;
};

// Code and patch site
inline constexpr std::uint32_t hookSite = 0x225E47D;

// Events
inline constexpr std::uint32_t RegisterEventSink = 0x224C920;
inline constexpr std::uint32_t GetPlayerUpdateEventSource = 0x147DED0;
inline constexpr std::uint32_t GetGameResetEventSource = 0x1830280;
inline constexpr std::uint32_t tesLoadGameEventSource = 0x58AD6C8;

// Runtime state of the game
inline constexpr std::uint32_t GetMenuModeContext = 0x205F460;
inline constexpr std::uint32_t hostReadyFlag = 0x5D4D64D;
inline constexpr std::uint32_t hostBlockFlag = 0x5D40DDD;

// Interface (menus)
inline constexpr std::uint32_t uiObject = 0x5EB6378;
inline constexpr std::uint32_t IsMenuOpen = 0x24C7B70;
inline constexpr std::uint32_t HostStringMake = 0x284FE60;
inline constexpr std::uint32_t HostStringRelease = 0x284F210;
inline constexpr std::uint32_t uiMessageQueue = 0x60BA5C0;
inline constexpr std::uint32_t PostMenuMessage = 0x24D8310;
inline constexpr std::uint32_t movieValueRelease = 0x32CEF20;

// Player and inventory
inline constexpr std::uint32_t player = 0x5E200A0;
inline constexpr std::uint32_t playerIdHolder = 0x5D4D660;
inline constexpr std::uint32_t inventoryLock = 0x224FE60;
inline constexpr std::uint32_t inventoryUnlock = 0x2BE580;
inline constexpr std::uint32_t favoritesManager = 0x60CAD70;

// Equipping
inline constexpr std::uint32_t equipManager = 0x60BED80;
inline constexpr std::uint32_t EquipObject = 0x192E3D0;
inline constexpr std::uint32_t EquipSpell = 0x192E8B0;
inline constexpr std::uint32_t objectInstance = 0xA06240;
inline constexpr std::uint32_t currentPower = 0x1F50060;
inline constexpr std::uint32_t equipPosition = 0x4F1910;
inline constexpr std::uint32_t powerFollowUp = 0x1E45FF0;
inline constexpr std::uint32_t IsEquipped = 0xB53F10;

// Item details
inline constexpr std::uint32_t itemCount = 0xB59350;
inline constexpr std::uint32_t powerTest = 0xBEDFC0;
inline constexpr std::uint32_t equipmentDamage = 0x1910E70;
inline constexpr std::uint32_t weaponDamage = 0x1911130;
inline constexpr std::uint32_t formDisplayName = 0x5D8360;
inline constexpr std::uint32_t stackCustomName = 0x33F370;

// Game data
inline constexpr std::uint32_t dataHandler = 0x5EB6338;
inline constexpr std::uint32_t LookupFormByID = 0x5D26A0;
inline constexpr std::uint32_t keywordHolderCast = 0x36BC640;
inline constexpr std::uint32_t formTypeDescriptor = 0x58EA548;
inline constexpr std::uint32_t keywordHolderTypeDescriptor = 0x5915E80;
inline constexpr std::uint32_t dataFileTypeMark = 0x4A853E8;
inline constexpr std::uint32_t formFileLists = 0x5D68078;  // count; the array pointer follows 8 bytes on

// Input
inline constexpr std::uint32_t inputNameTables = 0x5EB9520;

inline constexpr Entry entries[] = {
    {"hookSite", hookSite, Kind::Site},
    {"RegisterEventSink", RegisterEventSink, Kind::Code},
    {"GetPlayerUpdateEventSource", GetPlayerUpdateEventSource, Kind::Code},
    {"GetGameResetEventSource", GetGameResetEventSource, Kind::Code},
    {"tesLoadGameEventSource", tesLoadGameEventSource, Kind::Object},
    {"GetMenuModeContext", GetMenuModeContext, Kind::Code},
    {"hostReadyFlag", hostReadyFlag, Kind::Data},
    {"hostBlockFlag", hostBlockFlag, Kind::Data},
    {"uiObject", uiObject, Kind::Data},
    {"IsMenuOpen", IsMenuOpen, Kind::Code},
    {"HostStringMake", HostStringMake, Kind::Code},
    {"HostStringRelease", HostStringRelease, Kind::Code},
    {"uiMessageQueue", uiMessageQueue, Kind::Data},
    {"PostMenuMessage", PostMenuMessage, Kind::Code},
    {"movieValueRelease", movieValueRelease, Kind::Code},
    {"player", player, Kind::Data},
    {"playerIdHolder", playerIdHolder, Kind::Data},
    {"inventoryLock", inventoryLock, Kind::Code},
    {"inventoryUnlock", inventoryUnlock, Kind::Code},
    {"favoritesManager", favoritesManager, Kind::Data},
    {"equipManager", equipManager, Kind::Data},
    {"EquipObject", EquipObject, Kind::Code},
    {"EquipSpell", EquipSpell, Kind::Code},
    {"objectInstance", objectInstance, Kind::Code},
    {"currentPower", currentPower, Kind::Code},
    {"equipPosition", equipPosition, Kind::Code},
    {"powerFollowUp", powerFollowUp, Kind::Code},
    {"IsEquipped", IsEquipped, Kind::Code},
    {"itemCount", itemCount, Kind::Code},
    {"powerTest", powerTest, Kind::Code},
    {"equipmentDamage", equipmentDamage, Kind::Code},
    {"weaponDamage", weaponDamage, Kind::Code},
    {"formDisplayName", formDisplayName, Kind::Code},
    {"stackCustomName", stackCustomName, Kind::Code},
    {"dataHandler", dataHandler, Kind::Data},
    {"LookupFormByID", LookupFormByID, Kind::Code},
    {"keywordHolderCast", keywordHolderCast, Kind::Code},
    {"formTypeDescriptor", formTypeDescriptor, Kind::Object},
    {"keywordHolderTypeDescriptor", keywordHolderTypeDescriptor, Kind::Object},
    {"dataFileTypeMark", dataFileTypeMark, Kind::Object},
    {"formFileLists", formFileLists, Kind::Data},
    {"inputNameTables", inputNameTables, Kind::Data},
};

}  // namespace Velloquin::GameIndex
