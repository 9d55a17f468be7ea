// The player's choices in assignment mode with outfit slots: the one-slot
// rule empties single-item slots only, and never stops at one; assigning an
// item to an outfit slot makes it a single-item slot again.
#include <gtest/gtest.h>

#include <vector>

#include "core/slots.h"
#include "equipment.h"
#include "favorites_movie.h"
#include "forms.h"
#include "game_runtime.h"
#include "host.h"
#include "menu/runtime.h"
#include "menus.h"
#include "player.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

namespace {

V::Game::Form* G(Form* form) { return reinterpret_cast<V::Game::Form*>(form); }

class OutfitAssignmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
        menu = OpenMenu("FavoritesMenu");
        MakeFavoritesMovie(menu, {});
        V::StateLock lock(V::stateMutex);
        V::favoritesMenuOpened = true;
        V::openFavoritesMenu = reinterpret_cast<V::Game::Menu*>(menu);
        for (Form*& form : forms) {
            form = MakeForm(0x5001 + static_cast<std::uint32_t>(&form - forms), typeEquipment, "Piece");
            AddItem(form);
        }
    }
    void TearDown() override { ResetPluginState(); }

    // Slots 0 and 4: single A (a state the rule does not make, to see it never stops at one); 1: outfit A, B;
    // 2: outfit B, A; 3: single B.
    void Fill() {
        V::StateLock lock(V::stateMutex);
        V::MakeSingleItemSlot(0, G(A()));
        V::MakeSingleItemSlot(4, G(A()));
        const std::vector<V::Game::Form*> ab{G(A()), G(B())}, ba{G(B()), G(A())};
        V::SetOutfit(1, ab.data(), ab.size());
        V::SetOutfit(2, ba.data(), ba.size());
        V::MakeSingleItemSlot(3, G(B()));
    }

    // Each slot's pieces; an outfit's end with a null.
    std::vector<std::vector<V::Game::Form*>> Table() {
        V::StateLock lock(V::stateMutex);
        std::vector<std::vector<V::Game::Form*>> table;
        for (std::size_t i = 0; i < V::quickSlotCount; ++i) {
            std::size_t count = 0;
            V::Game::Form* const* pieces = V::SlotPieces(i, count);
            table.emplace_back(pieces, pieces + count);
            if (V::IsOutfitSlot(i)) table.back().push_back(nullptr);
        }
        return table;
    }

    Form* A() { return forms[0]; }
    Form* B() { return forms[1]; }
    Form* C() { return forms[2]; }

    Menu* menu = nullptr;
    Form* forms[3] = {};
};

TEST_F(OutfitAssignmentTest, OneSlotRuleBetweenSingleItemSlotsOnly) {
    struct Case {
        const char* what;
        Form* assigned;
        Form* native;  // in native slot 2, or null
        std::int32_t chosen;
        // The slots that change: index, pieces (an outfit's ending with null).
        std::vector<std::pair<std::size_t, std::vector<int>>> changed;
    };
    // Pieces by number: 0 = A, 1 = B, 2 = C, -1 = the outfit mark.
    const Case cases[] = {
        {"A to an empty slot: both single slots with A empty, outfits keep it", A(), nullptr, 17,
         {{5, {0}}, {0, {}}, {4, {}}}},
        {"A to an outfit slot: it becomes a single-item slot", A(), nullptr, 13, {{1, {0}}, {0, {}}, {4, {}}}},
        {"C to an outfit slot: only that slot changes", C(), nullptr, 14, {{2, {2}}}},
        {"B to the single slot holding it: nothing changes", B(), nullptr, 15, {}},
        {"a native slot holding A: the single slots with A empty", C(), A(), 2, {{0, {}}, {4, {}}}},
        {"B to a native slot: the single slot with B empties", B(), C(), 2, {{3, {}}}},
    };
    for (const Case& c : cases) {
        ResetPluginState();
        {
            V::StateLock lock(V::stateMutex);
            V::favoritesMenuOpened = true;
            V::openFavoritesMenu = reinterpret_cast<V::Game::Menu*>(menu);
        }
        Fill();
        auto expected = Table();
        for (const auto& [slot, pieces] : c.changed) {
            expected.at(slot).clear();
            for (int piece : pieces) expected.at(slot).push_back(piece < 0 ? nullptr : G(forms[piece]));
        }
        SetNativeSlot(2, c.native);
        SetAssignmentMode(true);
        SetMenuOpen("InventoryMenu", true);
        SetItemBeingAssigned(c.assigned);
        SelectQuickKey(menu, c.chosen);
        {
            V::StateLock lock(V::stateMutex);
            V::ProcessMenuSelection();
        }
        EXPECT_EQ(Table(), expected) << c.what;
    }
}

}  // namespace
