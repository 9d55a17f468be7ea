// The game index against the game build's own numbers, written out once more
// here: a slip in the one table the plug-in and the test host share would
// otherwise go unseen by both. Then how the plug-in reads the game's answers.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "forms.h"
#include "game/game.h"
#include "game/game_index.h"
#include "game_runtime.h"
#include "host.h"
#include "image.h"
#include "player.h"

TEST(GameIndex, EveryOffsetIsTheGameBuildsAndAppearsOnce) {
    const std::map<std::string, std::uint32_t> expected = {
        {"hookSite", 0x225E47D}, {"RegisterEventSink", 0x224C920}, {"GetPlayerUpdateEventSource", 0x147DED0},
        {"GetGameResetEventSource", 0x1830280}, {"tesLoadGameEventSource", 0x58AD6C8},
        {"GetMenuModeContext", 0x205F460}, {"hostReadyFlag", 0x5D4D64D}, {"hostBlockFlag", 0x5D40DDD},
        {"uiObject", 0x5EB6378}, {"IsMenuOpen", 0x24C7B70}, {"HostStringMake", 0x284FE60},
        {"HostStringRelease", 0x284F210}, {"uiMessageQueue", 0x60BA5C0}, {"PostMenuMessage", 0x24D8310},
        {"movieValueRelease", 0x32CEF20}, {"player", 0x5E200A0}, {"playerIdHolder", 0x5D4D660},
        {"inventoryLock", 0x224FE60}, {"inventoryUnlock", 0x2BE580}, {"favoritesManager", 0x60CAD70},
        {"equipManager", 0x60BED80}, {"EquipObject", 0x192E3D0}, {"EquipSpell", 0x192E8B0},
        {"objectInstance", 0xA06240}, {"currentPower", 0x1F50060}, {"equipPosition", 0x4F1910},
        {"powerFollowUp", 0x1E45FF0}, {"IsEquipped", 0xB53F10}, {"itemCount", 0xB59350}, {"powerTest", 0xBEDFC0},
        {"equipmentDamage", 0x1910E70}, {"weaponDamage", 0x1911130}, {"formDisplayName", 0x5D8360},
        {"stackCustomName", 0x33F370}, {"dataHandler", 0x5EB6338}, {"LookupFormByID", 0x5D26A0},
        {"keywordHolderCast", 0x36BC640}, {"formTypeDescriptor", 0x58EA548},
        {"keywordHolderTypeDescriptor", 0x5915E80}, {"dataFileTypeMark", 0x4A853E8}, {"formFileLists", 0x5D68078},
        {"inputNameTables", 0x5EB9520}};
    std::map<std::string, std::uint32_t> actual;
    std::set<std::uint32_t> offsets;
    for (const auto& entry : Velloquin::GameIndex::entries) {
        EXPECT_TRUE(actual.emplace(entry.role, entry.offset).second) << entry.role << " is listed twice";
        EXPECT_TRUE(offsets.insert(entry.offset).second) << entry.role << " shares its offset";
        EXPECT_LT(entry.offset + 16u, TestHost::imageSize) << entry.role << " lies outside the host's image";
    }
    EXPECT_EQ(actual, expected);
}

// The game's functions that answer a bool leave junk in the rest of eax (the
// host's stubs put it there); the plug-in must read only the low byte.
TEST(GameBoundary, ByteAnswersAreReadFromTheLowByteOnly) {
    using namespace TestHost;
    namespace G = Velloquin::Game;
    ResetWorld();
    Form* rifle = MakeForm(0x1001, typeWeapon, "Rifle");
    AddItem(rifle);
    auto* player = reinterpret_cast<G::Player*>(&ThePlayer());
    const auto wideIsEquipped =
        reinterpret_cast<std::uint32_t (*)(void*, const void*)>(GameAddress(Velloquin::GameIndex::IsEquipped));
    EXPECT_EQ(wideIsEquipped(player, rifle), byteAnswerJunk);

    EXPECT_FALSE(G::IsEquipped(player, reinterpret_cast<G::Form*>(rifle)));
    EXPECT_FALSE(G::IsMenuOpen("FavoritesMenu"));
    SetEquipped(rifle, true);
    SetMenuOpen("FavoritesMenu", true);
    EXPECT_EQ(wideIsEquipped(player, rifle), byteAnswerJunk | 1);
    EXPECT_TRUE(G::IsEquipped(player, reinterpret_cast<G::Form*>(rifle)));
    EXPECT_TRUE(G::IsMenuOpen("FavoritesMenu"));
}
