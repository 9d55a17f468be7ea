// Outfit slots in play: saving what the player wears with the save modifier,
// putting an outfit on, its tile, and the [Outfits] setting.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "controller.h"
#include "datafiles.h"
#include "core/slots.h"
#include "equipment.h"
#include "forms.h"
#include "game_folder.h"
#include "game_runtime.h"
#include "host.h"
#include "items/slot_details.h"
#include "menu/runtime.h"
#include "player.h"
#include "plugin/exports.h"
#include "recorder.h"
#include "support/plugin_state.h"

using namespace TestHost;
namespace V = Velloquin;

namespace {

constexpr std::int64_t ms = 1'000'000;

// An inventory entry of the case: its form's name (one letter), whether it
// is equipment (upper case) or a weapon (lower case), worn, its stacks.
struct Item {
    const char* name;
    bool worn = false;
    std::uint32_t stacks = 1;
};

class OutfitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
        ClearGameFolder();
        SetNow(20'000 * ms);
        LoaderMessage ready{nullptr, 2};
        V::OnLoaderMessage(&ready);
        SetEquipMarksEquipped(true);
        SetPlayerId(0x2A);
        WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\keep.txt", "");
        forms.clear();
    }

    // The form named `name`, made on first use: upper case equipment, lower case a weapon.
    Form* Named(const std::string& name) {
        if (auto found = forms.find(name); found != forms.end()) return found->second;
        const bool equipment = !name.empty() && std::isupper(static_cast<unsigned char>(name[0]));
        Form* form = MakeForm(0xA000 + static_cast<std::uint32_t>(forms.size()), equipment ? typeEquipment : typeWeapon,
                              name);
        forms[name] = form;
        return form;
    }
    static V::Game::Form* Plugin(Form* form) { return reinterpret_cast<V::Game::Form*>(form); }

    void Carry(const std::vector<Item>& items) {
        for (const Item& item : items) {
            Form* form = Named(item.name);
            const std::size_t at = AddItem(form, item.stacks, item.stacks);
            EntryAt(at).secondWord = at;  // tells the entries apart in the equip records
            if (item.worn) SetEquipped(form, true);
        }
    }

    // "outfit A,C", "single X" or "empty": what slot i holds.
    std::string Slot(std::size_t i) {
        V::StateLock lock(V::stateMutex);
        std::size_t count = 0;
        V::Game::Form* const* pieces = V::SlotPieces(i, count);
        if (count == 0) return "empty";
        std::string text = V::IsOutfitSlot(i) ? "outfit " : "single ";
        for (std::size_t n = 0; n < count; ++n) {
            if (n > 0) text += ',';
            text += reinterpret_cast<Form*>(pieces[n])->name;
        }
        return text;
    }

    // "A C": the names of the objects equipped since the last call.
    std::string Equipped() {
        std::string names;
        for (const std::string& line : RecordsStartingWith("equip object")) {
            const std::size_t from = line.find(' ', std::string("equip object ").size()) + 1;
            if (!names.empty()) names += ' ';
            names.append(line, from, line.find(" (") - from);
        }
        ClearRecords();
        return names;
    }

    // Plays "+10 +70 = -70": +code and -code press and release a key, = runs
    // a pass 70 ms after the last, *X puts X on and ~X takes it off.
    void Play(const std::string& script) {
        std::istringstream words(script);
        for (std::string word; words >> word;) {
            if (word == "=") {
                Advance(70);
                if (AssignmentMode())
                    V::RunUpdatePass(true);
                else
                    FirePlayerUpdate();
            } else if (word[0] == '*' || word[0] == '~') {
                SetEquipped(Named(word.substr(1)), word[0] == '*');
            } else {
                SetKeyDown(std::stoi(word.substr(1), nullptr, 16), word[0] == '+');
            }
        }
    }

    std::map<std::string, Form*> forms;
};

