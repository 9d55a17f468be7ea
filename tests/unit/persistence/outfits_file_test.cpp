// Outfit slots in the items file: written as a slot line for the first piece
// and an outfit line per further piece; read back with the one-slot rule
// between single-item slots only; bad outfit lines skipped without a box.
#include <gtest/gtest.h>

#include <cstdio>
#include "core/slots.h"
#include "persistence/items_file.h"
#include "fixture.h"

namespace PersistenceTests {
namespace {

using namespace Velloquin;
using TestHost::FileKind;
using TestHost::FormOrigin;

// Each slot's pieces (an outfit's, a single item, or none) by origin.
using Table = std::vector<std::vector<FormOrigin>>;

// Armour: Helmet (Halvorine.esm 1A2B), Boots (Middle.esm FFFF), sixteen
// pieces P0..P15 (Armory.esp 900..90F) and a glove (Tiny.esl 900).
std::vector<TestHost::ContentForm> OutfitForms() {
    auto forms = standardForms;
    for (std::uint32_t n = 0; n < 16; ++n)
        forms.push_back({"Armory.esp", 0x900 + n, TestHost::typeEquipment, {}, "P" + std::to_string(n)});
    forms.push_back({"Tiny.esl", 0x900, TestHost::typeEquipment, {}, "Glove"});
    return forms;
}

FormOrigin P(std::uint32_t n) { return {"Armory.esp", 0x900 + n}; }
const FormOrigin helmet{"Halvorine.esm", 0x1A2B};
const FormOrigin rifle{"Halvorine.esm", 0x01A2B3};
const FormOrigin glove{"Tiny.esl", 0x900};

std::string Line(const std::string& key, int slot, const FormOrigin& origin) {
    char id[16];
    std::snprintf(id, sizeof id, origin.file == "Armory.esp" ? "%06X" : origin.file == "Tiny.esl" ? "%03X" : "%06X",
                  origin.localId);
    return key + std::to_string(slot) + " |" + id + "|" + origin.file + "\r\n";
}
std::string Q(int slot, const FormOrigin& origin) { return Line("QuickKey", slot, origin); }
std::string O(int slot, const FormOrigin& origin) { return Line("Outfit", slot, origin); }

Table TableWith(std::initializer_list<std::pair<int, std::vector<FormOrigin>>> filled) {
    Table table(quickSlotCount);
    for (const auto& [index, pieces] : filled) table.at(static_cast<std::size_t>(index)) = pieces;
    return table;
}

class OutfitsFileTest : public PersistenceTest {
protected:
    void SetUp() override {
        PersistenceTest::SetUp();
        TestHost::LoadGame(standardOrder, OutfitForms());
    }
    void TearDown() override {
        ResetPluginState();
        PersistenceTest::TearDown();
    }

    static Game::Form* Form(const FormOrigin& origin) { return Item(origin.file, origin.localId); }

    static Table SlotTable() {
        StateLock lock(stateMutex);
        Table table;
        for (std::size_t i = 0; i < quickSlotCount; ++i) {
            std::size_t count = 0;
            Game::Form* const* pieces = SlotPieces(i, count);
            std::vector<FormOrigin> origins;
            for (std::size_t p = 0; p < count; ++p) origins.push_back(TestHost::OriginOf(AsHost(pieces[p])));
            // An outfit is two pieces or more, and its head is the slot's item.
            EXPECT_EQ(IsOutfitSlot(i), count >= 2) << i;
            if (count) {
                EXPECT_EQ(quickItems.at(i), pieces[0]) << i;
            }
            table.push_back(origins);
        }
        return table;
    }

    // Reads `bytes` as the items file, starting from full slots to see that all are replaced.
    Table ReadFrom(const std::string& bytes) {
        WriteBytes(ItemsFile(), bytes);
        {
            StateLock lock(stateMutex);
            const std::array<Game::Form*, 2> outfit{Form(P(14)), Form(P(15))};
            for (std::size_t i = 0; i < quickSlotCount; ++i) SetOutfit(i, outfit.data(), outfit.size());
        }
        StateLock lock(stateMutex);
        ReloadFavoriteItems();
        return SlotTable();
    }

