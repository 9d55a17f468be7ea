// The items file's name from the player id.
#include <gtest/gtest.h>

#include "persistence/items_file.h"
#include "fixture.h"

namespace PersistenceTests {
namespace {

using namespace Velloquin;

using PlayerIdTest = PersistenceTest;

TEST_F(PlayerIdTest, ReaderTakesTheFirstExistingCandidate) {
    struct Case {
        std::uint64_t id;
        std::vector<std::string> existing;
        const char* writer;
        const char* reader;
    };
    const Case cases[] = {
        {0x2A, {}, "VelloquinItems_2A.txt", "VelloquinItems_12A.txt"},
        {0x2A, {"VelloquinItems_2A.txt", "VelloquinItems_12A.txt"}, "VelloquinItems_2A.txt", "VelloquinItems_2A.txt"},
        {0x2A, {"VelloquinItems_12A.txt"}, "VelloquinItems_2A.txt", "VelloquinItems_12A.txt"},
        {0xABC, {}, "VelloquinItems_ABC.txt", "VelloquinItems_1ABC.txt"},
        {0x1000000FF, {}, "VelloquinItems_FF.txt", "VelloquinItems_11000000FF.txt"},
        {0x1000000FF,
         {"VelloquinItems_1000000FF.txt", "VelloquinItems_1FF.txt", "VelloquinItems_11000000FF.txt"},
         "VelloquinItems_FF.txt",
         "VelloquinItems_1000000FF.txt"},
        {0x1000000FF, {"VelloquinItems_1FF.txt", "VelloquinItems_11000000FF.txt"}, "VelloquinItems_FF.txt",
         "VelloquinItems_1FF.txt"},
        {0xFFFFFFFFFFFFFFFF, {}, "VelloquinItems_FFFFFFFF.txt", "VelloquinItems_1FFFFFFFFFFFFFFFF.txt"},
        {0xABCDEF00000000, {"VelloquinItems_0.txt"}, "VelloquinItems_0.txt", "VelloquinItems_0.txt"},
    };
    for (const Case& c : cases) {
        for (const auto& entry : fs::directory_iterator(pluginFolderPath)) fs::remove(entry.path());
        for (const std::string& name : c.existing) WriteBytes(pluginFolderPath / name, "");
        TestHost::SetPlayerId(c.id);
        EXPECT_EQ(GetPlayerID(false), c.writer) << std::hex << c.id;
        EXPECT_EQ(GetPlayerID(true), c.reader) << std::hex << c.id;
    }
    EXPECT_TRUE(TestHost::Boxes().empty());
    EXPECT_EQ(pluginInactive.load(), 0);
}

TEST_F(PlayerIdTest, AFolderOrDirectoryIsNoCandidate) {
    fs::create_directory(pluginFolderPath / "VelloquinItems_2A.txt");
    EXPECT_EQ(GetPlayerID(true), "VelloquinItems_12A.txt");
    fs::remove_all(fs::path("Data"));
    EXPECT_EQ(GetPlayerID(true), "VelloquinItems_12A.txt");
}

TEST_F(PlayerIdTest, NoIdIsReportedAndMakesThePluginInactive) {
    const std::string box = NonFatalBox("Velloquin::GetPlayerID", 354, "cannot get PlayerID");
    TestHost::SetPlayerId(0);
    EXPECT_EQ(GetPlayerID(false), "VelloquinItems_0.txt");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{box});
    EXPECT_EQ(pluginInactive.load(), 1);

    // A missing holder counts as no id; the call still finishes with the id 0.
    TestHost::ClearBoxes();
    pluginInactive = 0;
    TestHost::RemovePlayerIdHolder();
    EXPECT_EQ(GetPlayerID(true), "VelloquinItems_10.txt");
    WriteBytes(ItemsFile("VelloquinItems_0.txt"), "");
    EXPECT_EQ(GetPlayerID(true), "VelloquinItems_0.txt");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{box, box}));
    EXPECT_EQ(TestHost::Boxes().at(0).style, 4u);
    EXPECT_EQ(pluginInactive.load(), 1);
}

TEST_F(PlayerIdTest, NamesFollowAChangeOfCharacter) {
    EXPECT_EQ(GetPlayerID(false), "VelloquinItems_2A.txt");
    TestHost::SetPlayerId(0xBEEF);
    EXPECT_EQ(GetPlayerID(false), "VelloquinItems_BEEF.txt");
}

}  // namespace
}  // namespace PersistenceTests
