// The settings files: visibility and key bindings of the twelve extra slots.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "config/settings.h"
#include "game_folder.h"
#include "core/state.h"

namespace {

using Velloquin::LoadSettings;
using Velloquin::quickKeyCodes;
using Velloquin::quickKeyVisible;
using Velloquin::ReadIniValue;
using Velloquin::SettingsFileExists;

const std::string mainFile = ".\\Data\\QVEX\\Plugins\\Velloquin.ini";
const std::string customFile = ".\\Data\\QVEX\\Plugins\\VelloquinCustom.ini";

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::ClearGameFolder();
        // Leftovers of an earlier load must not survive the next one.
        quickKeyCodes.fill(0xDEAD);
        quickKeyVisible.fill(false);
    }
    static std::uint32_t Code(int quickKey) { return quickKeyCodes.at(static_cast<std::size_t>(quickKey - 12)); }
    static bool Visible(int quickKey) { return quickKeyVisible.at(static_cast<std::size_t>(quickKey - 12)); }
};

TEST_F(Settings, WithoutFilesEverySlotIsShownAndUnbound) {
    LoadSettings();
    for (int n = 12; n <= 23; ++n) {
        EXPECT_TRUE(Visible(n)) << n;
        EXPECT_EQ(Code(n), 0u) << n;
    }
}

TEST_F(Settings, OnlyTheValue1ShowsASlot) {
    TestHost::WriteGameFile(mainFile,
                            "[Visibility]\n"
                            "bQuickKey12Visible=1\n"
                            "bQuickKey13Visible=true\n"
                            "bQuickKey14Visible=yes\n"
                            "bQuickKey15Visible=0\n"
                            "bQuickKey16Visible=\n"
                            "bQuickKey17Visible = 1 \n"
                            "bQuickKey18Visible=11\n"
                            "bQuickKey19Visible=\"1\"\n"
                            "bQuickKey20Visible\n"
                            "bquickkey21visible=01\n");
    LoadSettings();
    const bool expected[12] = {true, false, false, false, true, true, false, true, true, false, true, true};
    for (int n = 12; n <= 23; ++n) EXPECT_EQ(Visible(n), expected[n - 12]) << n;
}

TEST_F(Settings, TheCustomFileOverridesVisibilityAndAnEmptyValueLeavesIt) {
    TestHost::WriteGameFile(mainFile, "[Visibility]\nbQuickKey12Visible=0\nbQuickKey13Visible=0\nbQuickKey14Visible=1\n");
    TestHost::WriteGameFile(customFile, "[Visibility]\nbQuickKey12Visible=1\nbQuickKey13Visible=\nbQuickKey14Visible=no\n");
    LoadSettings();
    EXPECT_TRUE(Visible(12));
    EXPECT_FALSE(Visible(13));
    EXPECT_FALSE(Visible(14));
}

TEST_F(Settings, AKeyBoundByTheMainFileIsNotBoundAgainByTheCustomFile) {
    TestHost::WriteGameFile(mainFile, "[QuickKeys]\niQuickKey12=70\n");
    TestHost::WriteGameFile(customFile, "[QuickKeys]\niQuickKey13=70\n");
    LoadSettings();
    EXPECT_EQ(Code(12), 0x70u);
    EXPECT_EQ(Code(13), 0u);
}

TEST_F(Settings, TheCustomFileRebindsButCannotUnbind) {
    TestHost::WriteGameFile(mainFile, "[QuickKeys]\niQuickKey12=70\niQuickKey14=72\n");
    TestHost::WriteGameFile(customFile, "[QuickKeys]\niQuickKey12=71\niQuickKey14=0\n");
    LoadSettings();
    EXPECT_EQ(Code(12), 0x71u);
    EXPECT_EQ(Code(14), 0x72u);
}

// [Gamepad] iQuickKeyModifier: a gamepad button or trigger; the custom file's
// value replaces the main file's (0 included); anything else is ignored.
TEST_F(Settings, TheGamepadModifierIsAButtonAndTheCustomFileOverridesIt) {
    const struct {
        const char* main;
        const char* custom;  // null: no custom file
        std::uint32_t modifier;
    } cases[] = {
        {"10100", nullptr, 0x10100},   {"0x1000A", nullptr, 0x1000A}, {"10100", "0x11000", 0x11000},
        {"10100", "0", 0},             {"10100", "", 0x10100},        {"10100", "70", 0x10100},
        {"10100", "zz", 0x10100},      {"10003", nullptr, 0},         {"10000", nullptr, 0},
        {"100", nullptr, 0},           {"-10100", nullptr, 0},
    };
    for (const auto& c : cases) {
        TestHost::ClearGameFolder();
        Velloquin::gamepadModifier = 0xDEAD;
        TestHost::WriteGameFile(mainFile, std::string("[Gamepad]\niQuickKeyModifier=") + c.main + "\n");
        if (c.custom) TestHost::WriteGameFile(customFile, std::string("[Gamepad]\niQuickKeyModifier=") + c.custom + "\n");
        LoadSettings();
        EXPECT_EQ(Velloquin::gamepadModifier, c.modifier) << c.main << " / " << (c.custom ? c.custom : "-");
    }
}

