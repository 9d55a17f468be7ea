// velloquin-doctor on items files with outfits: the outfits it lists, the
// status of each line, and a warning for each outfit line the plug-in skips.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/log.h"
#include "core/slots.h"
#include "core/state.h"
#include "datafiles.h"
#include "doctor/doctor.h"
#include "doctor/findings.h"
#include "forms.h"
#include "game_folder.h"
#include "host.h"
#include "persistence/items_file.h"
#include "shell_folders.h"

namespace {

using namespace Velloquin::Doctor;

std::string Dump(const Findings& findings) {
    std::ostringstream out;
    for (const auto& w : findings.warnings) out << CodeOf(w.kind) << " " << w.line << " " << w.message << "\n";
    return out.str();
}

Findings ExamineItems(const std::string& bytes) {
    TestHost::ClearGameFolder();
    TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt", bytes);
    Findings f = Examine(TestHost::GameFolder());
    TestHost::ClearGameFolder();
    return f;
}

struct Outfit {
    int slot;
    std::vector<int> pieceLines;
    bool operator==(const Outfit&) const = default;
};

std::vector<Outfit> Outfits(const Findings& f) {
    std::vector<Outfit> outfits;
    for (const ItemsOutfit& o : f.itemsFiles.at(0).outfits) outfits.push_back({o.slot, o.pieceLines});
    return outfits;
}

std::vector<std::string> Statuses(const Findings& f) {
    std::vector<std::string> statuses;
    for (const ItemsLine& line : f.itemsFiles.at(0).lines) statuses.push_back(line.status);
    return statuses;
}

TEST(DoctorOutfits, ListsOutfitsAndTheStatusOfEachLine) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<Outfit> outfits;
        std::vector<std::string> statuses;
    };
    const Case cases[] = {
        {"an outfit", "QuickKey12 |001A2B|Halvorine.esm\r\nOutfit12 |000900|Armory.esp\r\nOutfit12 |900|Tiny.esl\r\n",
         {{12, {1, 2, 3}}}, {"item", "piece", "piece"}},
        {"an outfit and a single slot share a piece",
         "QuickKey13 |000900|Armory.esp\r\nQuickKey12 |000900|Armory.esp\r\nOutfit12 |000901|Armory.esp\r\n"
         "QuickKey14 |000901|Armory.esp\r\n",
         {{12, {2, 3}}}, {"item", "item", "piece", "item"}},
        {"a later slot line replaces the outfit",
         "QuickKey12 |000900|Armory.esp\r\nOutfit12 |000901|Armory.esp\r\nQuickKey12 |000902|Armory.esp\r\n", {},
         {"replaced", "replaced", "item"}},
        {"two outfits in slot order", "QuickKey15 |000900|Armory.esp\r\nOutfit15 |000901|Armory.esp\r\n"
                                      "QuickKey12 |000901|Armory.esp\r\nOutfit12 |000900|Armory.esp\r\n",
         {{12, {3, 4}}, {15, {1, 2}}}, {"item", "piece", "item", "piece"}},
        {"the slot line names no item: the first piece heads",
         "QuickKey12 ||None\r\nOutfit12 |000900|Armory.esp\r\nOutfit12 |000901|Armory.esp\r\n", {{12, {2, 3}}},
         {"empty", "item", "piece"}},
        {"one piece only: a single item", "QuickKey12 |000900|Armory.esp\r\nOutfit12 |000900|armory.esp\r\n", {},
         {"item", "skipped"}},
    };
    for (const Case& c : cases) {
        const Findings f = ExamineItems(c.bytes);
        EXPECT_EQ(Outfits(f), c.outfits) << c.what;
        EXPECT_EQ(Statuses(f), c.statuses) << c.what;
    }
}