    void SetSlot(std::size_t i, const std::vector<FormOrigin>& pieces) {
        std::vector<Game::Form*> forms;
        for (const FormOrigin& origin : pieces) forms.push_back(Form(origin));
        StateLock lock(stateMutex);
        SetOutfit(i, forms.data(), forms.size());
    }
};

struct ReadCase {
    const char* what;
    std::string bytes;
    Table expected;
};

TEST_F(OutfitsFileTest, Reading) {
    const ReadCase cases[] = {
        {"an outfit", Q(12, helmet) + O(12, P(0)) + O(12, P(1)), TableWith({{0, {helmet, P(0), P(1)}}})},
        {"LF only, no last line end", "QuickKey12 |000900|Armory.esp\nOutfit12 |000901|Armory.esp",
         TableWith({{0, {P(0), P(1)}}})},
        {"outfit lines belong to the last slot line above",
         Q(12, P(0)) + O(12, P(1)) + Q(12, P(2)) + O(12, P(3)), TableWith({{0, {P(2), P(3)}}})},
        {"a later slot line alone makes a single-item slot", Q(12, P(0)) + O(12, P(1)) + Q(12, P(2)),
         TableWith({{0, {P(2)}}})},
        {"slots interleaved", Q(12, P(0)) + Q(13, P(1)) + O(13, P(2)) + O(12, P(3)),
         TableWith({{0, {P(0), P(3)}}, {1, {P(1), P(2)}}})},
        {"a single slot named later keeps the outfit's first piece", Q(12, P(0)) + O(12, P(1)) + Q(13, P(0)),
         TableWith({{0, {P(0), P(1)}}, {1, {P(0)}}})},
        {"an outfit named later leaves the single slot its item", Q(13, P(0)) + Q(12, P(0)) + O(12, P(1)),
         TableWith({{0, {P(0), P(1)}}, {1, {P(0)}}})},
        {"a piece in two outfits and a single slot",
         Q(12, P(0)) + O(12, P(1)) + Q(13, P(1)) + O(13, P(0)) + Q(14, P(1)),
         TableWith({{0, {P(0), P(1)}}, {1, {P(1), P(0)}}, {2, {P(1)}}})},
        {"between single slots the later still wins", Q(12, P(0)) + Q(13, P(0)) + Q(14, P(1)) + O(14, P(0)),
         TableWith({{1, {P(0)}}, {2, {P(1), P(0)}}})},
        {"first piece not in this game: the next heads",
         "QuickKey12 |000999|Gone.esp\r\n" + O(12, P(0)) + O(12, glove), TableWith({{0, {P(0), glove}}})},
        {"a piece whose data file is gone is skipped",
         Q(12, P(0)) + "Outfit12 |000901|Gone.esp\r\n" + O(12, P(2)), TableWith({{0, {P(0), P(2)}}})},
        {"one piece left: a single-item slot, under the one-slot rule",
         Q(13, P(0)) + "QuickKey12 |000999|Gone.esp\r\n" + O(12, P(0)), TableWith({{0, {P(0)}}})},
        {"nothing of it in this game: the slot as it was",
         Q(12, P(0)) + "QuickKey12 |000999|Gone.esp\r\nOutfit12 |000901|Gone.esp\r\n", TableWith({{0, {P(0)}}})},
        {"an empty marker heads nothing: the pieces make the outfit",
         "QuickKey12 ||None\r\n" + O(12, P(0)) + O(12, P(1)), TableWith({{0, {P(0), P(1)}}})},
        {"all twelve slots outfits", [] {
             std::string bytes;
             for (int s = 12; s < 24; ++s) bytes += Q(s, P(0)) + O(s, P(static_cast<std::uint32_t>(s - 11)));
             return bytes;
         }(),
         [] {
             Table table(quickSlotCount);
             for (std::uint32_t i = 0; i < quickSlotCount; ++i) table.at(i) = {P(0), P(i + 1)};
             return table;
         }()},
    };
    for (const ReadCase& c : cases) EXPECT_EQ(ReadFrom(c.bytes), c.expected) << c.what;
    EXPECT_TRUE(TestHost::Boxes().empty());
}

// Bad outfit lines are skipped, or kept as far as they make sense; none
// causes a box.
TEST_F(OutfitsFileTest, BadOutfitLines) {
    std::string thirteen = Q(12, P(0));
    for (std::uint32_t n = 1; n < 13; ++n) thirteen += O(12, P(n));
    std::vector<FormOrigin> firstTwelve;
    for (std::uint32_t n = 0; n < 12; ++n) firstTwelve.push_back(P(n));
    std::string repeatsFirst = Q(12, P(0)) + O(12, P(0)) + O(12, P(0));
    for (std::uint32_t n = 1; n < 13; ++n) repeatsFirst += O(12, P(n)) + O(12, P(n));
    std::string many = Q(12, P(0));
    for (int n = 0; n < 5000; ++n) many += O(12, P(static_cast<std::uint32_t>(n % 16)));
    const std::string keyword = "Outfit12 |000100|Halvorine.esm\r\n";

    const ReadCase cases[] = {
        {"no slot line above", O(12, P(0)) + O(12, P(1)), Table(12)},
        {"the slot line comes after", O(12, P(0)) + Q(12, P(1)), TableWith({{0, {P(1)}}})},
        {"the line above is another slot's", Q(12, P(0)) + O(13, P(1)), TableWith({{0, {P(0)}}})},
        {"the slot's item is a weapon: read as a single slot", Q(12, rifle) + O(12, P(0)) + O(12, P(1)),
         TableWith({{0, {rifle}}})},
        {"the slot's item is a power", "QuickKey12 |ABC|Tiny.esl\r\n" + O(12, P(0)),
         TableWith({{0, {FormOrigin{"Tiny.esl", 0xABC}}}})},
        {"thirteen pieces: the first twelve", thirteen, TableWith({{0, firstTwelve}})},
        {"pieces listed twice: once, and a repeat takes no place", repeatsFirst, TableWith({{0, firstTwelve}})},
        {"5000 outfit lines", many, TableWith({{0, [] {
                                                     std::vector<FormOrigin> v;
                                                     for (std::uint32_t n = 0; n < 12; ++n) v.push_back(P(n));
                                                     return v;
                                                 }()}})},
        {"pieces of refused kinds", Q(12, P(0)) + keyword + O(12, rifle) + "Outfit12 |ABC|Tiny.esl\r\n" + O(12, P(1)),
         TableWith({{0, {P(0), P(1)}}})},
        {"only refused pieces: a single-item slot", Q(12, P(0)) + keyword + O(12, rifle), TableWith({{0, {P(0)}}})},
        {"no local id, no data file, empty marker",
         Q(12, P(0)) + "Outfit12 ||Armory.esp\r\nOutfit12 |000901|\r\nOutfit12 ||None\r\nOutfit12 |000901\r\n" +
             O(12, P(2)),
         TableWith({{0, {P(0), P(2)}}})},
        {"a slot key on the line: a slot line", "Outfit13 |QuickKey12 |000900|Armory.esp\r\n",
         TableWith({{0, {P(0)}}})},
        {"one line for two outfits", Q(12, P(0)) + Q(13, P(1)) + "Outfit12 |Outfit13 |000902|Armory.esp\r\n",
         TableWith({{0, {P(0), P(2)}}, {1, {P(1), P(2)}}})},
        {"no outfit 11 or 24", Q(12, P(0)) + "Outfit11 |000901|Armory.esp\r\nOutfit24 |000902|Armory.esp\r\n",
         TableWith({{0, {P(0)}}})},
        {"no blank before the bar", Q(12, P(0)) + "Outfit12|000901|Armory.esp\r\n", TableWith({{0, {P(0)}}})},
        {"the outfit key anywhere in the line", Q(12, P(0)) + "piece: Outfit12 |000901|Armory.esp\r\n",
         TableWith({{0, {P(0), P(1)}}})},
    };
    for (const ReadCase& c : cases) EXPECT_EQ(ReadFrom(c.bytes), c.expected) << c.what;
    EXPECT_TRUE(TestHost::Boxes().empty());
}

// A keyword on the slot line is boxed as ever (a file without outfits does
// so too); its outfit lines add nothing and no box.
TEST_F(OutfitsFileTest, RefusedSlotItemIsBoxedOnceAsEver) {
    const std::string slotLine = "QuickKey12 |000100|Halvorine.esm\r\n";
    EXPECT_EQ(ReadFrom(slotLine + O(12, P(0)) + O(12, P(1))), Table(12));
    const std::size_t withOutfit = TestHost::Boxes().size();
    TestHost::ClearBoxes();
    EXPECT_EQ(ReadFrom(slotLine), Table(12));
    EXPECT_EQ(withOutfit, 1u);
    EXPECT_EQ(TestHost::Boxes().size(), 1u);
}

TEST_F(OutfitsFileTest, Writing) {
    struct Case {
        const char* what;
        Table slots;
        std::string bytes;
    };
    const Case cases[] = {
        {"an outfit over every kind of file", TableWith({{0, {helmet, P(0), glove, {"Middle.esm", 0xFFFF}}}}),
         "QuickKey12 |001A2B|Halvorine.esm\r\nOutfit12 |000900|Armory.esp\r\nOutfit12 |900|Tiny.esl\r\n"
         "Outfit12 |FFFF|Middle.esm\r\n"},
        {"slots in order, outfits and single slots sharing pieces",
         TableWith({{0, {P(0)}}, {3, {P(1), P(0)}}, {11, {P(0), P(1)}}}),
         Q(12, P(0)) + Q(15, P(1)) + O(15, P(0)) + Q(23, P(0)) + O(23, P(1))},
        {"twelve pieces", TableWith({{5, [] {
                                          std::vector<FormOrigin> v;
                                          for (std::uint32_t n = 0; n < 12; ++n) v.push_back(P(11 - n));
                                          return v;
                                      }()}}),
         [] {
             std::string bytes = Q(17, P(11));
             for (std::uint32_t n = 1; n < 12; ++n) bytes += O(17, P(11 - n));
             return bytes;
         }()},
    };
    for (const Case& c : cases) {
        ResetPluginState();
        for (std::size_t i = 0; i < quickSlotCount; ++i) SetSlot(i, c.slots.at(i));
        {
            StateLock lock(stateMutex);
            FlushQuickItemsToFile();
        }
        EXPECT_EQ(ReadBytes(ItemsFile()), c.bytes) << c.what;
        // Read back: the same slots.
        EXPECT_EQ(ReadFrom(ReadBytes(ItemsFile())), c.slots) << c.what;
    }
    EXPECT_TRUE(TestHost::Boxes().empty());
}

// A piece that can no longer be named (its form is gone with an earlier
// load) is left out without a box; the first that can be named heads.
TEST_F(OutfitsFileTest, PiecesThatCannotBeWrittenAreLeftOut) {
    Game::Form* stale = Form(P(0));
    TestHost::LoadGame(standardOrder, OutfitForms());  // a new load: the old P0 reads id 0
    struct Case {
        const char* what;
        std::vector<Game::Form*> pieces;
        std::string bytes;
    };
    const Case cases[] = {
        {"the first piece", {stale, Form(P(1)), Form(P(2))}, Q(12, P(1)) + O(12, P(2))},
        {"a middle piece", {Form(P(1)), stale, Form(P(2))}, Q(12, P(1)) + O(12, P(2))},
        {"all but one: one slot line", {stale, Form(P(1))}, Q(12, P(1))},
    };
    for (const Case& c : cases) {
        StateLock lock(stateMutex);
        SetOutfit(0, c.pieces.data(), c.pieces.size());
        FlushQuickItemsToFile();
        EXPECT_EQ(ReadBytes(ItemsFile()), c.bytes) << c.what;
    }
    EXPECT_TRUE(TestHost::Boxes().empty());
}

// Saved with one load order, read back with another: the outfits come back.
TEST_F(OutfitsFileTest, RoundTripAcrossLoadOrders) {
    SetSlot(0, {helmet, P(3), glove});
    SetSlot(1, {P(3)});
    SetSlot(7, {glove, P(3), {"Middle.esm", 0xFFFF}});
    const Table saved = SlotTable();
    {
        StateLock lock(stateMutex);
        FlushQuickItemsToFile();
    }
    auto forms = OutfitForms();
    forms.push_back({"Early.esp", 0x900, TestHost::typeEquipment});
    TestHost::LoadGame({{"Halvorine.esm", FileKind::Full}, {"Early.esp", FileKind::Full},
                        {"First.esl", FileKind::Small}, {"Middle.esm", FileKind::Medium},
                        {"Tiny.esl", FileKind::Small}, {"Armory.esp", FileKind::Full}},
                       forms);
    {
        StateLock lock(stateMutex);
        ReloadFavoriteItems();
    }
    EXPECT_EQ(SlotTable(), saved);
    EXPECT_TRUE(TestHost::Boxes().empty());
}

// A file without outfit lines, as an older version writes it, reads as it
// always did: a slot line's item is single, and the one-slot rule empties
// the slot named earlier.
TEST_F(OutfitsFileTest, OlderFileReadsAsEver) {
    EXPECT_EQ(ReadFrom(Q(12, P(0)) + Q(13, P(1)) + Q(14, P(0))), TableWith({{1, {P(1)}}, {2, {P(0)}}}));
}

}  // namespace
}  // namespace PersistenceTests