// The key already bound earlier in the same file wins, whatever the spelling.
TEST_F(Settings, ACodeBoundTwiceInOneFileKeepsTheFirstSlot) {
    TestHost::WriteGameFile(mainFile, "[QuickKeys]\niQuickKey12=0x70\niQuickKey13=70\niQuickKey23=  0X70\niQuickKey22=71\n");
    LoadSettings();
    EXPECT_EQ(Code(12), 0x70u);
    EXPECT_EQ(Code(13), 0u);
    EXPECT_EQ(Code(23), 0u);
    EXPECT_EQ(Code(22), 0x71u);
}

TEST_F(Settings, GamepadCodesBindAndUnreadableValuesAreIgnored) {
    TestHost::WriteGameFile(mainFile,
                            "[QuickKeys]\niQuickKey20=0x10001\niQuickKey21=zz\niQuickKey22=100000000\n"
                            "iQuickKey23=-1\niQuickKey19=4Bjunk\n");
    LoadSettings();
    EXPECT_EQ(Code(20), 0x10001u);
    EXPECT_EQ(Code(21), 0u);
    EXPECT_EQ(Code(22), 0u);
    EXPECT_EQ(Code(23), 0xFFFFFFFFu);  // strtoul's negation; never polled, but bound as written
    EXPECT_EQ(Code(19), 0x4Bu);
}

TEST_F(Settings, ACustomFileAloneIsRead) {
    TestHost::WriteGameFile(customFile, "[Visibility]\nbQuickKey15Visible=0\n[QuickKeys]\niQuickKey15=4B\n");
    LoadSettings();
    EXPECT_FALSE(Visible(15));
    EXPECT_EQ(Code(15), 0x4Bu);
    EXPECT_TRUE(Visible(12));
}

// The visibility loop runs before the key loop and the main file before the
// custom file; keys in the wrong section are not seen.
TEST_F(Settings, KeysAreReadOnlyFromTheirOwnSection) {
    TestHost::WriteGameFile(mainFile, "iQuickKey12=70\n[Visibility]\niQuickKey13=71\n[QuickKeys]\nbQuickKey14Visible=0\n");
    LoadSettings();
    EXPECT_EQ(Code(12), 0u);
    EXPECT_EQ(Code(13), 0u);
    EXPECT_TRUE(Visible(14));
}

