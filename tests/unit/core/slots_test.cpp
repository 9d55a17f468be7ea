// The slot table's rules: outfits, single-item slots and the one-slot rule,
// over fake forms (the rules compare pointers and never read a form).
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/slots.h"
#include "support/plugin_state.h"

namespace {

using namespace Velloquin;

std::array<unsigned char, 16> storage{};
Game::Form* F(int n) { return reinterpret_cast<Game::Form*>(&storage.at(static_cast<std::size_t>(n))); }

std::vector<Game::Form*> Pieces(std::size_t i) REQUIRES(stateMutex) {
    std::size_t count = 0;
    Game::Form* const* pieces = SlotPieces(i, count);
    return std::vector<Game::Form*>(pieces, pieces + count);
}

class SlotsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPluginState(); }
    void TearDown() override { ResetPluginState(); }
};

TEST_F(SlotsTest, SetOutfitKeepsOrderDropsNullsRepeatsAndExcess) {
    struct Case {
        const char* what;
        std::vector<Game::Form*> given;
        std::vector<Game::Form*> kept;
        bool outfit;
    };
    std::vector<Game::Form*> thirteen;
    for (int n = 0; n < 13; ++n) thirteen.push_back(F(n));
    const std::vector<Game::Form*> twelve(thirteen.begin(), thirteen.begin() + 12);
    const Case cases[] = {
        {"two pieces", {F(1), F(2)}, {F(1), F(2)}, true},
        {"order kept", {F(3), F(1), F(2)}, {F(3), F(1), F(2)}, true},
        {"a repeat and nulls dropped", {nullptr, F(2), F(1), F(2), nullptr, F(3)}, {F(2), F(1), F(3)}, true},
        {"thirteen: the first twelve", thirteen, twelve, true},
        {"a repeat does not cost a place", [&] { auto v = thirteen; v.insert(v.begin() + 1, F(0)); return v; }(),
         twelve, true},
        {"one left: a single-item slot", {F(4), nullptr, F(4)}, {F(4)}, false},
        {"none left: empty", {nullptr}, {}, false},
        {"nothing given: empty", {}, {}, false},
    };
    for (const Case& c : cases) {
        StateLock lock(stateMutex);
        SetOutfit(5, std::vector<Game::Form*>{F(7), F(8)}.data(), 2);  // an outfit was there before
        EXPECT_EQ(SetOutfit(5, c.given.data(), c.given.size()), c.kept.size()) << c.what;
        EXPECT_EQ(IsOutfitSlot(5), c.outfit) << c.what;
        EXPECT_EQ(Pieces(5), c.kept) << c.what;
        EXPECT_EQ(quickItems.at(5), c.kept.empty() ? nullptr : c.kept.front()) << c.what;
        if (!c.outfit) {
            EXPECT_EQ(quickOutfitSize.at(5), 0) << c.what;
            for (Game::Form* piece : quickOutfitPieces.at(5)) EXPECT_EQ(piece, nullptr) << c.what;
        }
    }
}

TEST_F(SlotsTest, MakeSingleItemSlotForgetsTheOutfit) {
    StateLock lock(stateMutex);
    const std::array<Game::Form*, 3> outfit{F(1), F(2), F(3)};
    SetOutfit(0, outfit.data(), outfit.size());
    MakeSingleItemSlot(0, F(2));
    EXPECT_FALSE(IsOutfitSlot(0));
    EXPECT_EQ(Pieces(0), std::vector<Game::Form*>{F(2)});
    for (Game::Form* piece : quickOutfitPieces.at(0)) EXPECT_EQ(piece, nullptr);
}

// Slots 0, 1: single-item slots holding F(1); 2, 3: outfits with F(1) (first
// and second piece); 4: a single-item slot with another item.
TEST_F(SlotsTest, OneSlotRuleHoldsBetweenSingleItemSlotsOnly) {
    struct Case {
        const char* what;
        const Game::Form* form;
        std::size_t keep;
        std::uint16_t emptied;
    };
    const Case cases[] = {
        {"keep none: every single slot with it, never stopping at one", F(1), quickSlotCount, 0b00011},
        {"keep slot 1", F(1), 1, 0b00001},
        {"keep an outfit slot: the single slots go", F(1), 2, 0b00011},
        {"an item only outfits hold", F(3), quickSlotCount, 0},
        {"null empties nothing", nullptr, quickSlotCount, 0},
    };
    for (const Case& c : cases) {
        StateLock lock(stateMutex);
        ResetRuntimeState();
        MakeSingleItemSlot(0, F(1));
        MakeSingleItemSlot(1, F(1));
        const std::array<Game::Form*, 2> first{F(1), F(3)}, second{F(3), F(1)};
        SetOutfit(2, first.data(), 2);
        SetOutfit(3, second.data(), 2);
        MakeSingleItemSlot(4, F(5));
        EXPECT_EQ(ClearSingleSlotsHolding(c.form, c.keep), c.emptied) << c.what;
        for (std::size_t i = 0; i < 2; ++i)
            EXPECT_EQ(quickItems.at(i), (c.emptied >> i) & 1 ? nullptr : F(1)) << c.what << " slot " << i;
        EXPECT_EQ(Pieces(2), (std::vector<Game::Form*>{F(1), F(3)})) << c.what;
        EXPECT_EQ(Pieces(3), (std::vector<Game::Form*>{F(3), F(1)})) << c.what;
        EXPECT_EQ(quickItems.at(4), F(5)) << c.what;
    }
}

}  // namespace