TEST_F(OutfitsTest, SavingCases) {
    const struct {
        const char* what;
        std::vector<Item> inventory;
        const char* before;  // slot 12's single item, or ""
        const char* script;
        const char* after;
        const char* equipped;
        bool fileWritten;
    } cases[] = {
        {"Shift held, then F1: the worn equipment in inventory order, nothing equipped",
         {{"C", true}, {"A", true}, {"B"}}, "", "+10 = +70 = -70 -10 =", "outfit C,A", "", true},
        {"weapons and equipment not worn are left out",
         {{"r", true}, {"A", true}, {"B"}, {"C", true}}, "", "+10 +70 = -70 -10 =", "outfit A,C", "", true},
        {"a worn piece in two entries is saved once; an entry without stacks is not carried",
         {{"A", true}, {"D", true, 0}, {"A", true}, {"C", true}}, "", "+10 +70 = -70 -10 =", "outfit A,C", "", true},
        {"the outfit replaces the slot's single item", {{"x"}, {"A", true}, {"C", true}}, "x", "+10 +70 = -70 -10 =",
         "outfit A,C", "", true},
        {"wearing no equipment: the slot is left as it was, nothing is written",
         {{"x", true}, {"A"}}, "x", "+10 +70 = -70 -10 =", "single x", "", false},
        {"one worn piece: a single-item slot", {{"A", true}, {"B"}}, "", "+10 +70 = -70 -10 =", "single A", "", true},
        {"held, F1 saves once: clothes changed while it is held are not saved, and nothing is used",
         {{"A", true}, {"B"}, {"C", true}}, "", "+10 +70 = ~A *B = = -10 = -70 =", "outfit A,C", "", true},
        {"Shift pressed after F1 went down: F1 uses its item and saves nothing",
         {{"x"}, {"A", true}, {"C", true}}, "x", "+70 = +10 = = -70 -10 =", "single x", "x", false},
        {"the next press with Shift saves again", {{"A", true}, {"B"}, {"C", true}}, "",
         "+10 +70 = -70 = ~C *B +70 = -70 -10 =", "outfit A,B", "", true},
        {"an outfit slot's key without Shift puts the outfit on", {{"A", true}, {"B"}, {"C", true}}, "",
         "+10 +70 = -70 -10 = ~A ~C = +70 = = -70 =", "outfit A,C", "A C", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ReleaseAllKeys();
        Carry(c.inventory);
        {
            V::StateLock lock(V::stateMutex);
            V::quickKeyCodes.at(0) = 0x70;
            V::outfitSaveModifier = 0x10;
            if (*c.before) V::quickItems.at(0) = Plugin(Named(c.before));
        }
        ClearRecords();
        Play(c.script);
        EXPECT_EQ(Slot(0), c.after);
        EXPECT_EQ(Equipped(), c.equipped);
        EXPECT_EQ(GameFileExists(".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt"), c.fileWritten);
    }
}

TEST_F(OutfitsTest, SavingTakesTwelvePiecesAtMostAndLeavesOtherSlotsAlone) {
    std::vector<Item> worn = {{"A", true}};  // in two entries: one piece, which leaves room for L
    const char* names[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M"};
    for (const char* name : names) worn.push_back({name, true});
    Carry(worn);
    {
        V::StateLock lock(V::stateMutex);
        V::quickKeyCodes.at(0) = 0x70;
        V::quickItems.at(1) = Plugin(Named("A"));  // a single-item slot with a piece of the outfit
        V::outfitSaveModifier = 0xA0;             // Left Shift
    }
    Play("+A1 +70 = -70 -A1 =");  // Right Shift is not the save modifier
    EXPECT_EQ(Slot(0), "empty");
    Play("+A0 +70 = -70 -A0 =");
    EXPECT_EQ(Slot(0), "outfit A,B,C,D,E,F,G,H,I,J,K,L");
    EXPECT_EQ(Slot(1), "single A");
}

TEST_F(OutfitsTest, ASinglePieceSavedKeepsTheOneSlotRule) {
    Carry({{"A", true}});
    {
        V::StateLock lock(V::stateMutex);
        V::quickKeyCodes.at(0) = 0x70;
        V::quickItems.at(1) = Plugin(Named("A"));
        V::outfitSaveModifier = 0x10;
    }
    Play("+10 +70 = -70 -10 =");
    EXPECT_EQ(Slot(0), "single A");
    EXPECT_EQ(Slot(1), "empty");
}

TEST_F(OutfitsTest, AChordSavesIntoTheSlotItChooses) {
    Carry({{"A", true}, {"C", true}});
    {
        V::StateLock lock(V::stateMutex);
        V::quickKeyCodes.at(0) = 0x70;  // F1
        V::quickKeyCodes.at(1) = 0x70;  // Ctrl+F1
        V::quickKeyModifiers.at(1) = 0x11;
        V::outfitSaveModifier = 0x10;  // Shift
    }
    Play("+10 +11 +70 = -70 -11 -10 =");
    EXPECT_EQ(Slot(0), "empty");
    EXPECT_EQ(Slot(1), "outfit A,C");
    Play("+10 +70 = -70 -10 =");
    EXPECT_EQ(Slot(0), "outfit A,C");
    EXPECT_EQ(Equipped(), "");
}

TEST_F(OutfitsTest, NoSaveWithoutTheSettingOrInAssignmentMode) {
    Carry({{"x"}, {"A", true}, {"C", true}});
    {
        V::StateLock lock(V::stateMutex);
        V::quickKeyCodes.at(0) = 0x70;
        V::quickItems.at(0) = Plugin(Named("x"));
    }
    Play("+10 +70 = -70 -10 =");
    EXPECT_EQ(Slot(0), "single x");
    EXPECT_EQ(Equipped(), "x");

    { V::StateLock lock(V::stateMutex); V::outfitSaveModifier = 0x10; }
    SetAssignmentMode(true);
    Play("+10 +70 = -70 -10 =");
    SetAssignmentMode(false);
    EXPECT_EQ(Slot(0), "single x");
    EXPECT_EQ(Equipped(), "");
}

TEST_F(OutfitsTest, AGamepadButtonSavesWithTheGamepadModifierHeld) {
    Carry({{"A", true}, {"C", true}});
    ConnectController(true);
    {
        V::StateLock lock(V::stateMutex);
        V::quickKeyCodes.at(0) = 0x11000;    // A Button
        V::gamepadModifier = 0x10100;        // Left Shoulder
        V::outfitSaveModifier = 0x10200;     // Right Shoulder
    }
    const auto pass = [] {
        Advance(70);
        FirePlayerUpdate();
    };
    SetPadButton(0x10200, true);
    SetPadButton(0x11000, true);
    pass();  // without the gamepad modifier the button is no quick key
    SetPadButton(0x11000, false);
    pass();
    EXPECT_EQ(Slot(0), "empty");
    SetPadButton(0x10100, true);
    SetPadButton(0x11000, true);
    pass();
    pass();
    EXPECT_EQ(Slot(0), "outfit A,C");
    EXPECT_EQ(Equipped(), "");
}

TEST_F(OutfitsTest, APassWithNoKeyDownReadsTheSameKeysWithOutfitsAsWithout) {
    Carry({{"A", true}, {"C", true}});
    const auto idleReads = [&](std::uint32_t saveModifier, bool outfit) {
        {
            V::StateLock lock(V::stateMutex);
            V::quickKeyCodes.at(0) = 0x70;
            V::quickKeyCodes.at(1) = 0x71;
            V::outfitSaveModifier = saveModifier;
            V::Game::Form* pieces[] = {Plugin(Named("A")), Plugin(Named("C"))};
            if (outfit) V::SetOutfit(0, pieces, 2);
        }
        RecordKeyStateQueries(true);
        ClearKeyStateQueries();
        Play("= =");
        RecordKeyStateQueries(false);
        return KeyStateQueries();
    };
    const std::vector<int> without = idleReads(0, false);
    EXPECT_EQ(without, (std::vector<int>{0x70, 0x71, 0x70, 0x71}));
    EXPECT_EQ(idleReads(0x10, true), without);
    // A press that begins reads the save modifier once; while held, never again.
    RecordKeyStateQueries(true);
    ClearKeyStateQueries();
    Play("+71 = =");
    RecordKeyStateQueries(false);
    EXPECT_EQ(KeyStateQueries(), (std::vector<int>{0x70, 0x71, 0x10, 0x70, 0x71}));
}

TEST_F(OutfitsTest, PuttingOnCases) {
    const struct {
        const char* what;
        std::vector<Item> inventory;
        std::vector<const char*> pieces;
        bool player;
        const char* equipped;  // names, with the entry's second word
        int put, worn, missing;
    } cases[] = {
        {"every piece carried and not worn, in the saved order", {{"A"}, {"B"}, {"C"}}, {"C", "A", "B"}, true,
         "C#2 A#0 B#1", 3, 0, 0},
        {"worn pieces are skipped", {{"A", true}, {"B"}, {"C", true}}, {"A", "B", "C"}, true, "B#1", 1, 2, 0},
        {"a piece not carried is skipped", {{"A"}, {"C"}}, {"A", "B", "C"}, true, "A#0 C#1", 2, 0, 1},
        {"the first entry with stacks is the one equipped", {{"A", false, 0}, {"A"}, {"B"}}, {"A", "B"}, true,
         "A#1 B#2", 2, 0, 0},
        {"everything worn: nothing to do", {{"A", true}, {"B", true}}, {"A", "B"}, true, "", 0, 2, 0},
        {"no player: nothing", {{"A"}, {"B"}}, {"A", "B"}, false, "", 0, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Carry(c.inventory);
        SetPlayerPresent(c.player);
        std::vector<V::Game::Form*> pieces;
        for (const char* name : c.pieces) pieces.push_back(Plugin(Named(name)));
        ClearRecords();
        V::StateLock lock(V::stateMutex);
        V::SetOutfit(0, pieces.data(), pieces.size());
        const std::uint64_t asked = IsEquippedQuestions();
        const V::OutfitUse use = V::PutOnOutfit(0);
        if (c.player) {
            EXPECT_EQ(IsEquippedQuestions() - asked, c.pieces.size()) << "IsEquipped once per piece";
        }
        std::string equipped;
        for (const std::string& line : RecordsStartingWith("equip object")) {
            const std::size_t from = line.find(' ', 13) + 1;
            const std::size_t word = line.find("word ") + 5;
            if (!equipped.empty()) equipped += ' ';
            equipped.append(line, from, line.find(" (") - from);
            equipped += '#';
            equipped.append(line, word, line.size() - word - 1);
        }
        EXPECT_EQ(equipped, c.equipped);
        EXPECT_EQ(use.pieces, c.pieces.size());
        EXPECT_EQ(use.equipped, c.put);
        EXPECT_EQ(use.worn, c.worn);
        EXPECT_EQ(use.missing, c.missing);
        // Nothing to put on: the inventory is not even read.
        if (c.put == 0 && c.player) {
            EXPECT_TRUE(RecordsStartingWith("InventoryLock").empty());
        }
    }
}

TEST_F(OutfitsTest, PiecesAreMatchedByFormIdAndTheUseIsLoggedOnce) {
    Form* carried = Named("A");
    AddItem(carried);
    Form* sameId = MakeForm(carried->formId, typeEquipment, "A (as the slot knows it)");
    V::Game::Form* pieces[] = {Plugin(sameId), Plugin(Named("B"))};
    {
        V::StateLock lock(V::stateMutex);
        V::SetOutfit(0, pieces, 2);
        const V::OutfitUse use = V::PutOnOutfit(0);
        EXPECT_EQ(use.equipped, 1);
        EXPECT_EQ(use.missing, 1);
        EXPECT_EQ(V::OutfitUseText(use), "outfit of 2 pieces: 1 put on, 0 already worn, 1 not carried (skipped)");
    }
    EXPECT_EQ(Equipped(), "A");
}

TEST_F(OutfitsTest, TheTile) {
    const struct {
        const char* what;
        std::vector<Item> inventory;
        std::vector<const char*> pieces;
        bool filled;
        const char* name;
        bool equipped;
    } cases[] = {
        {"the first piece carried names the tile", {{"A", true}, {"B", true}, {"C", true}}, {"B", "A", "C"}, true,
         "B +2", true},
        {"the first carried piece when the first is not carried", {{"C", true}, {"B", true}}, {"A", "B", "C"}, true,
         "B +2", true},
        {"a carried piece not worn: not equipped", {{"A", true}, {"B"}}, {"A", "B"}, true, "A +1", false},
        {"a piece not carried does not stop the tile being equipped", {{"A", true}}, {"A", "B", "C"}, true, "A +2",
         true},
        {"no piece carried: an empty tile, as for a single item not carried", {{"x"}}, {"A", "B"}, false, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Carry(c.inventory);
        std::vector<V::Game::Form*> pieces;
        for (const char* name : c.pieces) pieces.push_back(Plugin(Named(name)));
        V::StateLock lock(V::stateMutex);
        V::quickKeyCodes.at(3) = 0x70;
        auto* player = reinterpret_cast<V::Game::Player*>(&ThePlayer());
        V::Game::InventoryList* inventory = V::Game::ReadInventoryList(player);
        std::vector<const V::Game::Form*> forms(pieces.begin(), pieces.end());
        std::vector<std::uint32_t> positions(forms.size());
        V::FindCarriedEntries(forms.data(), forms.size(), inventory, positions.data());
        V::SlotDetails details;
        EXPECT_EQ(V::ComputeOutfitDetails(3, forms.data(), forms.size(), player, inventory, details, positions.data()),
                  c.filled);
        EXPECT_EQ(details.name, c.name);
        EXPECT_EQ(details.isEquipped, c.equipped);
        if (c.filled) {
            EXPECT_EQ(details.quickKeyName, "F1");
        }
    }
}

TEST(OutfitSettings, TheSaveModifier) {
    const std::string mainFile = ".\\Data\\QVEX\\Plugins\\Velloquin.ini";
    const std::string customFile = ".\\Data\\QVEX\\Plugins\\VelloquinCustom.ini";
    using Clash = V::SaveModifierClash;
    const struct {
        const char* what;
        const char* main;
        const char* custom;
        std::uint32_t used;
        Clash clash;
        std::size_t clashSlot;
        const char* kinds;  // each value read: s set, 0 none, u unreadable, n no modifier
    } cases[] = {
        {"absent: off", "[QuickKeys]\niQuickKey12=70\n", nullptr, 0, Clash::None, 0, ""},
        {"Shift", "[Outfits]\niSaveModifier=10\n", nullptr, 0x10, Clash::None, 0, "s"},
        {"a gamepad button", "[Outfits]\niSaveModifier=0x10200\n", nullptr, 0x10200, Clash::None, 0, "s"},
        {"a letter is no modifier", "[Outfits]\niSaveModifier=41\n", nullptr, 0, Clash::None, 0, "n"},
        {"unreadable", "[Outfits]\niSaveModifier=Shift\n", nullptr, 0, Clash::None, 0, "u"},
        {"the custom file's 0 turns it off", "[Outfits]\niSaveModifier=11\n", "[Outfits]\niSaveModifier=0\n", 0,
         Clash::None, 0, "s0"},
        {"the custom file's value wins", "[Outfits]\niSaveModifier=11\n", "[Outfits]\niSaveModifier=A4\n", 0xA4,
         Clash::None, 0, "ss"},
        {"a slot's key: ignored", "[QuickKeys]\niQuickKey12=70\niQuickKey15=A0\n[Outfits]\niSaveModifier=10\n",
         nullptr, 0, Clash::SlotKey, 3, "s"},
        {"a gamepad slot's key: ignored", "[QuickKeys]\niQuickKey14=10200\n[Outfits]\niSaveModifier=10200\n", nullptr,
         0, Clash::SlotKey, 2, "s"},
        {"a chord's modifier: ignored",
         "[QuickKeys]\niQuickKey13=70\n[QuickKeyModifiers]\niQuickKey13=11\n[Outfits]\niSaveModifier=A2\n", nullptr, 0,
         Clash::ChordModifier, 1, "s"},
        {"the other side of a chord's modifier is free",
         "[QuickKeys]\niQuickKey13=70\n[QuickKeyModifiers]\niQuickKey13=A3\n[Outfits]\niSaveModifier=A2\n", nullptr,
         0xA2, Clash::None, 0, "s"},
        {"the gamepad modifier: ignored", "[Gamepad]\niQuickKeyModifier=10100\n[Outfits]\niSaveModifier=10100\n",
         nullptr, 0, Clash::GamepadModifier, 0, "s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearGameFolder();
        WriteGameFile(mainFile, c.main);
        if (c.custom) WriteGameFile(customFile, c.custom);
        const V::SettingsRecord record = V::ReadSettings(V::inWorkingFolder);
        EXPECT_EQ(record.saveModifier, c.used);
        EXPECT_EQ(record.saveModifierClash, c.clash);
        if (c.clash != Clash::None) {
            EXPECT_EQ(record.saveModifierClashSlot, c.clashSlot);
        }
        std::string kinds;
        for (const V::SaveModifierValue& value : record.saveModifierValues)
            kinds += "s0un"[value.kind];
        EXPECT_EQ(kinds, c.kinds);
        V::StateLock lock(V::stateMutex);
        V::outfitSaveModifier = 0x99;
        V::ApplySettings(record);
        EXPECT_EQ(V::outfitSaveModifier, c.used);
    }
}

}  // namespace