std::string ShippedSettings() {
    std::ifstream in(std::string(VELLOQUIN_SOURCE_DIR) + "/data/Velloquin.ini", std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The file players get: every slot named in its section, shown and unbound,
// and notes that no reader mistakes for settings.
TEST_F(Settings, TheShippedFileShowsEverySlotUnbound) {
    const std::string shipped = ShippedSettings();
    ASSERT_FALSE(shipped.empty());
    TestHost::WriteGameFile(mainFile, shipped);
    for (int n = 12; n <= 23; ++n) {
        EXPECT_EQ(ReadIniValue("Velloquin", "Visibility", "bQuickKey" + std::to_string(n) + "Visible", "missing"), "1");
        EXPECT_EQ(ReadIniValue("Velloquin", "QuickKeys", "iQuickKey" + std::to_string(n), "missing"), "0");
    }
    std::istringstream lines(shipped);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.empty() || line == "\r" || line[0] == ';' || line[0] == '[' || line[0] == 'b' || line[0] == 'i')
            << line;

    TestHost::WriteGameFile(customFile, "[QuickKeys]\niQuickKey12=70\n[Visibility]\nbQuickKey23Visible=0\n");
    LoadSettings();
    EXPECT_EQ(Code(12), 0x70u);
    EXPECT_FALSE(Visible(23));
    for (int n = 13; n <= 23; ++n) EXPECT_EQ(Code(n), 0u) << n;
}

// The tests' reset gives the plug-in of a start without settings files: none
// of the bindings a loaded file made is left over for the next test.
TEST_F(Settings, AResetPluginIsOneThatFoundNoSettingsFile) {
    TestHost::WriteGameFile(mainFile,
                            "[QuickKeys]\niQuickKey12=70\n[QuickKeyModifiers]\niQuickKey12Modifier=11\n"
                            "[Visibility]\nbQuickKey13Visible=0\n[Gamepad]\niQuickKeyModifier=0x10100\n"
                            "[Outfits]\niSaveModifier=10\n");
    LoadSettings();
    ASSERT_EQ(Velloquin::outfitSaveModifier, 0x10u);
    Velloquin::ResetRuntimeState();
    const auto reset = std::make_tuple(quickKeyCodes, quickKeyVisible, Velloquin::quickKeyModifiers,
                                       Velloquin::gamepadModifier, Velloquin::outfitSaveModifier);
    TestHost::ClearGameFolder();
    LoadSettings();
    EXPECT_TRUE(reset == std::make_tuple(quickKeyCodes, quickKeyVisible, Velloquin::quickKeyModifiers,
                                         Velloquin::gamepadModifier, Velloquin::outfitSaveModifier));
}

TEST_F(Settings, ReadIniValueAndFileTests) {
    TestHost::WriteGameFile(mainFile, "[S]\nk= value \n");
    EXPECT_EQ(ReadIniValue("Velloquin", "S", "k", ""), "value");
    EXPECT_EQ(ReadIniValue("Velloquin", "S", "other", "dflt"), "dflt");
    EXPECT_EQ(ReadIniValue("", "S", "k", "dflt"), "");
    EXPECT_EQ(ReadIniValue("Velloquin", "", "k", "dflt"), "");
    EXPECT_EQ(ReadIniValue("Velloquin", "S", "", "dflt"), "");
    EXPECT_EQ(ReadIniValue("Nothing", "S", "k", "dflt"), "");

    EXPECT_TRUE(SettingsFileExists(".\\Data\\QVEX\\Plugins\\", "Velloquin.ini"));
    EXPECT_TRUE(SettingsFileExists(".\\Data\\QVEX\\", "Plugins\\Velloquin.ini"));
    EXPECT_FALSE(SettingsFileExists(".\\Data\\QVEX\\Plugins\\", "VelloquinCustom.ini"));
    EXPECT_FALSE(SettingsFileExists(".\\Data\\QVEX\\", "Plugins"));  // a folder is no file
    EXPECT_FALSE(SettingsFileExists(".\\Data\\Missing\\", "Velloquin.ini"));
    EXPECT_FALSE(SettingsFileExists("", "Velloquin.ini"));
    EXPECT_FALSE(SettingsFileExists(".\\Data\\QVEX\\Plugins\\", ""));
    // A settings file that is a folder is skipped.
    TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\VelloquinCustom.ini\\inside.txt", "x");
    EXPECT_FALSE(SettingsFileExists(".\\Data\\QVEX\\Plugins\\", "VelloquinCustom.ini"));
    EXPECT_EQ(ReadIniValue("VelloquinCustom", "S", "k", "dflt"), "");
}

std::string Garbage() {
    std::string bytes;
    std::uint32_t state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string Utf16WithMark(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}

// Bad files never crash or hang; each gives the result the reader's rules give.
TEST_F(Settings, BadInput) {
    const struct {
        const char* what;
        bool write;
        std::string content;
        std::string value;  // ReadIniValue of [QuickKeys] iQuickKey12
        std::uint32_t code;  // slot 12 after LoadSettings
    } cases[] = {
        {"missing file", false, "", "", 0},
        {"empty file", true, "", "", 0},
        {"binary garbage", true, Garbage(), "", 0},
        {"garbage then settings", true, Garbage() + "\n[QuickKeys]\niQuickKey12=70\n", "70", 0x70},
        {"value of 20000 characters", true, "[QuickKeys]\niQuickKey12=" + std::string(20000, '7') + "\n",
         std::string(9999, '7'), 0},
        {"value of 20000 characters, zeros first", true,
         "[QuickKeys]\niQuickKey12=" + std::string(19998, '0') + "70\n", std::string(9999, '0'), 0},
        {"key without =", true, "[QuickKeys]\niQuickKey12\niQuickKey12=70\n", "", 0},
        {"section header without ]", true, "[Visibility]\n[QuickKeys\niQuickKey12=70\n", "", 0},
        {"section header without ] after the section", true, "[QuickKeys]\n[Visibility\niQuickKey12=70\n", "70", 0x70},
        {"UTF-16 with a byte-order mark", true, Utf16WithMark("[QuickKeys]\r\niQuickKey12=70\r\n"), "70", 0x70},
        {"UTF-16 without a byte-order mark", true, Utf16WithMark("[QuickKeys]\r\niQuickKey12=70\r\n").substr(2), "", 0},
        {"NUL inside the value", true, std::string("[QuickKeys]\niQuickKey12=7\0" "1\n", 28), "7", 7},
    };
    for (const auto& c : cases) {
        TestHost::ClearGameFolder();
        if (c.write) TestHost::WriteGameFile(mainFile, c.content);
        EXPECT_EQ(ReadIniValue("Velloquin", "QuickKeys", "iQuickKey12", ""), c.value) << c.what;
        LoadSettings();
        EXPECT_EQ(Code(12), c.code) << c.what;
        for (int n = 12; n <= 23; ++n) EXPECT_TRUE(Visible(n)) << c.what << ' ' << n;
    }
}

// A settings path must stay below 255 characters.
TEST_F(Settings, APathOf255CharactersOrMoreIsNotRead) {
    const std::string folder = ".\\Data\\QVEX\\Plugins\\";
    const std::string fine(100, 'n'), tooLong(255 - folder.size() - 4, 'n');
    TestHost::WriteGameFile(folder + fine + ".ini", "[S]\nk=read\n");
    EXPECT_EQ(ReadIniValue(fine, "S", "k", ""), "read");
    EXPECT_EQ(ReadIniValue(tooLong, "S", "k", "dflt"), "");
    EXPECT_EQ(ReadIniValue(std::string(1000, 'n'), "S", "k", "dflt"), "");
#ifndef _WIN32
    // Only Linux can make a file this deep below the temporary folder.
    TestHost::WriteGameFile(folder + tooLong + ".ini", "[S]\nk=over the limit\n");
    EXPECT_TRUE(SettingsFileExists(folder, tooLong + ".ini"));
    EXPECT_EQ(ReadIniValue(tooLong, "S", "k", ""), "");
#endif
}

// A tool reads a player's files below that player's game folder, as the
// plug-in reads them from the working folder, without entering the folder.
TEST_F(Settings, ReadSettingsBelowAGameFolderReadsThatFolderOnly) {
    TestHost::WriteGameFile(mainFile, "[QuickKeys]\niQuickKey12=70\n");
    TestHost::WriteGameFile("Other\\" + mainFile, "[QuickKeys]\niQuickKey12=71\n[Visibility]\nbQuickKey13Visible=0\n");
    TestHost::WriteGameFile("Other\\" + customFile, "[Gamepad]\niQuickKeyModifier=10100\n");
    const auto before = std::filesystem::current_path();
    const Velloquin::SettingsRecord other = Velloquin::ReadSettings(TestHost::GameFilePath("Other"));
    const Velloquin::SettingsRecord working = Velloquin::ReadSettings(Velloquin::inWorkingFolder);
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_EQ(other.codes.at(0), 0x71u);
    EXPECT_FALSE(other.visible.at(1));
    EXPECT_EQ(other.gamepadModifier, 0x10100u);
    ASSERT_EQ(other.effects.size(), 2u);
    EXPECT_STREQ(other.effects[0].baseName, "Velloquin");
    EXPECT_EQ(working.codes.at(0), 0x70u);
    EXPECT_TRUE(working.visible.at(1));
    EXPECT_EQ(working.gamepadModifier, 0u);
    // A game folder given with a separator at its end reads the same files.
    EXPECT_EQ(Velloquin::ReadSettings(TestHost::GameFilePath("Other") + "/").codes, other.codes);
}

#ifndef _WIN32
// The 255-character limit is on the path the plug-in names, not on where a
// tool finds the game folder: a value the game reads (full path below 260
// characters) is read below a deep game folder too.
TEST_F(Settings, TheLimitIsOnThePluginsOwnPathBelowAGameFolder) {
    const std::string below = "\\.\\Data\\QVEX\\Plugins\\Velloquin.ini";
    std::string folder = TestHost::GameFilePath("Deep");
    // A full path of 256 characters (the profile reader's limit is 260, a drive included).
    folder += std::string(256 - folder.size() - below.size(), 'd');
    TestHost::WriteGameFile(folder.substr(TestHost::GameFolder().size() + 1) + "\\Data\\QVEX\\Plugins\\Velloquin.ini",
                            "[QuickKeys]\niQuickKey12=70\n");
    EXPECT_EQ(Velloquin::ReadSettings(folder).codes.at(0), 0x70u);
}
#endif

}  // namespace