TEST(DoctorOutfits, ExplainsEachSkippedOutfitLine) {
    std::string thirteen = "QuickKey12 |000900|Armory.esp\r\n";
    for (int n = 1; n < 13; ++n) {
        char id[8];
        std::snprintf(id, sizeof id, "%06X", 0x900 + n);
        thirteen += std::string("Outfit12 |") + id + "|Armory.esp\r\n";
    }
    struct Case {
        const char* what;
        std::string bytes;
        const char* code;
        int line;
        const char* says;
        const char* status = "skipped";  // of that line
    };
    const Case cases[] = {
        {"no slot line above", "Outfit12 |000900|Armory.esp\r\nQuickKey12 |000901|Armory.esp\r\n",
         "items-outfit-no-slot-line", 1, "no \"QuickKey12 |\" line comes before this line"},
        {"another slot's line above", "QuickKey13 |000900|Armory.esp\r\nOutfit12 |000901|Armory.esp\r\n",
         "items-outfit-no-slot-line", 2, "belongs to no outfit"},
        {"one line for two outfits, one without its slot line",
         "QuickKey13 |000900|Armory.esp\r\nOutfit12 |Outfit13 |000901|Armory.esp\r\n", "items-outfit-no-slot-line", 2,
         "no \"QuickKey12 |\" line", "piece"},
        {"a piece listed twice", "QuickKey12 |000900|Armory.esp\r\nOutfit12 |000901|Armory.esp\r\nOutfit12 |0x901|ARMORY.ESP\r\n",
         "items-outfit-repeated", 3, "already has this item"},
        {"the first piece again", "QuickKey12 |000900|Armory.esp\r\nOutfit12 |000900|Armory.esp\r\n",
         "items-outfit-repeated", 2, "holds each piece once"},
        {"a thirteenth piece", thirteen, "items-outfit-too-many", 13, "has 12 pieces already"},
        {"no item id", "QuickKey12 |000900|Armory.esp\r\nOutfit12 ||Armory.esp\r\n", "items-no-id", 2,
         "this outfit line has no item id"},
        {"no data file", "QuickKey12 |000900|Armory.esp\r\nOutfit12 |000901|\r\n", "items-no-file", 2,
         "An outfit line reads like \"Outfit12 |000900|Armory.esp\""},
        {"an id no game has", "QuickKey12 |000900|Armory.esp\r\nOutfit12 |01000901|Armory.esp\r\n", "items-bad-id", 2,
         "longer than 6 characters"},
    };
    for (const Case& c : cases) {
        const Findings f = ExamineItems(c.bytes);
        ASSERT_EQ(f.warnings.size(), 1u) << c.what << "\n" << Dump(f);
        EXPECT_STREQ(CodeOf(f.warnings[0].kind), c.code) << c.what;
        EXPECT_EQ(f.warnings[0].line, c.line) << c.what;
        EXPECT_NE(f.warnings[0].message.find(c.says), std::string::npos) << c.what << ": " << f.warnings[0].message;
        EXPECT_EQ(f.itemsFiles.at(0).lines.at(static_cast<std::size_t>(c.line - 1)).status, c.status) << c.what;
    }
    // Twelve pieces are kept of the thirteen.
    const Findings f = ExamineItems(thirteen);
    ASSERT_EQ(Outfits(f).size(), 1u);
    EXPECT_EQ(Outfits(f)[0].pieceLines.size(), 12u);
}

// Both reports show the outfit: the text names its pieces, the JSON its lines.
TEST(DoctorOutfits, ReportsShowTheOutfit) {
    const Findings f = ExamineItems("QuickKey17 |001A2B|Halvorine.esm\r\nOutfit17 |000900|Armory.esp\r\n");
    std::ostringstream text, json;
    WriteText(f, text);
    WriteJson(f, json);
    EXPECT_NE(text.str().find("line 2   outfit 17      piece 000900 from Armory.esp\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("    outfit in slot 17, 2 pieces: 001A2B from Halvorine.esm, 000900 from Armory.esp\n"),
              std::string::npos)
        << text.str();
    EXPECT_NE(text.str().find("Outfits hold armour and clothes only"), std::string::npos);
    EXPECT_NE(json.str().find("\"outfits\": [{\"slot\": 17, \"pieceLines\": [1, 2]}]"), std::string::npos) << json.str();
    EXPECT_NE(json.str().find("\"outfitLine\": true"), std::string::npos);
}

// What only the game knows (the kind of each item) comes from the log the
// plug-in's reader wrote: a weapon on an outfit's slot line, a weapon as a
// piece.
TEST(DoctorOutfitLog, KindsOnlyTheGameKnowsComeFromTheLog) {
    using namespace Velloquin;
    StopLog();
    TestHost::ResetWorld();
    TestHost::ClearGameFolder();
    ResetRuntimeState();
    TestHost::LoadGame({{"Halvorine.esm", TestHost::FileKind::Full}, {"Armory.esp", TestHost::FileKind::Full}},
                       {{"Halvorine.esm", 0x01A2B3, TestHost::typeWeapon, {}, "Rifle"},
                        {"Armory.esp", 0x900, TestHost::typeEquipment, {}, "Coat"},
                        {"Armory.esp", 0x901, TestHost::typeEquipment, {}, "Gloves"}});
    TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt",
                            "QuickKey12 |01A2B3|Halvorine.esm\r\nOutfit12 |000900|Armory.esp\r\n"
                            "QuickKey13 |000900|Armory.esp\r\nOutfit13 |01A2B3|Halvorine.esm\r\n"
                            "Outfit13 |000901|Armory.esp\r\n");
    StartLog(ReadLogEnabled());
    {
        StateLock lock(stateMutex);
        ReloadFavoriteItems();
        EXPECT_FALSE(IsOutfitSlot(0));
        EXPECT_NE(quickItems[0], nullptr);
        EXPECT_TRUE(IsOutfitSlot(1));
        EXPECT_EQ(quickOutfitSize[1], 2u);
    }
    StopLog();

    const Findings f = Examine("");
    std::vector<std::pair<std::string, std::string>> found;
    for (const Warning& w : f.warnings)
        if (w.kind == WarningKind::ItemsOutfitNotEquipment || w.kind == WarningKind::ItemsOutfitPieceKind)
            found.emplace_back(CodeOf(w.kind), w.message.substr(0, w.message.find(" of the character")));
    EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{
                         {"items-outfit-not-equipment", "in the last game, line 2"},
                         {"items-outfit-piece-kind", "in the last game, line 4"}}))
        << Dump(f);
    StopLog();
    ResetRuntimeState();
    TestHost::ResetShellFolders();
    TestHost::ClearGameFolder();
}

}  // namespace
